// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>

#include "files/profile.h"
#include "image/clear_form.h"
#include "image/document.h"

namespace kova::test {

inline QString Fixture(const char* name) {
  return QString::fromUtf8(KOVA_FIXTURES "/") + QLatin1String(name);
}

inline std::string Bytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void Put(const QString& path, const std::string& bytes) {
  std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

// The text as UTF-16 with its byte order mark, as Notepad saves "Unicode".
inline std::string Utf16(const std::string& latin1) {
  std::string wide = "\xFF\xFE";
  for (const char c : latin1)
    wide += {c, '\0'};
  return wide;
}

inline std::string Hex(const EEpromImage& image) {
  std::string hex;
  for (const auto byte : image)
    hex += Hex2(byte);
  return hex;
}

// A release-1 file "x.kova" holding these sections after its caption.
inline ProfileLoad ReadLegacy(const std::string& sections,
                              const Document& current = StartupDocument()) {
  return ReadProfileText("[Version]\nKova Pro=Kova Pro Configuration 1.1\n" + sections, "x.kova",
                         current);
}

}  // namespace kova::test
