// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Whole files in and out, and the one way this program writes a file.
//
// Only regular files are read or replaced: a named pipe, a socket or a device
// is refused by what stat says, before anything opens it, so nothing blocks.
// A file is replaced atomically: the new text goes to a temporary file beside
// it that is given the old one's owner, group, mode and extended attributes
// (ACLs among them), is written, flushed and synced with every step checked,
// and only then takes the old one's place. Where the new file cannot be given
// what the old one had (a colleague's file in a shared folder), or the old
// file has other names (hard links), it is written in place instead: its old
// text is first copied aside, and put back if the new one cannot be written
// whole. Any failure removes the temporary files and leaves the old one byte
// for byte as it was.
//
// A file without any write permission bit is read-only for everyone, root
// included, and is never written. A name that was not valid UTF-8 on disk
// reaches Qt with replacement characters; it is refused rather than
// written under another name.
//
// Reasons come back as text fit to follow a colon ("no space left on device").
namespace kova {

// A configuration file is a few kilobytes; anything this large is not one,
// and is refused rather than read into memory. Writing refuses the same size,
// so that whatever was saved can be opened again.
constexpr qint64 kMaxProfileBytes = 4 * 1024 * 1024;
// The per-user settings grow with every port a rate is remembered for; they
// are checked whole before use, up to this size.
constexpr qint64 kMaxSettingsBytes = 64 * 1024 * 1024;

struct FileRead {
  std::optional<std::string> bytes;  // empty when the file could not be read
  bool missing = false;              // the file does not exist
  QString error;                     // why it could not be read
};

FileRead ReadWholeFile(const QString& path, qint64 limit = kMaxProfileBytes);
// Reads an already open stream (standard input) to its end, to the same limit.
FileRead ReadWholeStream(int fd);

// Returns an empty text on success, else why the file could not be written.
// A symbolic link is followed: the file it names is replaced, the link stays;
// a link to a file that does not exist yet creates that file.
QString ReplaceFile(const QString& path, std::string_view bytes);

// Which file a path names and when it last changed, to tell whether another
// program has written it since.
struct FileStamp {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modifiedNs = 0;

  bool operator==(const FileStamp&) const = default;
};
// Nothing when the path names no file.
std::optional<FileStamp> StampOf(const QString& path);
// Writes to an already open stream (standard output), checking every write.
QString WriteStream(int fd, std::string_view bytes);

// "UTF-16" or "UTF-32" when the bytes are text in a wide encoding (a byte
// order mark, or NULs between ASCII characters); nullptr for single-byte text.
const char* WideEncoding(std::string_view bytes);

// The text for a system error number, fit to follow a colon.
QString ErrorText(int error);

}  // namespace kova
