#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Whole files in and out. A file is replaced atomically: the new text goes to
// a temporary file beside it, which then takes the old one's place, so that a
// failure part-way leaves the old file as it was.
namespace kova {

// A configuration file is a few kilobytes; anything this large is not one,
// and is refused rather than read into memory.
constexpr qint64 kMaxProfileBytes = 4 * 1024 * 1024;

struct FileRead {
  std::optional<std::string> bytes;  // empty when the file could not be read
  bool missing = false;              // the file does not exist
  QString error;                     // why it could not be read
};

FileRead ReadWholeFile(const QString& path);

// Returns an empty text on success, else why the file could not be written.
QString ReplaceFile(const QString& path, std::string_view bytes);

}  // namespace kova
