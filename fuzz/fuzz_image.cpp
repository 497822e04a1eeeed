// Any 256 bytes: interpreting never fails, packing what was read never fails,
// and from then on reading and packing give the same bytes back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/clear_form.h"
#include "image/interpret.h"
#include "image/pack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kova::Document doc;
  doc.cfg = kova::StartupConfiguration();
  std::memcpy(doc.image.data(), data, size < doc.image.size() ? size : doc.image.size());

  kova::InterpretEEprom(doc);
  kova::PackEEprom(doc);  // throws, and so aborts the run, if a read value is refused
  const kova::EEpromImage packed = doc.image;

  kova::InterpretEEprom(doc);
  kova::PackEEprom(doc);
  if (doc.image != packed) std::abort();
  // The elapsed time counter and byte 255 are never written.
  if (std::memcmp(doc.image.data(), data, size < 4 ? size : 4) != 0) std::abort();
  if (size >= 256 && doc.image[255] != data[255]) std::abort();
  return 0;
}
