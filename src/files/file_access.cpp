#include "files/file_access.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kova {

FileRead ReadWholeFile(const QString& path) {
  FileRead result;
  const QFileInfo info(path);
  if (!info.exists()) {
    result.missing = true;
    result.error = QStringLiteral("the file does not exist");
    return result;
  }
  if (info.isDir()) {
    result.error = QStringLiteral("it is a folder, not a file");
    return result;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    result.error = file.errorString();
    return result;
  }
  // Read one byte past the limit, so that a growing or unsized file is caught too.
  const QByteArray bytes = file.read(kMaxProfileBytes + 1);
  if (file.error() != QFile::NoError) {
    result.error = file.errorString();
    return result;
  }
  if (bytes.size() > kMaxProfileBytes) {
    result.error = QStringLiteral("it is larger than %1 bytes, too large for a configuration file")
                       .arg(kMaxProfileBytes);
    return result;
  }
  result.bytes = bytes.toStdString();
  return result;
}

QString ReplaceFile(const QString& path, std::string_view bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) {
    const QString error = file.errorString();
    file.cancelWriting();
    return error;
  }
  if (!file.commit()) return file.errorString();
  return {};
}

}  // namespace kova
