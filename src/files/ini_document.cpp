// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ini_document.h"

#include <algorithm>

namespace kova {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Blanks around names and values; a stray CR before the line feed counts as one.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// Latin-1 letters fold like ASCII ones: 0xC0..0xDE (but the multiplication sign) to 0xE0..0xFE.
unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 'A' && u <= 'Z') return static_cast<unsigned char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<unsigned char>(u + 32);
  return u;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const auto close = text.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(text.substr(1, close - 1));
}

std::optional<std::string_view> KeyName(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() == ';' || text.front() == '[') return std::nullopt;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, equals));
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes) {
  if (bytes.starts_with(kBom)) {
    bom_ = kBom;
    bytes.remove_prefix(kBom.size());
  }
  // Old Mac editors end lines in CR alone; such a file holds no line feed.
  const bool crOnly = bytes.find('\n') == std::string_view::npos;
  const char feedChar = crOnly ? '\r' : '\n';
  std::size_t counts[3] = {};  // CR LF, LF, CR
  while (!bytes.empty()) {
    const auto feed = bytes.find(feedChar);
    Line line;
    if (feed == std::string_view::npos) {
      line.text = bytes;
      bytes = {};
    } else {
      const bool crlf = !crOnly && feed > 0 && bytes[feed - 1] == '\r';
      line.text = bytes.substr(0, crlf ? feed - 1 : feed);
      line.ending = crOnly ? "\r" : crlf ? "\r\n" : "\n";
      bytes.remove_prefix(feed + 1);
      ++counts[crOnly ? 2 : crlf ? 0 : 1];
    }
    lines_.push_back(std::move(line));
  }
  // New lines follow the body, whatever the first line happens to end with.
  if (counts[2] > 0) {
    newline_ = "\r";
  } else if (counts[1] > counts[0]) {
    newline_ = "\n";
  }
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i].text);
    if (name && SameName(*name, section)) return i;
  }
  return std::nullopt;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !SectionName(lines_[i].text))
    ++i;
  return i;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    const auto name = KeyName(lines_[i].text);
    if (name && SameName(*name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  const auto header = FindSection(section);
  if (!header) return std::nullopt;
  const auto at = FindKey(*header, key);
  if (!at) return std::nullopt;
  const std::string_view line = lines_[*at].text;
  return std::string(Trim(line.substr(line.find('=') + 1)));
}

void IniDocument::Terminate(Line& line) const {
  if (line.ending.empty()) line.ending = newline_;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string oneLine(value);
  std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');

  const auto header = FindSection(section);
  if (!header) {
    if (!lines_.empty()) Terminate(lines_.back());
    lines_.push_back({"[" + std::string(section) + "]", newline_});
    lines_.push_back({std::string(key) + "=" + oneLine, newline_});
    return;
  }
  if (const auto at = FindKey(*header, key)) {
    // Keep the key as spelt and the spacing up to the value.
    std::string& line = lines_[*at].text;
    std::size_t start = line.find('=') + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
      ++start;
    line = line.substr(0, start) + oneLine;
    return;
  }
  std::size_t last = *header;
  const std::size_t end = SectionEnd(*header);
  for (std::size_t i = *header + 1; i < end; ++i) {
    if (KeyName(lines_[i].text)) last = i;
  }
  Terminate(lines_[last]);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                Line{std::string(key) + "=" + oneLine, newline_});
}

std::string IniDocument::Text() const {
  std::string text = bom_;
  for (const auto& line : lines_)
    text += line.text + line.ending;
  return text;
}

std::string ProfileValue(const IniDocument& ini, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  std::string value = ini.Find(section, key).value_or(std::string(fallback));
  if (value.size() > kProfileBufferSize - 1) value.resize(kProfileBufferSize - 1);
  return value;
}

}  // namespace kova
