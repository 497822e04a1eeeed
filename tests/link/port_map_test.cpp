// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_map.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "link/link_messages.h"
#include "link/open_problem.h"
#include "link/operation.h"

namespace kova {
namespace {

// Port n names the n-th device, USB adapters first, each group in natural order,
// unless the user chose another; an operation finds its device through it.
TEST(PortMap, AnOperationFindsItsDeviceThroughThePortNumber) {
  QTemporaryDir dir;
  QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
  // clang-format off
  PortMap map(settings, {{"/dev/ttyS10", "", false}, {"/dev/ttyUSB10", "", true}, {"/dev/ttyS9", "", false},
                         {"/dev/ttyACM0", "", true}, {"/dev/ttyUSB2", "", true}});
  map.Choose(7, "/dev/ttyACM3");
  map.Choose(2, "/dev/ttyACM9");
  map.Choose(2, "");  // back to its default
  const struct {
    ListIndex comPort;
    std::string device, port;
    std::optional<Message> message;
  } cases[] = {
      {0, "/dev/ttyACM0", "COM1", {}}, {1, "/dev/ttyUSB2", "COM2", {}}, {2, "/dev/ttyUSB10", "COM3", {}},
      {3, "/dev/ttyS9", "COM4", {}}, {4, "/dev/ttyS10", "COM5", {}}, {6, "/dev/ttyACM3", "COM7", {}},
      {5, "", "COM6", PortNotMapped("COM6")},  // more ports than devices
      {kNoSelection, "", "", NoPortSelected()}, {16, "", "", NoPortSelected()},
  };
  // clang-format on
  for (const auto& c : cases) {
    OperationRequest request;
    request.document.cfg.ComPort = c.comPort;
    EXPECT_EQ(ResolvePort(request, map), c.message) << c.comPort;
    EXPECT_EQ(request.device, c.device);
    EXPECT_EQ(request.port, c.port);
  }
}

// The rate a device was last seen at survives a new settings object, keeps
// devices apart however their paths look, and ignores what is not a rate.
TEST(PortRates, RemembersEachDevicesRateAndIgnoresJunk) {
  QTemporaryDir dir;
  const QString file = dir.filePath("settings.ini");
  const std::pair<std::string, std::optional<int>> seen[] = {
      {"/dev/ttyUSB0", 19200}, {"/dev/serial/by-id/usb-FTDI_A%1-if00", 1200},
      {"ttyUSB0", 57600},      {"/dev/ttyUSB1", std::nullopt},
      {"junk", std::nullopt},  {"odd", std::nullopt}};
  {
    QSettings settings(file, QSettings::IniFormat);
    PortRates rates(settings);
    for (const auto& [device, rate] : seen)
      if (rate) rates.Remember(device, *rate);
    settings.setValue("Rates/junk", "fast");
    settings.setValue("Rates/odd", "9601");
  }
  QSettings settings(file, QSettings::IniFormat);
  const PortRates rates(settings);
  for (const auto& [device, rate] : seen)
    EXPECT_EQ(rates.LastSeen(device), rate) << device;
  EXPECT_FALSE(settings.childGroups().contains("Ports"));  // the port mapping is left alone
}

// Why a device did not open (a group to join only when it would help), and why
// an open one was lost: unplugged, or bytes taken by another reader.
TEST(OpenProblem, NamesWhatWentWrongAndWhatHelps) {
  EXPECT_EQ(ClassifyOpenProblem(false, true, true), OpenProblem::Missing);
  EXPECT_EQ(ClassifyOpenProblem(true, false, true), OpenProblem::NoPermission);
  EXPECT_EQ(ClassifyOpenProblem(true, true, true), OpenProblem::Busy);
  EXPECT_EQ(ClassifyOpenProblem(true, true, false), OpenProblem::Other);
  EXPECT_EQ(GroupToJoin("dialout", true), "dialout");
  EXPECT_EQ(GroupToJoin("dialout", false), "");
  EXPECT_EQ(GroupToJoin("root", true), "");
  const std::string join = OpenProblemText(OpenProblem::NoPermission, "uucp", "");
  const std::string ask = OpenProblemText(OpenProblem::NoPermission, "", "Permission denied");
  for (const char* part : {"join the uucp group", "usermod -aG uucp"})
    EXPECT_NE(join.find(part), std::string::npos) << part << " in " << join;
  for (const char* part : {"administrator", "udev rule", "dialout", "log in again"})
    EXPECT_NE(ask.find(part), std::string::npos) << part << " in " << ask;
  EXPECT_EQ(ask.find("join the  group"), std::string::npos);
  EXPECT_EQ(OpenProblemText(OpenProblem::Other, "", "Unknown baud"), "Unknown baud");
  EXPECT_EQ(LostDeviceText("Input/output error"),
            "the device stopped working or was unplugged (Input/output error)");
  EXPECT_EQ(LostDeviceText(std::strerror(EAGAIN)),
            "another program is reading from the same device (" +
                std::string(std::strerror(EAGAIN)) + ")");
}

// Any spelling gives the device itself; a relative name: the folder, then /dev/.
TEST(PortMap, ADeviceNameResolvesToTheDeviceItself) {
  QTemporaryDir dir;
  const std::filesystem::path folder = std::filesystem::canonical(dir.path().toStdString());
  std::filesystem::create_symlink("/dev/null", folder / "unit");
  std::filesystem::create_directory(folder / "tty0");  // here, and also in /dev
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"unit", "/dev/null"},
      {(folder / "unit").string(), "/dev/null"},
      {"null", "/dev/null"},
      {"tty0", (folder / "tty0").string()},
      {"no-such-device", "no-such-device"},
      {"/dev/no-such-device", "/dev/no-such-device"}};
  for (const auto& [name, device] : cases)
    EXPECT_EQ(ResolveDevicePath(name), device) << name;
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace kova
