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

// Port n names the n-th device, USB adapters first, each group in natural
// order, unless the user chose another; an operation finds its device
// through the port number.
TEST(PortMap, AnOperationFindsItsDeviceThroughThePortNumber) {
  QTemporaryDir dir;
  QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
  PortMap map(settings, {{"/dev/ttyS10", "", false},
                         {"/dev/ttyUSB10", "", true},
                         {"/dev/ttyS9", "", false},
                         {"/dev/ttyACM0", "", true},
                         {"/dev/ttyUSB2", "", true}});
  map.Choose(7, "/dev/ttyACM3");
  map.Choose(2, "/dev/ttyACM9");
  map.Choose(2, "");  // back to its default
  struct Case {
    ListIndex comPort;
    std::string device, port;
    std::optional<Message> message;
  };
  const Case cases[] = {
      {0, "/dev/ttyACM0", "COM1", std::nullopt},
      {1, "/dev/ttyUSB2", "COM2", std::nullopt},
      {2, "/dev/ttyUSB10", "COM3", std::nullopt},
      {3, "/dev/ttyS9", "COM4", std::nullopt},
      {4, "/dev/ttyS10", "COM5", std::nullopt},
      {5, "", "COM6", PortNotMapped("COM6")},  // more ports than devices
      {6, "/dev/ttyACM3", "COM7", std::nullopt},
      {kNoSelection, "", "", NoPortSelected()},
      {16, "", "", NoPortSelected()},
  };
  for (const Case& c : cases) {
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
  {
    QSettings settings(file, QSettings::IniFormat);
    PortRates rates(settings);
    rates.Remember("/dev/ttyUSB0", 19200);
    rates.Remember("/dev/serial/by-id/usb-FTDI_A%1-if00", 1200);
    rates.Remember("ttyUSB0", 57600);
    settings.setValue("Rates/junk", "fast");
    settings.setValue("Rates/odd", "9601");
  }
  QSettings settings(file, QSettings::IniFormat);
  const PortRates rates(settings);
  EXPECT_EQ(rates.LastSeen("/dev/ttyUSB0"), 19200);
  EXPECT_EQ(rates.LastSeen("/dev/serial/by-id/usb-FTDI_A%1-if00"), 1200);
  EXPECT_EQ(rates.LastSeen("ttyUSB0"), 57600);
  EXPECT_EQ(rates.LastSeen("/dev/ttyUSB1"), std::nullopt);
  EXPECT_EQ(rates.LastSeen("junk"), std::nullopt);
  EXPECT_EQ(rates.LastSeen("odd"), std::nullopt);
  EXPECT_FALSE(settings.childGroups().contains("Ports"));  // the port mapping is left alone
}

TEST(OpenProblem, TellsMissingFromForbiddenFromBusyAndHintsAtTheGroup) {
  struct Case {
    bool exists, accessible, permissionRefusal;
    OpenProblem problem;
  };
  const Case cases[] = {{false, true, true, OpenProblem::Missing},
                        {true, false, true, OpenProblem::NoPermission},
                        {true, true, true, OpenProblem::Busy},
                        {true, true, false, OpenProblem::Other}};
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyOpenProblem(c.exists, c.accessible, c.permissionRefusal), c.problem);
  }
  const std::string text = OpenProblemText(OpenProblem::NoPermission, "uucp", "");
  EXPECT_NE(text.find("join the uucp group"), std::string::npos) << text;
  EXPECT_NE(text.find("usermod -aG uucp"), std::string::npos) << text;
  EXPECT_EQ(OpenProblemText(OpenProblem::Other, "", "Unknown baud"), "Unknown baud");
}

// Joining a group helps only when that group may read and write the device
// and is not root; otherwise the message sends the user to an administrator.
TEST(OpenProblem, SuggestsAGroupOnlyWhenJoiningItWouldHelp) {
  EXPECT_EQ(GroupToJoin("dialout", true), "dialout");
  EXPECT_EQ(GroupToJoin("dialout", false), "");
  EXPECT_EQ(GroupToJoin("root", true), "");
  const std::string text = OpenProblemText(OpenProblem::NoPermission, "", "Permission denied");
  for (const char* part : {"administrator", "udev rule", "dialout", "log in again"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  EXPECT_EQ(text.find("join the  group"), std::string::npos);
}

// A device that stops answering reads is most often unplugged; one whose
// bytes vanish between the port's notice and the read has another reader.
TEST(OpenProblem, ALostDeviceIsToldFromAnotherReaderByTheFailingCallsWords) {
  EXPECT_EQ(LostDeviceText("Input/output error"),
            "the device stopped working or was unplugged (Input/output error)");
  EXPECT_EQ(LostDeviceText(std::strerror(EAGAIN)),
            "another program is reading from the same device (" +
                std::string(std::strerror(EAGAIN)) + ")");
}

// Every spelling of a device comes out as the device itself; a relative
// name is looked for in the working folder first, then under /dev/.
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
      {"/dev/no-such-device", "/dev/no-such-device"},
  };
  for (const auto& [name, device] : cases)
    EXPECT_EQ(ResolveDevicePath(name), device) << name;
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace kova
