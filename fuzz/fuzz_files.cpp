// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a configuration file. Reading never crashes or hangs; it either
// loads the whole file or refuses it with a message, and the document it was
// given is never touched. A file that loads, once packed, saves and reopens
// as the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "diag/failure.h"
#include "files/ini_document.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "image/interpret.h"
#include "image/pack.h"

namespace {

kova::Document Startup() {
  kova::Document doc;
  doc.cfg = kova::StartupConfiguration();
  for (std::size_t i = 0; i < doc.image.size(); ++i)
    doc.image[i] = static_cast<std::uint8_t>(i * 7);
  return doc;
}

bool Same(const kova::Document& a, const kova::Document& b) {
  return a.cfg == b.cfg && a.image == b.image && a.bits == b.bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kova::Document kStart = Startup();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (kova::IniDocument(bytes).Text() != bytes) std::abort();

  const kova::Document current = kStart;
  const kova::ProfileLoad load = kova::ReadProfileText(bytes, "fuzz.kova", current);
  if (!Same(current, kStart)) std::abort();
  if (load.ok() == load.failure.has_value()) std::abort();
  if (!load.ok()) {
    if (load.failure->text.empty() || !load.warnings.empty()) std::abort();
    return 0;
  }

  // Save what was loaded, as Save does: pack, write over the same text, interpret.
  kova::Document doc = *load.document;
  try {
    kova::PackEEprom(doc);
  } catch (const kova::Failure&) {
    return 0;  // a value packing refuses: Save would say so and write nothing
  }
  kova::InterpretEEprom(doc);
  const std::string saved = kova::ProfileText(bytes, doc);

  const kova::ProfileLoad again = kova::ReadProfileText(saved, "fuzz.kova", doc);
  if (!again.ok()) std::abort();
  // A version text cut at 2047 characters may end in a blank that reading drops.
  for (const auto& version : doc.cfg.Ver) {
    if (version.size() == kova::kProfileBufferSize - 1) return 0;
  }
  if (again.document->cfg != doc.cfg || again.document->image != doc.image) std::abort();
  return 0;
}
