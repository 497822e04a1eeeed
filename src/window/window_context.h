// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "link/operation_worker.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "link/serial_link.h"

class QSettings;

namespace kova {

class Prompter;
class SettingsStore;

// Where the window meets the world around it. The program hands over the
// user's own dialogs and stores; a test hands over its fakes and temporary
// files, so that nothing of the user's is ever touched.
struct WindowContext {
  Prompter& prompter;
  // The window's place and the last file location.
  SettingsStore& settings;
  // Which device each port of the port list names.
  QSettings& ports;
  // The copies of images read and sent; empty for the user's own folder.
  QString backupFolder{};
  // The "Path" of a first run; empty for the user's documents folder.
  QString programFolder{};
  // How an operation reaches the unit; empty for the computer's serial port.
  OperationWorker::Runner runner{};
  LinkTimings timings{};
  // The serial devices to offer; empty for those the computer has.
  std::function<std::vector<SerialDevice>()> devices{};
  // How Find asks for the unit's rate (device, port, rates in order, the
  // stop flag); empty for the computer's serial port. Runs on a thread of its own.
  std::function<ProbeResult(const std::string&, const std::string&, const std::vector<int>&,
                            const std::atomic<bool>*)>
      probe{};
};

}  // namespace kova
