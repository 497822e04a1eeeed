// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kova::test {

// A file of tests/fixtures.
inline QString Fixture(const char* name) {
  return QStringLiteral(KOVA_FIXTURES "/") + QLatin1String(name);
}

// A file's bytes; "(missing)" when it cannot be read, which no test expects.
inline QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Writes bytes into a file; false when they could not all be written.
inline bool Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace kova::test
