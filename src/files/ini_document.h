// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kova {

// An INI file kept as its lines, so that writing a value touches that value
// and nothing else: comments, blank lines, unknown sections, odd spacing and
// each line's own ending come back byte for byte.
//
// Reading: a section starts at a line "[name]"; a key line holds the key, an
// equals sign and the value, split at the first "=". Names are matched
// without regard to letter case (Latin-1), blanks around names and values do
// not count, and a line starting with ";" is a comment. The first section of
// a name and the first key of a name in it are the ones that count.
//
// Writing: an existing value is replaced in place, a new key goes after the
// last key of its section and a new section at the end of the file. New lines
// end as most of the file's lines do (CR LF on a tie and in a new file).
//
// A file without a single line feed whose lines end in CR alone (old Mac
// editors) is read as those lines, and new lines end in CR too.
//
// The text is single-byte (Latin-1); nothing is decoded.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string_view bytes);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // A value is one line: a line feed in it is written as a blank.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Text() const;

 private:
  struct Line {
    std::string text;
    std::string ending;  // "\r\n", "\n", or "" for a last line without one
  };

  std::optional<std::size_t> FindSection(std::string_view section) const;
  std::size_t SectionEnd(std::size_t header) const;
  std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
  void Terminate(Line& line) const;

  std::string bom_;  // a UTF-8 byte order mark an editor may have put in front
  std::vector<Line> lines_;
  std::string newline_ = "\r\n";
};

// The profile reader's buffer: a value comes back cut to one character less.
constexpr std::size_t kProfileBufferSize = 2048;

// The value as the profile reader gives it: the default when the section or
// key is missing, an empty text for an empty value, at most 2047 characters.
std::string ProfileValue(const IniDocument& ini, std::string_view section, std::string_view key,
                         std::string_view fallback);

}  // namespace kova
