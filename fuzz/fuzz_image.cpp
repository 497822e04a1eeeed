// SPDX-License-Identifier: GPL-3.0-or-later
// Any 256 bytes: interpreting never fails, packing what was read never fails,
// and from then on reading and packing give the same bytes back.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/clear_form.h"
#include "image/interpret.h"
#include "image/pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kova::Document doc;
  doc.cfg = kova::StartupConfiguration();
  const std::size_t used = std::min(size, doc.image.size());
  std::copy_n(data, used, doc.image.begin());

  kova::InterpretEEprom(doc);
  kova::PackEEprom(doc);  // throws, and so aborts the run, if a read value is refused
  const kova::EEpromImage packed = doc.image;

  kova::InterpretEEprom(doc);
  kova::PackEEprom(doc);
  if (doc.image != packed) std::abort();
  // The elapsed time counter and byte 255 are never written.
  if (!std::equal(data, data + std::min<std::size_t>(used, 4), doc.image.begin())) std::abort();
  if (size >= 256 && doc.image[255] != data[255]) std::abort();
  return 0;
}
