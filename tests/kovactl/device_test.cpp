// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl's device verbs against the simulated unit, as a technician's script
// runs them: the wiring from a verb to the link and back to the exit status,
// the --json result and the rate kept per port. Which fault gives which
// message and unit state is the link's own test, against a fake line.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTemporaryDir>
#include <csignal>

#include "child.h"
#include "every_field.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "sim_process.h"
#include "test_files.h"

namespace kova {
namespace {

using test::Ran;

// An image no packing would produce: reading it back must give these very bytes.
EEpromImage OddImage() {
  Document doc;
  doc.cfg = StartupConfiguration();
  PackEEprom(doc);
  doc.image[0] = 7;       // elapsed minutes
  doc.image[6] |= 0xC0;   // bits packing writes as 0
  doc.image[255] = 0x5A;  // holds no field
  doc.image[100] = 0x42;  // zone 4 Open RIC
  return doc.image;
}

class DeviceTest : public ::testing::Test {
 protected:
  DeviceTest() {
    // The file to send sets every field and moves the unit to 19200 bit/s.
    Document doc;
    doc.cfg = testing::EveryField(1);
    doc.cfg.BaudKova = 3;
    EXPECT_TRUE(WriteProfile(Path("new.kova"), doc).ok());
    folder.WriteEEprom(OddImage());
  }

  // kovactl on the unit's port, with settings of its own so that remembered
  // rates start empty.
  Ran Kovactl(QStringList args, test::Child how = {}) {
    args << "--port" << QString::fromStdString(folder.Link());
    how.env.insert("XDG_CONFIG_HOME", settings.path());
    return test::Kovactl(args, how);
  }

