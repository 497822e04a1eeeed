#include "link/port_map.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "link/link_messages.h"
#include "link/open_problem.h"
#include "link/operation.h"

namespace kova {
namespace {

std::vector<std::string> Paths(const std::vector<SerialDevice>& devices) {
  std::vector<std::string> paths;
  for (const SerialDevice& d : devices)
    paths.push_back(d.path);
  return paths;
}

TEST(DefaultPortOrder, PutsUsbAdaptersFirstEachInNaturalOrder) {
  const std::vector<SerialDevice> found{{"/dev/ttyS1", "", false},  {"/dev/ttyUSB10", "", true},
                                        {"/dev/ttyS0", "", false},  {"/dev/ttyUSB2", "", true},
                                        {"/dev/ttyACM0", "", true}, {"/dev/ttyS10", "", false},
                                        {"/dev/ttyS9", "", false}};
  EXPECT_EQ(Paths(DefaultPortOrder(found)),
            (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS0",
                                      "/dev/ttyS1", "/dev/ttyS9", "/dev/ttyS10"}));
}

class PortMapTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
  PortMap map{settings, {{"/dev/ttyS0", "", false}, {"/dev/ttyUSB0", "", true}}};
};

TEST_F(PortMapTest, PortNTakesTheNthDeviceUnlessTheUserChoseOne) {
  EXPECT_EQ(PortName(3), "COM3");
#ifndef Q_OS_WIN
  EXPECT_EQ(map.DeviceFor(1), "/dev/ttyUSB0");
  EXPECT_EQ(map.DeviceFor(2), "/dev/ttyS0");
  EXPECT_EQ(map.DeviceFor(3), "") << "more ports than devices";
#endif
  map.Choose(3, "/tmp/kova-sim");
  EXPECT_EQ(map.DeviceFor(3), "/tmp/kova-sim");
  EXPECT_TRUE(map.IsChosen(3));
  EXPECT_FALSE(map.IsChosen(2));
  settings.sync();
  QSettings reread(dir.filePath("settings.ini"), QSettings::IniFormat);
  EXPECT_EQ(reread.value("Ports/COM3").toString(), "/tmp/kova-sim") << "kept per user";

  map.Choose(3, "");
  EXPECT_FALSE(map.IsChosen(3));
  EXPECT_EQ(map.DeviceFor(3), map.DefaultDeviceFor(3));
  for (int port : {0, 17}) {
    map.Choose(port, "/dev/null");
    EXPECT_EQ(map.DeviceFor(port), "") << port;
  }
}

TEST_F(PortMapTest, AnOperationFindsItsDeviceThroughThePortNumber) {
  struct Case {
    ListIndex comPort;
    std::string device, port;
    std::optional<Message> message;
  };
  map.Choose(5, "/dev/ttyACM3");
  const Case cases[] = {
      {4, "/dev/ttyACM3", "COM5", std::nullopt},
      {kNoSelection, "", "", NoPortSelected()},
      {16, "", "", NoPortSelected()},
      {9, "", "COM10", PortNotMapped("COM10")},
  };
  for (const Case& c : cases) {
    OperationRequest request;
    request.document.cfg.ComPort = c.comPort;
    EXPECT_EQ(ResolvePort(request, map), c.message) << c.comPort;
    EXPECT_EQ(request.device, c.device);
    EXPECT_EQ(request.port, c.port);
  }
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

}  // namespace
}  // namespace kova
