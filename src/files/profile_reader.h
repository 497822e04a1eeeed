// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/ini_document.h"
#include "image/document.h"

namespace kova {

// A value of the file that cannot be taken: where it is and what is wrong with it.
struct KeyFailure {
  std::string section;
  std::string key;
  std::string problem;  // "byte 17 is 'G1', not two hexadecimal digits"
};

// Loads a configuration file's values into a document, in the documented
// order: versions, port and PC rate, then either the image ("Contents", then
// interpreting it) or the legacy per-field keys. Throws KeyFailure at the
// first value it cannot take, leaving the document part-way; callers hand it
// a scratch copy. Returns what interpreting the image warned about.
class ProfileReader {
 public:
  ProfileReader(const IniDocument& ini, Document& doc) : ini_(ini), doc_(doc) {}

  std::vector<std::string> Run();

  // One legacy key and the field it sets (legacy_layout.cpp).
  template <class Record>
  struct Key;

  // Whether a "Version" "Kova Pro" value marks a file of release 1.
  static bool IsLegacyCaption(std::string_view caption);

 private:
  // Conversions of the documented kinds, each naming the key when it refuses.
  std::string Text(std::string_view section, std::string_view key, std::string_view fallback) const;
  int Integer(std::string_view section, std::string_view key, std::string_view fallback) const;
  bool Boolean(std::string_view section, std::string_view key, std::string_view fallback) const;
  double Number(std::string_view section, std::string_view key, std::string_view fallback) const;
  int ListIndex(std::string_view section, std::string_view key, std::string_view fallback,
                int items) const;
  int CheckValue(std::string_view section, std::string_view key, std::string_view fallback) const;

  [[noreturn]] void Refuse(std::string_view section, std::string_view key,
                           std::string problem) const;

  void ReadImage();
  void ReadLegacy();  // the steps L1 .. L13

  template <class Record, std::size_t N>
  void ReadKeys(std::string_view section, const Key<Record> (&keys)[N], Record& record) const;

  const IniDocument& ini_;
  Document& doc_;
};

}  // namespace kova
