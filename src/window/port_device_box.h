// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "image/configuration.h"
#include "link/port_map.h"

class QComboBox;
class QSettings;

namespace kova {

// The device behind the selected port, and the user's choice of it. The
// list's first entry is the port's default device; choosing it drops the
// user's choice. A device the list does not offer can be typed in.
class PortDeviceBox : public QObject {
  Q_OBJECT

 public:
  using Scan = std::function<std::vector<SerialDevice>()>;

  PortDeviceBox(QComboBox& box, QSettings& ports, Scan scan, QObject* parent = nullptr);

  // Looks for serial devices again: one may have been plugged in.
  void Rescan();
  // Shows what the port list's entry names (kNoSelection: no port).
  void Show(ListIndex comPort);
  // The mapping as the user left it, over the devices last found.
  PortMap Map() const { return PortMap(ports_, found_); }

 private:
  void FillList();
  void Choose(const std::string& device);
  void OnEdited();

  QComboBox& box_;
  QSettings& ports_;
  Scan scan_;
  std::vector<SerialDevice> found_;
  int port_ = 0;  // 1..16, 0 for none
};

}  // namespace kova
