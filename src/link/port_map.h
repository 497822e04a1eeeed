// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

class QSettings;

namespace kova {

constexpr int kPortCount = 16;  // the port list's items "COM1" .. "COM16"

// A serial device the system offers.
struct SerialDevice {
  std::string path;         // what the port is opened with: "/dev/ttyUSB0", "COM3"
  std::string description;  // for the user: "FT232R USB UART"
  bool usb = false;
};

// "COM3" for port 3: the port list's item.
std::string PortName(int port);

// The order in which ports 1..16 take the devices found: USB adapters first,
// as they are what a unit is usually plugged into, then the rest; each group
// in natural order of its paths (ttyUSB2 before ttyUSB10).
std::vector<SerialDevice> DefaultPortOrder(std::vector<SerialDevice> found);

// The device a port name given by the user stands for. A relative name is
// looked for in the working folder first, then under /dev/; symbolic links
// are followed to the device itself, so that every spelling of one device
// comes out the same. A name that names nothing is returned as it is.
std::string ResolveDevicePath(const std::string& name);

// The serial devices of this computer.
std::vector<SerialDevice> AvailableSerialDevices();

// Which device each port number names. The user may tie any port to any
// device; a port left alone names the platform's n-th device ("COMn" on
// Windows, the n-th of DefaultPortOrder elsewhere). The choices are kept in
// the per-user settings, group "Ports", keys "COM1" .. "COM16".
class PortMap {
 public:
  // `settings` must outlive the map. `found` is what the platform offers;
  // by default the devices present now.
  explicit PortMap(QSettings& settings);
  PortMap(QSettings& settings, std::vector<SerialDevice> found);

  // The device of port 1..16, or "" when the port names nothing.
  std::string DeviceFor(int port) const;
  // The device the port names when the user has not chosen one.
  std::string DefaultDeviceFor(int port) const;
  // Whether the user chose this port's device.
  bool IsChosen(int port) const;
  // Ties the port to a device; an empty device returns it to its default.
  void Choose(int port, const std::string& device);

 private:
  QSettings& settings_;
  std::vector<SerialDevice> order_;
};

// The rate each device last answered at, so that the command line can talk
// to a unit without being told its rate again. Kept in the per-user settings
// beside the port mapping, group "Rates", one key per device as the user
// names it.
class PortRates {
 public:
  // `settings` must outlive this.
  explicit PortRates(QSettings& settings) : settings_(settings) {}

  // Nothing when the device was never seen or what is stored is not one of
  // the eight rates.
  std::optional<int> LastSeen(const std::string& device) const;
  void Remember(const std::string& device, int rate);

  // When a write to the device was last cut short (milliseconds since the
  // epoch), so that the next program to use it can wait until the unit has
  // given the write up; nothing once that was cleared.
  std::optional<long long> WriteCutShortAt(const std::string& device) const;
  void RememberWriteCutShort(const std::string& device, long long msSinceEpoch);
  void ClearWriteCutShort(const std::string& device);

 private:
  QSettings& settings_;
};

}  // namespace kova
