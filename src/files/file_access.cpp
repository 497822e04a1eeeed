// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kova {
namespace {

QByteArray Native(const QString& path) {
  return QFile::encodeName(path);
}

// Qt decodes a name that is not UTF-8 with replacement characters; encoding
// it again names another file, which must never be read or written instead.
QString BadName(const QString& path) {
  if (path.contains(QChar::ReplacementCharacter)) {
    return QStringLiteral("the file name is not valid UTF-8");
  }
  return {};
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

QString TooLarge(qint64 limit) {
  return QStringLiteral("it is larger than %1 bytes, too large for a configuration file")
      .arg(limit);
}

// Reads to the end of the stream, one byte past the limit so that a growing
// or unsized source is caught too.
FileRead ReadAll(int fd, qint64 limit = kMaxProfileBytes) {
  FileRead result;
  std::string bytes;
  char buffer[64 * 1024];
  while (static_cast<qint64>(bytes.size()) <= limit) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result.error = ErrorText(errno);
      return result;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  if (static_cast<qint64>(bytes.size()) > limit) {
    result.error = TooLarge(limit);
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

// Where the new text must go: the file at the end of a chain of symbolic
// links, also when that file does not exist yet (the link stays a link).
QString Resolve(const QString& path, QByteArray& target) {
  QByteArray name = Native(path);
  for (int hop = 0; hop < 40; ++hop) {
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0) {
      if (errno != ENOENT) return ErrorText(errno);
      target = name;
      return {};
    }
    if (!S_ISLNK(link.st_mode)) {
      target = name;
      return {};
    }
    QByteArray to(PATH_MAX, '\0');
    const ssize_t length = ::readlink(name.constData(), to.data(), to.size());
    if (length < 0) return ErrorText(errno);
    to.truncate(length);
    if (!to.startsWith('/')) {
      const qsizetype slash = name.lastIndexOf('/');
      if (slash >= 0) to.prepend(name.left(slash + 1));
    }
    name = to;
  }
  return ErrorText(ELOOP);
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A file nobody may write to by its mode is left alone, whoever asks; a
// user who may not write to it either is told so before anything is made.
QString Unwritable(const QByteArray& target, const struct stat& info) {
  if ((info.st_mode & 0222) == 0) return QStringLiteral("it is read-only");
  if (::geteuid() != 0 && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0) {
    return ErrorText(errno);
  }
  return {};
}

// A hidden file beside `target` named after it ("/dir/.site.kova.AbC123"),
// only after its start: a name that fills the folder entry would leave no
// room for the temporary one.
int MakeBeside(const QByteArray& target, QByteArray& made) {
  const QString name = QFile::decodeName(target);
  const QFileInfo info(name);
  made = Native(info.absolutePath() + "/." + info.fileName().left(kTempNameChars) + ".XXXXXX");
  return ::mkostemp(made.data(), O_CLOEXEC);
}

QString WriteAt0(int fd, std::string_view bytes) {
  if (::lseek(fd, 0, SEEK_SET) != 0) return ErrorText(errno);
  if (QString error = WriteAll(fd, bytes); !error.isEmpty()) return error;
  if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) return ErrorText(errno);
  if (::fsync(fd) != 0) return ErrorText(errno);
  return {};
}

// The extended attributes of `from` (ACLs, labels, a user's own tags) onto
// the new file; false when one of them cannot be given to it.
bool CopyAttributes([[maybe_unused]] const QByteArray& from, [[maybe_unused]] int to) {
#if defined(__linux__)
  const ssize_t size = ::listxattr(from.constData(), nullptr, 0);
  if (size < 0) return errno == ENOTSUP;
  if (size == 0) return true;
  QByteArray names(size, '\0');
  const ssize_t listed = ::listxattr(from.constData(), names.data(), names.size());
  if (listed < 0) return false;
  for (const QByteArray& name : names.left(listed).split('\0')) {
    if (name.isEmpty()) continue;
    const ssize_t length = ::getxattr(from.constData(), name.constData(), nullptr, 0);
    if (length < 0) return false;
    QByteArray value(length, '\0');
    if (::getxattr(from.constData(), name.constData(), value.data(), value.size()) != length ||
        ::fsetxattr(to, name.constData(), value.constData(), value.size(), 0) != 0) {
      return false;
    }
  }
#endif
  return true;
}

// Overwrites the file itself, which keeps its owner, group, mode, attributes
// and every other name it has. Its old text is first copied aside, so that a
// failed write can put it back (and a crash midway leaves it beside the file).
QString WriteInPlace(const QByteArray& target, std::string_view bytes) {
  const int fd = ::open(target.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrorText(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const QString error = S_ISREG(info.st_mode) ? ErrorText(errno) : NotAFile(info.st_mode);
    ::close(fd);
    return error;
  }
  const FileRead old = ReadAll(fd);
  if (!old.bytes) {
    ::close(fd);
    return old.error;
  }
  QByteArray aside;
  const int copy = MakeBeside(target, aside);
  if (copy < 0) {
    const QString error = ErrorText(errno);
    ::close(fd);
    return error;
  }
  QString error;
  if (::fchmod(copy, 0600) != 0) error = ErrorText(errno);
  if (error.isEmpty()) error = WriteAll(copy, *old.bytes);
  if (error.isEmpty() && ::fsync(copy) != 0) error = ErrorText(errno);
  if (::close(copy) != 0 && error.isEmpty()) error = ErrorText(errno);
  if (!error.isEmpty()) {
    ::unlink(aside.constData());
    ::close(fd);
    return error;
  }
  error = WriteAt0(fd, bytes);
  bool restored = true;
  if (!error.isEmpty()) restored = WriteAt0(fd, *old.bytes).isEmpty();
  if (::close(fd) != 0 && error.isEmpty()) error = ErrorText(errno);
  if (!restored) {
    return error + QStringLiteral("; its old text is kept in \"%1\"").arg(QFile::decodeName(aside));
  }
  ::unlink(aside.constData());
  return error;
}

}  // namespace

QString ErrorText(int error) {
  QString text = qt_error_string(error);
  if (text.size() > 1 && text[0].isUpper() && text[1].isLower()) text[0] = text[0].toLower();
  return text;
}

FileRead ReadWholeFile(const QString& path, qint64 limit) {
  FileRead result;
  if (const QString bad = BadName(path); !bad.isEmpty()) {
    result.error = bad;
    return result;
  }
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
  result = ReadAll(fd, limit);
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
  if (const QString bad = BadName(path); !bad.isEmpty()) return bad;
  QByteArray target;
  if (const QString refused = Resolve(path, target); !refused.isEmpty()) return refused;
  struct stat old {};
  const bool exists = ::stat(target.constData(), &old) == 0;
  if (!exists && errno != ENOENT) return ErrorText(errno);
  if (exists) {
    if (const QString what = NotAFile(old.st_mode); !what.isEmpty()) return what;
    if (const QString refused = Unwritable(target, old); !refused.isEmpty()) return refused;
    // A new file would leave the other names with the old text.
    if (old.st_nlink > 1) return WriteInPlace(target, bytes);
  }

  QByteArray temp;
  const int fd = MakeBeside(target, temp);
  if (fd < 0) return ErrorText(errno);
  // The owner first: giving a file away clears its set-id bits.
  if (exists && (::fchown(fd, old.st_uid, old.st_gid) != 0 ||
                 ::fchmod(fd, old.st_mode & 07777) != 0 || !CopyAttributes(target, fd))) {
    ::close(fd);
    ::unlink(temp.constData());
    return WriteInPlace(target, bytes);
  }
  QString error;
  if (!exists && ::fchmod(fd, NewFileMode()) != 0) error = ErrorText(errno);
  if (error.isEmpty()) error = WriteAll(fd, bytes);
  // What the disk could not take may only show when the data reaches it.
  if (error.isEmpty() && ::fsync(fd) != 0) error = ErrorText(errno);
  if (::close(fd) != 0 && error.isEmpty()) error = ErrorText(errno);
  if (error.isEmpty() && ::rename(temp.constData(), target.constData()) != 0) {
    error = ErrorText(errno);
  }
  if (!error.isEmpty()) {
    ::unlink(temp.constData());
    return error;
  }
  // The rename itself lasts once the folder is synced; the file is already in
  // place, so a folder that cannot be synced is not a failed save.
  const int folder = ::open(Native(QFileInfo(QFile::decodeName(target)).absolutePath()).constData(),
                            O_RDONLY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return {};
}

std::optional<FileStamp> StampOf(const QString& path) {
  struct stat info {};
  if (!BadName(path).isEmpty() || ::stat(Native(path).constData(), &info) != 0) return std::nullopt;
  return FileStamp{
      .device = static_cast<quint64>(info.st_dev),
      .inode = static_cast<quint64>(info.st_ino),
      .size = static_cast<qint64>(info.st_size),
      .modifiedNs = static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
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
