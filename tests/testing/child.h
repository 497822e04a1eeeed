// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "eeprom_file.h"
#include "image/eeprom_image.h"

namespace kova::test {

// Programs run as children: one run to its end, or kova-sim alongside a test.

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

// A folder for one simulated unit: its EEPROM file and the link to its
// device. Several simulators can run from it one after another, as one
// unit switched off and on again with other options.
class SimFolder {
 public:
  std::string Link() const { return dir_.filePath("kova").toStdString(); }
  std::string EEpromPath() const { return dir_.filePath("eeprom.bin").toStdString(); }
  void WriteEEprom(const EEpromImage& image) const { sim::SaveEEprom(EEpromPath(), image); }
  EEpromImage ReadEEprom() const { return sim::LoadEEprom(EEpromPath()); }

 private:
  QTemporaryDir dir_;
};

// kova-sim running as a child process; it ends with this object, or with the
// test program if that dies first.
class SimProcess {
 public:
  SimProcess(const SimFolder& folder, const QStringList& options = {});
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Running() const { return process_.state() == QProcess::Running; }
  // The device it printed last.
  const std::string& Device() const { return device_; }
  // Waits until it has logged a line holding `text`; false after 10 s.
  bool AwaitLog(const std::string& text);
  // Stops it (the EEPROM file is then complete) and returns what it logged.
  std::string Stop();

 private:
  QProcess process_;
  std::string device_;
  std::string log_;
};

// How many of this process's open files are the device behind `path`.
int OpenHandlesTo(const std::string& path);

}  // namespace kova::test
