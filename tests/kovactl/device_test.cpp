// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl's device verbs against the simulated unit: the wiring from a verb to
// the link and back to the exit status, --json and the rate kept per port.
// Which fault gives which message and unit state is the link's own test.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTemporaryDir>
#include <csignal>

#include "child.h"
#include "every_field.h"
#include "files/profile.h"
#include "image/byte_map.h"
#include "image/clear_form.h"
#include "image/pack.h"
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

  // The exit status and a text standard error holds.
  static void ExpectSaid(const Ran& run, int exit, const QString& said) {
    EXPECT_EQ(run.status, exit) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(said)) << run.err.toStdString();
  }

  // The exit status and what --json says of it; `message`: a text that both
  // it and stderr hold, "" for none.
  static void Expect(const Ran& run, int exit, const QJsonValue& baud, const QJsonValue& unit,
                     const QString& message = {}) {
    const QJsonObject json = run.Json();
    ExpectSaid(run, exit, message);
    EXPECT_EQ(json["ok"], QJsonValue(exit == 0));
    EXPECT_EQ(json["exit"], QJsonValue(exit));
    EXPECT_EQ(json["baud"], baud);
    EXPECT_EQ(json["unit"], unit);
    EXPECT_EQ(json["message"].isNull(), message.isEmpty());
    EXPECT_TRUE(json["message"].toString().contains(message)) << run.out.toStdString();
  }

  QString Path(const char* name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  QTemporaryDir settings;
  test::SimFolder folder;
};

// One script's round: the rate found once is where later verbs start, get keeps
// the unit's very bytes, put moves the unit, verify lists what differs.
TEST_F(DeviceTest, ARoundOfVerbsFollowsTheUnitFromRateToRate) {
  test::SimProcess sim(folder, {"--rate", "2400"});
  const QString port = QString::fromStdString(folder.Link());
  // No room for the port's lock file: said so, and none left to lock out the rest.
  ExpectSaid(Kovactl({"get", "-o", Path("x.kova")}, {.fileSizeLimit = 0}), 6,
             "its lock file could not be written");
  // Nothing is written to a unit that does not answer at the rate given.
  Expect(Kovactl({"put", "--baud", "9600", "--json", Path("new.kova")}), 4, 9600, "unchanged",
         "Run 'kovactl probe --port " + port + "' to find its rate.");
  const Ran get = Kovactl({"get", "--baud", "auto", "--json", "-o", Path("unit.kova")});
  Expect(get, 0, 2400, QJsonValue::Undefined);
  EXPECT_EQ(get.Json()["versions"],
            (QJsonArray{"KOVA PRO 10 ZONE RX", "FIRMWARE 3.10", "SIMULATOR"}));
  const Ran probe = Kovactl({"probe"});  // and no wait: nothing was cut short
  EXPECT_EQ(probe.out + probe.err, "2400\nKOVA PRO 10 ZONE RX\nFIRMWARE 3.10\nSIMULATOR\n");
  const Ran moved = Kovactl({"put", "--json", "--backup", Path("was.kova"), "-"},
                            {.input = test::Bytes(Path("new.kova"))});
  Expect(moved, 0, 19200, "verified");
  EXPECT_EQ(ReadProfile(Path("was.kova"), {}).document.value().image, OddImage());
  EXPECT_TRUE(moved.err.contains("The unit now talks at 19200 bit/s.")) << moved.err.toStdString();
  const Ran same = Kovactl({"verify", Path("new.kova")});
  EXPECT_EQ(same.status, 0) << same.err.toStdString();
  EXPECT_EQ(same.out, "");
  const Ran differs = Kovactl({"verify", Path("unit.kova")});
  const Ran differsJson = Kovactl({"verify", "--json", Path("unit.kova")});
  // A reset is never acknowledged: the unit must first answer at the rate.
  Expect(Kovactl({"reset", "--baud", "9600", "--json"}), 4, 9600, QJsonValue::Undefined, "at 9600");
  ExpectSaid(Kovactl({"reset"}), 0, "The reset command was sent");
  // The probe's requests at other rates reached the unit as its UART takes them.
  EXPECT_NE(sim.Stop().find("sent at 19200 bit/s reached the unit at 2400 bit/s as 1 byte(s) ff"),
            std::string::npos);

  // unit.kova holds the odd image as it was; the unit now holds new.kova's.
  // The comparison and the field names are the core's; here, that they show.
  const EEpromImage unit = folder.ReadEEprom(), file = OddImage();
  QStringList at;
  for (std::size_t address = 4; address < unit.size(); ++address)
    if (unit[address] != file[address]) at << QString::number(address);
  ASSERT_GT(at.size(), 8);  // more than the message names
  ASSERT_TRUE(at.contains("100"));
  const QString summary = QString("%1 bytes differ from %2, at %3, ...")
                              .arg(at.size())
                              .arg(Path("unit.kova"), at.mid(0, 8).join(", "));
  Expect(differsJson, 5, 19200, QJsonValue::Undefined, summary);
  const QJsonArray differences = differsJson.Json()["differences"].toArray();
  ASSERT_EQ(differences.size(), at.size());
  const std::string ric = FieldsAtByte(100).at(0);
  EXPECT_EQ(differences[at.indexOf("100")],
            (QJsonObject{{"address", 100},
                         {"expected", 0x42},
                         {"got", unit[100]},
                         {"fields", QJsonArray{QString::fromStdString(ric)}}}));
  EXPECT_EQ(differs.status, 5);
  EXPECT_EQ(differs.out.count('\n'), at.size());
  EXPECT_TRUE(differs.out.contains(
      QString::asprintf("\n100: unit %02X, file 42  %s\n", unit[100], ric.c_str())))
      << differs.out.toStdString();
}

