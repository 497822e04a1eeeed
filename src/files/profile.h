// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diag/message.h"
#include "image/document.h"

// The configuration file (.kova): INI text with the unit's version texts, the
// PC's port and rate, and the whole image as 512 hexadecimal digits. Files of
// release 1 hold one key per field instead; they are read, never written.
namespace kova {

// What reading a file gives: the whole new document, or a message and nothing.
struct ProfileLoad {
  std::optional<Document> document;   // set only when every value was taken
  std::vector<std::string> warnings;  // what interpreting the image noticed
  std::optional<Message> failure;     // why nothing was loaded

  bool ok() const { return document.has_value(); }
};

// What saving gives: nothing written and a message, or the file written.
struct ProfileSave {
  std::optional<Message> failure;
  std::string control;                // the field that packing refused, if that was the cause
  std::vector<std::string> warnings;  // what interpreting the saved image noticed

  bool ok() const { return !failure.has_value(); }
};

// One value as the profile reader gives it: the default when the file,
// section or key is missing, "" for an empty value, at most 2047 characters.
std::string ProfileGetItem(std::string_view section, std::string_view key,
                           std::string_view fallback, const QString& path);

// Loads the file over a copy of current (fields the file does not name keep
// their values there) and returns that copy. current itself is never changed:
// a file that cannot be read whole changes nothing.
ProfileLoad ReadProfile(const QString& path, const Document& current);
// The same for a file's bytes; fileName only names it in the message.
ProfileLoad ReadProfileText(std::string_view bytes, const QString& fileName,
                            const Document& current);
// The same for an already open stream (standard input), read to its end.
ProfileLoad ReadProfileStream(int fd, const QString& shownName, const Document& current);

// Packs the document and saves it in the image layout, keeping every other
// line of an existing file; then shows what the file now holds by reading the
// packed image back into the document. When packing refuses a value or the
// file cannot be written, nothing is written and the document is unchanged.
ProfileSave WriteProfile(const QString& path, Document& doc);

// Saves the document's image exactly as it stands, without packing: a
// faithful copy of what a unit held.
ProfileSave WriteProfileImage(const QString& path, const Document& doc);

// The same two as a fresh file on an already open stream (standard output);
// shownName names it in messages.
ProfileSave WriteProfileToStream(int fd, const QString& shownName, Document& doc);
ProfileSave WriteProfileImageToStream(int fd, const QString& shownName, const Document& doc);

// Every message names the file by the path as given. Nothing is ever saved
// into a file of a wide encoding (UTF-16, UTF-32), nor onto anything but a
// regular file; a file in a wide encoding is refused on reading, by name.

// The file text with the document's values written into existing (a new
// file when empty): the version texts, the caption, port, PC rate and image.
std::string ProfileText(std::string_view existing, const Document& doc);

}  // namespace kova
