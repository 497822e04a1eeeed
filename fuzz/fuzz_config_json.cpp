// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as the JSON configuration that kovactl pack reads, or as one
// --set assignment: refused with a message or taken, never a crash; and what
// was taken comes back the same through its own JSON form.
#include <QJsonArray>
#include <QJsonDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config_fields.h"
#include "config_json.h"
#include "image/clear_form.h"
#include "image/field_input.h"
#include "set_option.h"

namespace {

// The key paths of the JSON form, so that short inputs reach real fields.
std::vector<std::string> KnownPaths() {
  std::vector<std::string> paths;
  const QJsonObject json = kova::ctl::ToJson(kova::StartupConfiguration());
  for (auto it = json.begin(); it != json.end(); ++it) {
    if (it.key() != "Zones") paths.push_back(it.key().toStdString());
  }
  for (const QString& key : json["Zones"].toArray()[0].toObject().keys())
    paths.push_back("Zones[3]." + key.toStdString());
  paths.push_back("Ver[1]");
  return paths;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::string> paths = KnownPaths();
  if (size < 2) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  kova::Configuration cfg = kova::StartupConfiguration();
  try {
    switch (data[0] % 3) {
      case 0: {
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text));
        if (!doc.isObject()) return 0;
        kova::ctl::ApplyJson(doc.object(), cfg);
        break;
      }
      case 1:
        kova::ctl::ApplySetting(text, cfg);
        break;
      default:
        kova::ctl::ApplySetting(paths[data[1] % paths.size()] + "=" + text, cfg);
        break;
    }
  } catch (const kova::ctl::FieldError&) {
    return 0;
  }
  if (kova::CombinedRefusal(cfg)) return 0;
  kova::Configuration again = kova::StartupConfiguration();
  kova::ctl::ApplyJson(kova::ctl::ToJson(cfg), again);
  if (again != cfg) std::abort();
  return 0;
}
