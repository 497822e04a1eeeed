// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_map.h"

#include <QSerialPortInfo>
#include <QSettings>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "image/configuration.h"

namespace kova {
namespace {

constexpr const char* kGroup = "Ports";
constexpr const char* kRatesGroup = "Rates";
constexpr const char* kCutWritesGroup = "CutWrites";

bool ValidPort(int port) {
  return port >= 1 && port <= kPortCount;
}

QString Key(int port) {
  return QString::fromStdString(PortName(port));
}

// Compares names with their runs of digits taken as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool digitA = std::isdigit(static_cast<unsigned char>(a[i]));
    const bool digitB = std::isdigit(static_cast<unsigned char>(b[j]));
    if (digitA && digitB) {
      std::size_t endA = i, endB = j;
      while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA])))
        ++endA;
      while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB])))
        ++endB;
      const std::string numA = a.substr(i, endA - i), numB = b.substr(j, endB - j);
      const std::size_t zA = numA.find_first_not_of('0'), zB = numB.find_first_not_of('0');
      const std::string sigA = zA == std::string::npos ? "" : numA.substr(zA);
      const std::string sigB = zB == std::string::npos ? "" : numB.substr(zB);
      if (sigA.size() != sigB.size()) return sigA.size() < sigB.size();
      if (sigA != sigB) return sigA < sigB;
      i = endA;
      j = endB;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

// A device path as one settings key: its slashes would otherwise open groups.
QString DeviceKey(const std::string& device) {
  return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(device)));
}

}  // namespace

std::string PortName(int port) {
  return "COM" + std::to_string(port);
}

std::vector<SerialDevice> DefaultPortOrder(std::vector<SerialDevice> found) {
  std::stable_sort(found.begin(), found.end(), [](const SerialDevice& a, const SerialDevice& b) {
    if (a.usb != b.usb) return a.usb;
    return NaturalLess(a.path, b.path);
  });
  return found;
}

std::string ResolveDevicePath(const std::string& name) {
#ifdef Q_OS_WIN
  return name;  // Windows names ports, not files
#else
  namespace fs = std::filesystem;
  if (name.empty()) return name;
  std::error_code error;
  fs::path path(name);
  if (path.is_relative()) {
    if (fs::exists(path, error)) {
      path = fs::absolute(path, error);
    } else if (fs::exists(fs::path("/dev") / path, error)) {
      path = fs::path("/dev") / path;
    } else {
      return name;
    }
  }
  const fs::path device = fs::canonical(path, error);
  return error ? path.string() : device.string();
#endif
}

std::vector<SerialDevice> AvailableSerialDevices() {
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDevice device;
    device.path = info.systemLocation().toStdString();
    device.description = info.description().toStdString();
    device.usb = info.hasVendorIdentifier();
    devices.push_back(device);
  }
  return devices;
}

PortMap::PortMap(QSettings& settings) : PortMap(settings, AvailableSerialDevices()) {}

PortMap::PortMap(QSettings& settings, std::vector<SerialDevice> found)
    : settings_(settings), order_(DefaultPortOrder(std::move(found))) {}

std::string PortMap::DefaultDeviceFor(int port) const {
  if (!ValidPort(port)) return {};
#ifdef Q_OS_WIN
  return PortName(port);
#else
  if (static_cast<std::size_t>(port) > order_.size()) return {};
  return order_[port - 1].path;
#endif
}

bool PortMap::IsChosen(int port) const {
  if (!ValidPort(port)) return false;
  settings_.beginGroup(kGroup);
  const bool chosen = !settings_.value(Key(port)).toString().isEmpty();
  settings_.endGroup();
  return chosen;
}

std::string PortMap::DeviceFor(int port) const {
  if (!ValidPort(port)) return {};
  settings_.beginGroup(kGroup);
  const QString chosen = settings_.value(Key(port)).toString();
  settings_.endGroup();
  if (!chosen.isEmpty()) return chosen.toStdString();
  return DefaultDeviceFor(port);
}

void PortMap::Choose(int port, const std::string& device) {
  if (!ValidPort(port)) return;
  settings_.beginGroup(kGroup);
  if (device.empty()) {
    settings_.remove(Key(port));
  } else {
    settings_.setValue(Key(port), QString::fromStdString(device));
  }
  settings_.endGroup();
}

std::optional<int> PortRates::LastSeen(const std::string& device) const {
  settings_.beginGroup(kRatesGroup);
  bool number = false;
  const int rate = settings_.value(DeviceKey(device)).toString().toInt(&number);
  settings_.endGroup();
  if (!number || std::find(kBaudRates.begin(), kBaudRates.end(), rate) == kBaudRates.end())
    return std::nullopt;
  return rate;
}

void PortRates::Remember(const std::string& device, int rate) {
  settings_.beginGroup(kRatesGroup);
  settings_.setValue(DeviceKey(device), QString::number(rate));
  settings_.endGroup();
}

}  // namespace kova

namespace kova {

std::optional<long long> PortRates::WriteCutShortAt(const std::string& device) const {
  settings_.beginGroup(kCutWritesGroup);
  bool number = false;
  const long long at = settings_.value(DeviceKey(device)).toString().toLongLong(&number);
  settings_.endGroup();
  if (!number) return std::nullopt;
  return at;
}

void PortRates::RememberWriteCutShort(const std::string& device, long long msSinceEpoch) {
  settings_.beginGroup(kCutWritesGroup);
  settings_.setValue(DeviceKey(device), QString::number(msSinceEpoch));
  settings_.endGroup();
}

void PortRates::ClearWriteCutShort(const std::string& device) {
  settings_.beginGroup(kCutWritesGroup);
  settings_.remove(DeviceKey(device));
  settings_.endGroup();
}

}  // namespace kova
