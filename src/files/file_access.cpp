// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>

namespace kova {
namespace {

QByteArray Native(const QString& path) {
  return QFile::encodeName(path);
}

// What a path is when it is not a regular file; empty when it is one.
QString NotAFile(mode_t mode) {
  if (S_ISREG(mode)) return {};
  if (S_ISDIR(mode)) return QStringLiteral("it is a folder, not a file");
  if (S_ISFIFO(mode)) return QStringLiteral("it is a named pipe (FIFO), not a file");
  if (S_ISSOCK(mode)) return QStringLiteral("it is a socket, not a file");
  if (S_ISCHR(mode)) return QStringLiteral("it is a character device, not a file");
  if (S_ISBLK(mode)) return QStringLiteral("it is a block device, not a file");
  return QStringLiteral("it is not a regular file");
}

// At most 4 bytes a character, so a temporary name stays far below the
// 255 bytes a folder entry may hold.
constexpr int kTempNameChars = 40;

QString TooLarge() {
  return QStringLiteral("it is larger than %1 bytes, too large for a configuration file")
      .arg(kMaxProfileBytes);
}

// Reads to the end of the stream, one byte past the limit so that a growing
// or unsized source is caught too.
FileRead ReadAll(int fd) {
  FileRead result;
  std::string bytes;
  char buffer[64 * 1024];
  while (static_cast<qint64>(bytes.size()) <= kMaxProfileBytes) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.error = ErrorText(errno);
      return result;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  if (static_cast<qint64>(bytes.size()) > kMaxProfileBytes) {
    result.error = TooLarge();
    return result;
  }
  result.bytes = std::move(bytes);
  return result;
}

QString WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return ErrorText(errno);
    // A short write is followed by one that says why (a full disk, a size
    // limit); one that takes nothing at all would loop for ever.
    if (put == 0) return QStringLiteral("the device took no data");
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return {};
}

// Where the new text must go: the file a link names, else the path itself.
// Refuses a target that exists and is not a regular file.
QString Target(const QString& path, QString& target, std::optional<mode_t>& mode) {
  struct stat info {};
  if (::stat(Native(path).constData(), &info) != 0) {
    if (errno != ENOENT) return ErrorText(errno);
    target = path;  // a new file (or a link to nowhere, which becomes a file)
    return {};
  }
  if (const QString what = NotAFile(info.st_mode); !what.isEmpty()) return what;
  mode = info.st_mode & 07777;
  target = QFileInfo(path).canonicalFilePath();
  if (target.isEmpty()) target = path;
  return {};
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

QString ErrorText(int error) {
  QString text = qt_error_string(error);
  if (text.size() > 1 && text[0].isUpper() && text[1].isLower()) text[0] = text[0].toLower();
  return text;
}

FileRead ReadWholeFile(const QString& path) {
  FileRead result;
  const QByteArray native = Native(path);
  // stat first: opening a pipe or a device may block or have effects of its own.
  struct stat info {};
  if (::stat(native.constData(), &info) != 0) {
    result.missing = errno == ENOENT;
    result.error = result.missing ? QStringLiteral("the file does not exist") : ErrorText(errno);
    return result;
  }
  if (const QString what = NotAFile(info.st_mode); !what.isEmpty()) {
    result.error = what;
    return result;
  }
  // Non-blocking and checked again once open, in case the path changed between.
  const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.error = ErrorText(errno);
    return result;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result.error = S_ISREG(info.st_mode) ? ErrorText(errno) : NotAFile(info.st_mode);
    ::close(fd);
    return result;
  }
  result = ReadAll(fd);
  ::close(fd);
  return result;
}

FileRead ReadWholeStream(int fd) {
  return ReadAll(fd);
}

QString ReplaceFile(const QString& path, std::string_view bytes) {
  if (static_cast<qint64>(bytes.size()) > kMaxProfileBytes) {
    return QStringLiteral("the file would be larger than %1 bytes, more than can be opened again")
        .arg(kMaxProfileBytes);
  }
  QString target;
  std::optional<mode_t> mode;
  if (const QString refused = Target(path, target, mode); !refused.isEmpty()) return refused;

  const QFileInfo info(target);
  // The copy is named after the file so that one left by a crash can be told
  // apart, but only after its start: a name that fills the folder entry
  // would leave no room for the temporary one.
  QByteArray temp =
      Native(info.absolutePath() + "/." + info.fileName().left(kTempNameChars) + ".XXXXXX");
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return ErrorText(errno);
  QString error;
  if (::fchmod(fd, mode.value_or(NewFileMode())) != 0) error = ErrorText(errno);
  if (error.isEmpty()) error = WriteAll(fd, bytes);
  // What the disk could not take may only show when the data reaches it.
  if (error.isEmpty() && ::fsync(fd) != 0) error = ErrorText(errno);
  if (::close(fd) != 0 && error.isEmpty()) error = ErrorText(errno);
  if (error.isEmpty() && ::rename(temp.constData(), Native(target).constData()) != 0) {
    error = ErrorText(errno);
  }
  if (!error.isEmpty()) {
    ::unlink(temp.constData());
    return error;
  }
  // The rename itself lasts once the folder is synced; the file is already in
  // place, so a folder that cannot be synced is not a failed save.
  const int folder = ::open(Native(info.absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return {};
}

QString WriteStream(int fd, std::string_view bytes) {
  if (QString error = WriteAll(fd, bytes); !error.isEmpty()) return error;
  // A pipe or a terminal cannot be synced; a redirected file can, and must be.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
    return ErrorText(errno);
  }
  return {};
}

const char* WideEncoding(std::string_view bytes) {
  const auto at = [&](std::size_t i) {
    return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u;
  };
  if (bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
      bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4))) {
    return "UTF-32";
  }
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return "UTF-16";
  const auto ascii = [&](std::size_t i) { return at(i) > 0 && at(i) < 0x80; };
  if (ascii(0) && at(1) == 0 && at(2) == 0 && at(3) == 0) return "UTF-32";
  if (at(0) == 0 && at(1) == 0 && at(2) == 0 && ascii(3)) return "UTF-32";
  if ((ascii(0) && at(1) == 0 && ascii(2) && at(3) == 0) ||
      (at(0) == 0 && ascii(1) && at(2) == 0 && ascii(3))) {
    return "UTF-16";
  }
  return nullptr;
}

}  // namespace kova
