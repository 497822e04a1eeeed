// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "image/eeprom_image.h"

namespace kova::test {

// A folder for one simulated unit: its EEPROM file and the link to its
// device. Several simulators can run from it one after another, as one
// unit switched off and on again with other options.
class SimFolder {
 public:
  SimFolder();
  std::string Link() const;
  std::string EEpromPath() const;
  void WriteEEprom(const EEpromImage& image) const;
  EEpromImage ReadEEprom() const;

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
