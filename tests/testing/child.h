// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kova::test {

// What a program run as a child said and how it ended.
struct Ran {
  int status = -1;  // its exit status; -1 when it crashed, -2 when it was still running
  QString out;
  QString err;

  // Standard output read as one JSON object; empty when it is not one.
  QJsonObject Json() const;
};

// How to run the child: what it reads, what its environment adds or drops, and
// how large a file it may write (0: a disk that takes nothing). The limit comes
// with SIGXFSZ at its default, so a program that does not ignore it dies.
struct Child {
  QByteArray input = {};
  QMap<QString, QString> env = {};  // an empty value removes the variable
  long long fileSizeLimit = -1;
  int timeoutMs = 30000;
  QString output = {};  // a file standard output goes to instead ("/dev/full")
  int signal = 0;       // sent once standard error has shown signalOn
  QByteArray signalOn = {};
};

Ran Run(const QString& program, const QStringList& args, const Child& how = {});

#ifdef KOVACTL
inline Ran Kovactl(const QStringList& args, const Child& how = {}) {
  return Run(QStringLiteral(KOVACTL), args, how);
}
#endif

}  // namespace kova::test
