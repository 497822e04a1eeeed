// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_json.h"

#include <QJsonArray>
#include <cstdio>
#include <functional>
#include <string_view>

#include "config_fields.h"
#include "image/field_table.h"
#include "image/frequency.h"

namespace kova::ctl {
namespace {

// Text from a file reaches a terminal only as characters that show: a
// crafted value must not move the cursor, retitle the window or clear the
// screen. Control characters (C0, DEL and the C1 set, which arrives as
// UTF-8) are written as escapes; so is the backslash that begins one.
std::string Printable(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    const bool c1 = c == 0xC2 && i + 1 < utf8.size() &&
                    static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
    if (c1) c = static_cast<unsigned char>(utf8[++i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F || c1) {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

QJsonObject ToJson(const Configuration& cfg) {
  QJsonObject json;
  QJsonArray zones;
  for (int i = 0; i < kZoneCount; ++i)
    zones.append(QJsonObject());
  for (const auto& field : ConfigFields()) {
    const QString name = QString::fromStdString(field.name);
    if (!field.perZone) {
      json.insert(name, field.get(cfg, -1));
      continue;
    }
    for (int i = 0; i < kZoneCount; ++i) {
      QJsonObject zone = zones[i].toObject();
      zone.insert(name, field.get(cfg, i));
      zones[i] = zone;
    }
  }
  json.insert("Zones", zones);
  return json;
}

void ApplyJson(const QJsonObject& json, Configuration& cfg) {
  Configuration edited = cfg;
  const auto find = [](const QString& name, bool perZone) -> const ConfigField* {
    for (const auto& field : ConfigFields()) {
      if (field.perZone == perZone && QString::fromStdString(field.name) == name) return &field;
    }
    return nullptr;
  };
  const auto assign = [&](const ConfigField& field, int zone, const QJsonValue& value,
                          const std::string&) { field.set(edited, zone, value); };

  for (auto it = json.begin(); it != json.end(); ++it) {
    const std::string key = it.key().toStdString();
    if (it.key() == "Zones") {
      const QJsonArray zones = it.value().toArray();
      if (!it.value().isArray() || zones.size() > kZoneCount) {
        throw FieldError("Zones: expected an array of at most ten objects");
      }
      for (int i = 0; i < zones.size(); ++i) {
        if (!zones[i].isObject())
          throw FieldError("Zones[" + std::to_string(i) + "]: expected an object");
        const QJsonObject zone = zones[i].toObject();
        for (auto z = zone.begin(); z != zone.end(); ++z) {
          const std::string where = "Zones[" + std::to_string(i) + "]." + z.key().toStdString();
          const ConfigField* field = find(z.key(), true);
          if (!field) throw FieldError(where + ": unknown field");
          assign(*field, i, z.value(), where);
        }
      }
      continue;
    }
    const ConfigField* field = find(it.key(), false);
    if (!field) throw FieldError(key + ": unknown field");
    assign(*field, -1, it.value(), key);
  }
  cfg = edited;
}

namespace {

// Each value under its path: "Zones[2].CloseRIC1", Ver's elements as "Ver[0]".
void ForEachValue(const Configuration& cfg, const ConfigField& field, int zone,
                  const std::function<void(const std::string&, const QJsonValue&)>& visit) {
  const std::string path =
      zone >= 0 ? "Zones[" + std::to_string(zone) + "]." + field.name : field.name;
  const QJsonValue value = field.get(cfg, zone);
  if (!value.isArray()) return visit(path, value);
  const QJsonArray items = value.toArray();
  for (int i = 0; i < items.size(); ++i)
    visit(path + "[" + std::to_string(i) + "]", items[i]);
}

}  // namespace

std::string ShowText(const Configuration& cfg) {
  std::string text;
  std::string tab;
  const auto line = [&](const std::string& name, const std::string& value) {
    text += "  " + name + std::string(name.size() < 24 ? 24 - name.size() : 0, ' ') + " " +
            Printable(value) + "\n";
  };
  const auto show = [&](const ConfigField& field, int zone) {
    // Freq reads better in megahertz, the way the window shows it.
    if (field.name == "Freq") return line(field.name, DisplayFreq(cfg.Freq) + " MHz");
    ForEachValue(cfg, field, zone, [&](const std::string& path, const QJsonValue& value) {
      line(path, ValueText(value));
    });
  };
  for (const auto& field : ConfigFields()) {
    if (field.perZone) continue;
    if (field.tab != tab) {
      tab = field.tab;
      text += (text.empty() ? "" : "\n") + tab + "\n";
    }
    show(field, -1);
  }
  for (int i = 0; i < kZoneCount; ++i) {
    text += "\n" + ZoneName(i) + "\n";
    for (const auto& field : ConfigFields()) {
      if (field.perZone) show(field, i);
    }
  }
  return text;
}

std::vector<std::string> Differences(const Configuration& a, const Configuration& b) {
  std::vector<std::string> lines;
  const auto compare = [&](const ConfigField& field, int zone) {
    std::vector<std::pair<std::string, QJsonValue>> right;
    ForEachValue(b, field, zone, [&](const std::string& path, const QJsonValue& value) {
      right.emplace_back(path, value);
    });
    std::size_t i = 0;
    ForEachValue(a, field, zone, [&](const std::string& path, const QJsonValue& left) {
      const QJsonValue other = right.at(i++).second;
      if (left != other) {
        lines.push_back(path + ": " + Printable(ValueText(left)) + " | " +
                        Printable(ValueText(other)));
      }
    });
  };
  for (const auto& field : ConfigFields()) {
    // Two files always differ in their own names; that is not a difference of configuration.
    if (!field.perZone && field.name != "FileName") compare(field, -1);
  }
  for (int i = 0; i < kZoneCount; ++i) {
    for (const auto& field : ConfigFields()) {
      if (field.perZone) compare(field, i);
    }
  }
  return lines;
}

std::string TerminalSafeJson(const QByteArray& json) {
  // JSON leaves DEL and the C1 controls (U+0080..U+009F, two bytes in UTF-8)
  // raw; a terminal may act on them, so they are written as escapes.
  std::string safe;
  safe.reserve(static_cast<std::size_t>(json.size()));
  char escape[8];
  for (qsizetype i = 0; i < json.size(); ++i) {
    const auto byte = static_cast<unsigned char>(json[i]);
    const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
    if (byte == 0x7F) {
      safe += "\\u007f";
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      std::snprintf(escape, sizeof escape, "\\u%04x", next);
      safe += escape;
      ++i;
    } else {
      safe += static_cast<char>(byte);
    }
  }
  return safe;
}

}  // namespace kova::ctl
