// SPDX-License-Identifier: GPL-3.0-or-later
#include "eeprom_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/clear_form.h"
#include "image/document.h"
#include "image/pack.h"

namespace kova::sim {

EEpromImage FactoryEEprom() {
  Document doc = StartupDocument();
  PackEEprom(doc);
  return doc.image;
}

EEpromImage LoadEEprom(const std::string& path) {
  // A pipe or a device would hold the simulator before its unit exists.
  std::error_code error;
  if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
    throw EEpromFileError(path + " is not a regular file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EEpromFileError("cannot read " + path);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  if (bytes.size() != std::tuple_size_v<EEpromImage>) {
    throw EEpromFileError(path + " holds " + std::to_string(bytes.size()) +
                          " bytes; an EEPROM file holds exactly 256");
  }
  EEpromImage image{};
  for (std::size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<std::uint8_t>(bytes[i]);
  return image;
}

void SaveEEprom(const std::string& path, const EEpromImage& image) {
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    out.flush();
    if (!out) throw EEpromFileError("cannot write " + temporary);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw EEpromFileError("cannot replace " + path);
  }
}

}  // namespace kova::sim