// A failure's exit status, message and --json, and what a put left the unit
// with; after a write cut short the next verb waits until the unit gave it up.
TEST_F(DeviceTest, AFailureSaysWhatTheUnitHolds) {
  struct Case {
    QStringList sim;
    QStringList args;  // --json and --port are added
    int status;
    QJsonValue baud;
    QJsonValue unit;
    QString message;
    test::Child how = {};
  };
  const QStringList put{"put", "--baud", "9600", Path("new.kova")};
  // clang-format off
  const Case cases[] = {
      {{"--silent"}, {"probe"}, 4, QJsonValue::Null, QJsonValue::Undefined,
       "at any rate (tried 9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200); check"},
      {{"--hangup-after", "120"}, put, 1, 9600, "partial", "may now hold part of the new"},
      {{"--corrupt", "17"}, put, 5, 19200, "differs", "differs from the image written, at 17."},
      // Something came back at that rate: the cable, not the rate, is the question.
      {{"--stop-after", "200"}, {"get", "--baud", "9600", "-o", Path("cut.kova")}, 4, 9600,
       QJsonValue::Undefined, "It stopped part way; check the cable and try again."},
      // Slow answers keep the rate check going while the signal comes.
      {{"--byte-delay", "100"}, put + QStringList{"--trace"}, 1, 9600, "unchanged",
       "The operation was interrupted.", {.signal = SIGINT, .signalOn = "> 76 'v'"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sim.join(' ').toStdString());
    folder.WriteEEprom(OddImage());
    test::SimProcess sim(folder, c.sim);
    const Ran run = Kovactl(c.args + QStringList{"--json"}, c.how);
    Expect(run, c.status, c.baud, c.unit, c.message);
    sim.Stop();
    EXPECT_EQ(folder.ReadEEprom() != OddImage(), c.unit.isString() && c.unit != "unchanged");
    if (c.unit != "partial") continue;
    test::SimProcess again(folder);
    ExpectSaid(Kovactl({"get", "--baud", "auto", "-o", Path("g.kova")}), 0, "was cut short");
  }
}

}  // namespace
}  // namespace kova