  QString Path(const char* name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  QTemporaryDir settings;
  test::SimFolder folder;
};

// One script's round: the rate found once is where every later verb starts,
// get keeps the unit's very bytes, put moves the unit, verify lists what
// differs.
TEST_F(DeviceTest, ARoundOfVerbsFollowsTheUnitFromRateToRate) {
  test::SimProcess sim(folder, {"--rate", "2400"});
  // No room even for the port's lock file: said so, and none is left behind
  // to lock the later runs out.
  const Ran locked = Kovactl({"get", "-o", Path("x.kova")}, {.fileSizeLimit = 0});
  EXPECT_EQ(locked.status, 6) << locked.err.toStdString();
  EXPECT_TRUE(locked.err.contains("its lock file could not be written"))
      << locked.err.toStdString();

  // Nothing is written to a unit that does not answer at the rate given.
  const Ran wrongRate = Kovactl({"put", "--baud", "9600", "--json", Path("new.kova")});
  EXPECT_EQ(wrongRate.status, 4) << wrongRate.err.toStdString();
  EXPECT_EQ(wrongRate.Json()["unit"], QJsonValue("unchanged"));
  EXPECT_EQ(wrongRate.Json()["baud"], QJsonValue(9600));
  EXPECT_TRUE(wrongRate.Json()["message"].toString().contains("at 9600 bit/s"))
      << wrongRate.out.toStdString();
  EXPECT_TRUE(wrongRate.err.contains("Run 'kovactl probe --port ")) << wrongRate.err.toStdString();

  const Ran get = Kovactl({"get", "--baud", "auto", "--json", "-o", Path("unit.kova")});
  EXPECT_EQ(get.status, 0) << get.err.toStdString();
  const QJsonObject json = get.Json();
  EXPECT_EQ(json["ok"], QJsonValue(true));
  EXPECT_EQ(json["exit"], QJsonValue(0));
  EXPECT_EQ(json["baud"], QJsonValue(2400));
  EXPECT_EQ(json["versions"], (QJsonArray{"KOVA PRO 10 ZONE RX", "FIRMWARE 3.10", "SIMULATOR"}));
  EXPECT_TRUE(json["message"].isNull());

  const Ran probe = Kovactl({"probe"});
  EXPECT_EQ(probe.out, "2400\nKOVA PRO 10 ZONE RX\nFIRMWARE 3.10\nSIMULATOR\n");
  const Ran put = Kovactl({"put", "--json", "-"}, {.input = test::Bytes(Path("new.kova"))});
  EXPECT_EQ(put.status, 0) << put.err.toStdString();
  EXPECT_EQ(put.Json()["unit"], QJsonValue("verified"));
  EXPECT_EQ(put.Json()["baud"], QJsonValue(19200));
  EXPECT_TRUE(put.err.contains("The unit now talks at 19200 bit/s.")) << put.err.toStdString();
  const Ran same = Kovactl({"verify", Path("new.kova")});
  EXPECT_EQ(same.status, 0) << same.err.toStdString();
  EXPECT_EQ(same.out, "");
  const Ran differs = Kovactl({"verify", Path("unit.kova")});
  const Ran differsJson = Kovactl({"verify", "--json", Path("unit.kova")});
  const Ran reset = Kovactl({"reset"});
  EXPECT_EQ(reset.status, 0) << reset.err.toStdString();
  EXPECT_TRUE(reset.err.contains("The reset command was sent")) << reset.err.toStdString();
  // The probe's requests at other rates reached the unit as its UART would
  // take them in, not as nothing.
  EXPECT_NE(sim.Stop().find("sent at 19200 bit/s reached the unit at 2400 bit/s as 1 byte(s) ff"),
            std::string::npos);

  // unit.kova holds the odd image as it was; the unit now holds new.kova's.
  const EEpromImage unit = folder.ReadEEprom();
  const EEpromImage file = OddImage();
  QString lines;
  QStringList at;
  QJsonArray differences;
  for (std::size_t address = 4; address < unit.size(); ++address) {
    if (unit[address] == file[address]) continue;
    lines +=
        QString::asprintf("%3zu: unit %02X, file %02X\n", address, unit[address], file[address]);
    at << QString::number(address);
    differences.append(QJsonObject{{"address", static_cast<int>(address)},
                                   {"expected", file[address]},
                                   {"got", unit[address]}});
  }
  ASSERT_GT(at.size(), 8);  // more than the message names
  EXPECT_EQ(differs.status, 5);
  EXPECT_EQ(differs.out, lines);
  EXPECT_TRUE(differs.err.contains(QString("kovactl: %1 bytes differ from %2, at %3, ...\n")
                                       .arg(at.size())
                                       .arg(Path("unit.kova"), at.mid(0, 8).join(", "))))
      << differs.err.toStdString();
  EXPECT_EQ(differsJson.Json()["differences"], differences);
}

// A put that failed says what the unit now holds, in its exit status, its
// message and --json; after a write cut short the next verb on the port
// waits until the unit has given it up.
TEST_F(DeviceTest, AFailedPutSaysWhatTheUnitHolds) {
  struct Case {
    QStringList sim;
    int status;
    const char* unit;
    int baud;
    QString errHas;
    test::Child how = {};
  };
  const Case cases[] = {
      {{"--hangup-after", "120"}, 1, "partial", 9600, "may now hold part of the new configuration"},
      {{"--corrupt", "17"}, 5, "differs", 19200, "differs from the image written, at 17"},
      // Slow answers keep the rate check going while the signal comes.
      {{"--byte-delay", "100"},
       1,
       "unchanged",
       9600,
       "The operation was interrupted.",
       {.signal = SIGINT, .signalOn = "> 76 'v'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sim.join(' ').toStdString());
    folder.WriteEEprom(OddImage());
    test::SimProcess sim(folder, c.sim);
    QStringList args{"put", "--baud", "9600", "--json", Path("new.kova")};
    if (c.how.signal) args << "--trace";
    const Ran put = Kovactl(args, c.how);
    EXPECT_EQ(put.status, c.status) << put.err.toStdString();
    EXPECT_TRUE(put.err.contains(c.errHas)) << put.err.toStdString();
    const QJsonObject json = put.Json();
    EXPECT_EQ(json["exit"], QJsonValue(c.status));
    EXPECT_EQ(json["unit"], QJsonValue(c.unit));
    EXPECT_EQ(json["baud"], QJsonValue(c.baud));
    EXPECT_TRUE(json["message"].toString().contains(c.errHas)) << put.out.toStdString();
    if (c.status == 5) {
      const QJsonObject first = json["differences"][0].toObject();
      EXPECT_EQ(json["differences"].toArray().size(), 1);
      EXPECT_EQ(first["address"], QJsonValue(17));
      EXPECT_EQ(first["got"].toInt(), first["expected"].toInt() ^ 0xFF);
    }
    sim.Stop();
    EXPECT_EQ(folder.ReadEEprom() != OddImage(), QString(c.unit) != "unchanged");
    if (QString(c.unit) != "partial") continue;
    test::SimProcess again(folder);
    const Ran next = Kovactl({"get", "--baud", "auto", "-o", Path("g.kova")});
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
    EXPECT_TRUE(next.err.contains("was cut short")) << next.err.toStdString();
  }
}

// A unit that answers at no rate: exit 4, no rate in --json, and a message
// that says where it was looked for.
TEST_F(DeviceTest, ProbingASilentUnitSaysWhereItLooked) {
  test::SimProcess sim(folder, {"--silent"});
  const Ran probe = Kovactl({"probe", "--json"});
  EXPECT_EQ(probe.status, 4);
  EXPECT_TRUE(probe.Json()["baud"].isNull());
  EXPECT_TRUE(probe.err.contains(
      "at any rate (tried 9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200); check that it is "
      "powered"))
      << probe.err.toStdString();
}

}  // namespace
}  // namespace kova
