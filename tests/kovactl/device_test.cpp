// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl's device verbs against the simulated unit, as a technician's script runs them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "files/profile.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "sim_process.h"

namespace kova {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
  QJsonObject json;  // stdout read as one JSON object, when it is one
};

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
    // The simulated unit's file, packed at 19200 bit/s with a changed RIC.
    Document doc;
    doc.cfg = StartupConfiguration();
    doc.cfg.BaudKova = 3;
    doc.cfg.ResetRIC = "1234";
    doc.cfg.ResetEnable = 1;
    EXPECT_TRUE(WriteProfile(Path("new.kova"), doc).ok());
  }

  // kovactl with its own per-user settings, so that remembered rates start
  // empty; it may write no file larger than fileSize bytes, as on a nearly
  // full disk.
  Outcome Kovactl(const QStringList& args, const QByteArray& input = {},
                  rlim_t fileSize = RLIM_INFINITY) {
    QProcess process;
    if (fileSize != RLIM_INFINITY) {
      process.setChildProcessModifier([fileSize] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = fileSize;
        setrlimit(RLIMIT_FSIZE, &limit);
      });
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", settings->path());
    process.setProcessEnvironment(env);
    process.start(KOVACTL, args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    Outcome outcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                    process.readAllStandardOutput().toStdString(),
                    process.readAllStandardError().toStdString(),
                    {}};
    outcome.json = QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out)).object();
    return outcome;
  }

  QString Path(const char* name) const { return dir.filePath(name); }
  QString Port() const { return QString::fromStdString(folder.Link()); }

  QTemporaryDir dir;
  std::unique_ptr<QTemporaryDir> settings = std::make_unique<QTemporaryDir>();
  test::SimFolder folder;
};

// Each verb against each condition of the unit: the exit status a script
// branches on, and what --json says.
TEST_F(DeviceTest, EachVerbAndUnitConditionGivesItsExitStatusAndJson) {
  struct Case {
    const char* what;
    QStringList sim;   // the unit's options
    QStringList args;  // after the verb; --port and --json are added
    int status;
    QJsonValue baud;
    std::string messageHas;                   // "" for a null message
    QJsonValue unit = QJsonValue::Undefined;  // put's "unit"
    bool unitChanged = false;                 // the EEPROM file changed
    bool noPort = false;                      // --port names nothing
  };
  const std::vector<Case> cases{
      {"probe finds a unit at 19200", {"--rate", "19200"}, {"probe"}, 0, 19200, ""},
      {"probe of a silent unit", {"--silent"}, {"probe"}, 4, QJsonValue::Null, "at any rate"},
      {"get at a wrong rate",
       {"--rate", "19200"},
       {"get", "--baud", "9600", "-o", Path("g.kova")},
       4,
       9600,
       "at 9600 bit/s"},
      {"get with auto",
       {"--rate", "4800"},
       {"get", "--baud", "auto", "-o", Path("g.kova")},
       0,
       4800,
       ""},
      {"get, port missing",
       {},
       {"get", "-o", Path("g.kova")},
       6,
       9600,
       "no-such-port",
       QJsonValue::Undefined,
       false,
       true},
      {"get, unit stops halfway",
       {"--stop-after", "100"},
       {"get", "-o", Path("g.kova")},
       4,
       9600,
       "kovactl probe"},
      {"verify, bytes differ", {}, {"verify", Path("new.kova")}, 5, 9600, "differ from"},
      {"put, unit at another rate",
       {"--rate", "19200"},
       {"put", "--baud", "9600", Path("new.kova")},
       4,
       9600,
       "at 9600 bit/s",
       "unchanged"},
      {"put to a silent unit",
       {"--silent"},
       {"put", Path("new.kova")},
       4,
       9600,
       "kovactl probe",
       "unchanged"},
      {"put of a missing file", {}, {"put", Path("none.kova")}, 3, 9600, "none.kova", "unchanged"},
      {"put that moves the unit", {}, {"put", Path("new.kova")}, 0, 19200, "", "verified", true},
      {"put cut off mid-write",
       {"--hangup-after", "120"},
       {"put", Path("new.kova")},
       1,
       9600,
       "may now hold part of the new configuration",
       "partial",
       true},
      {"put whose read-back differs",
       {"--corrupt", "17"},
       {"put", Path("new.kova")},
       5,
       19200,
       "differs from the image written, at 17",
       "differs",
       true},
      {"reset", {}, {"reset"}, 0, 9600, ""},
      {"reset of a silent unit", {"--silent"}, {"reset"}, 4, 9600, "no answer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings = std::make_unique<QTemporaryDir>();
    folder.WriteEEprom(OddImage());
    test::SimProcess sim(folder, c.sim);
    QStringList args = c.args;
    const QString port = c.noPort ? Path("no-such-port") : Port();
    args << "--port" << port << "--json";
    const Outcome run = Kovactl(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    const QJsonObject& json = run.json;
    ASSERT_FALSE(json.isEmpty()) << run.out;
    EXPECT_EQ(json["ok"], QJsonValue(c.status == 0));
    EXPECT_EQ(json["exit"], QJsonValue(c.status));
    EXPECT_EQ(json["port"], QJsonValue(port));
    EXPECT_EQ(json["baud"], c.baud);
    EXPECT_EQ(json["versions"].toArray().size(), 3);
    EXPECT_EQ(json["unit"], c.unit);
    if (c.messageHas.empty()) {
      EXPECT_TRUE(json["message"].isNull()) << run.err;
    } else {
      EXPECT_TRUE(json["message"].toString().contains(QString::fromStdString(c.messageHas)))
          << json["message"].toString().toStdString();
      EXPECT_EQ(run.err.rfind("kovactl: ", 0), 0u) << run.err;
    }
    if (c.args[0] == "put" && c.status == 5) {
      const QJsonArray differences = json["differences"].toArray();
      ASSERT_EQ(differences.size(), 1);
      EXPECT_EQ(differences[0].toObject()["address"], QJsonValue(17));
    }
    if (c.args[0] == "verify") {
      const QJsonArray differences = json["differences"].toArray();
      ASSERT_FALSE(differences.isEmpty());
      const QJsonObject first = differences[0].toObject();
      const int address = first["address"].toInt();
      EXPECT_GE(address, 4);
      EXPECT_EQ(first["got"], QJsonValue(OddImage()[static_cast<std::size_t>(address)]));
      EXPECT_NE(first["expected"], first["got"]);
    }
    sim.Stop();
    EXPECT_EQ(folder.ReadEEprom() != OddImage(), c.unitChanged);
  }
}

// A script names the rate once: probe and put remember where the unit is,
// and every later verb on that port starts there.
TEST_F(DeviceTest, TheRateSeenLastOnAPortIsWhereTheNextVerbStarts) {
  folder.WriteEEprom(OddImage());
  test::SimProcess sim(folder, {"--rate", "2400"});
  const Outcome probe = Kovactl({"probe", "--port", Port()});
  ASSERT_EQ(probe.status, 0) << probe.err;
  EXPECT_EQ(probe.out, "2400\nKOVA PRO 10 ZONE RX\nFIRMWARE 3.10\nSIMULATOR\n");

  const Outcome get = Kovactl({"get", "--port", Port(), "-o", "-"});
  ASSERT_EQ(get.status, 0) << get.err;
  EXPECT_NE(get.out.find("[EEprom]"), std::string::npos) << get.out;

  QFile file(Path("new.kova"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const Outcome put = Kovactl({"put", "--port", Port(), "-"}, file.readAll());
  ASSERT_EQ(put.status, 0) << put.err;
  EXPECT_NE(put.err.find("now talks at 19200 bit/s"), std::string::npos) << put.err;
  const Outcome verify = Kovactl({"verify", "--port", Port(), Path("new.kova")});
  EXPECT_EQ(verify.status, 0) << verify.err;
  EXPECT_EQ(verify.out, "");
  // The probe's requests at other rates reached the unit as its UART would
  // take them in, not as nothing.
  EXPECT_NE(sim.Stop().find("sent at 19200 bit/s reached the unit at 2400 bit/s as 1 byte(s) ff"),
            std::string::npos);
}

TEST_F(DeviceTest, GetOntoAFullDiskExitsThreeAndKeepsTheOldFile) {
  test::SimProcess sim(folder);
  QFile old(Path("unit.kova"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("; old\n");
  old.close();
  // Room for the port's lock file, not for the configuration.
  const Outcome get = Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")}, {}, 100);
  EXPECT_EQ(get.status, 3) << get.err;
  EXPECT_NE(get.err.find("kovactl: Could not save \"" + Path("unit.kova").toStdString() +
                         "\"; nothing was written.\nkovactl: File too large."),
            std::string::npos)
      << get.err;
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "; old\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"new.kova", "unit.kova"}));

  // No room even for the lock file: said so, and none is left to lock the
  // port out of the next run.
  const Outcome locked = Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")}, {}, 0);
  EXPECT_EQ(locked.status, 6) << locked.err;
  EXPECT_NE(locked.err.find("its lock file could not be written"), std::string::npos) << locked.err;
  EXPECT_EQ(Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")}).status, 0);
}

// The file get saves must hold the unit's bytes exactly, bits packing would
// clear and bytes no field uses among them, or verify would list those too.
TEST_F(DeviceTest, VerifyListsEveryDifferingAddressWithBothValues) {
  EEpromImage image = OddImage();
  folder.WriteEEprom(image);
  {
    test::SimProcess sim(folder);
    ASSERT_EQ(Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")}).status, 0);
  }
  image[17] ^= 0xFF;
  image[250] = 0x99;
  image[2] = 0x77;  // the elapsed counter is not compared
  folder.WriteEEprom(image);
  test::SimProcess sim(folder);
  const Outcome verify = Kovactl({"verify", "--port", Port(), Path("unit.kova")});
  EXPECT_EQ(verify.status, 5);
  char expected[80];
  std::snprintf(expected, sizeof expected, " 17: unit %02X, file %02X\n250: unit 99, file %02X\n",
                image[17], image[17] ^ 0xFF, OddImage()[250]);
  EXPECT_EQ(verify.out, expected);
  EXPECT_NE(verify.err.find("2 bytes differ from "), std::string::npos) << verify.err;
  EXPECT_NE(verify.err.find("at 17, 250"), std::string::npos) << verify.err;
}

// Ctrl+C or SIGTERM in the middle of a put stops it soon: exit 1, the
// message and --json say what the unit now holds. After a write cut short,
// the next verb on the port waits until the unit has given it up.
TEST_F(DeviceTest, ASignalMidPutStopsItAndSaysWhatTheUnitHolds) {
  struct Case {
    const char* what;
    QStringList sim;
    int signal;
    std::string sentLast;  // the signal goes once kovactl has traced this byte sent
    int imageBytes;        // ... and then this many more
    const char* unit;
    std::string errHas;
  };
  const Case cases[] = {
      {"Ctrl+C mid-write",
       {},
       SIGINT,
       "21 '!'",
       20,
       "partial",
       "may now hold part of the new configuration"},
      // Slow answers keep the rate check going while the signal comes.
      {"SIGTERM before the write",
       {"--byte-delay", "100"},
       SIGTERM,
       "76 'v'",
       0,
       "unchanged",
       "Nothing of the new configuration reached"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings = std::make_unique<QTemporaryDir>();
    folder.WriteEEprom(OddImage());
    test::SimProcess sim(folder, c.sim);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", settings->path());
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    process.start(KOVACTL, {"put", "--baud", "9600", "--trace", "--json", "--port", Port(),
                            Path("new.kova")});
    // Follows the byte trace until the moment to send the signal.
    std::string err;
    int sentSince = -1;
    while (sentSince < c.imageBytes && process.waitForReadyRead(20000)) {
      while (process.canReadLine()) {
        const std::string line = process.readLine().toStdString();
        err += line;
        if (sentSince < 0 && line.find("> " + c.sentLast) != std::string::npos) {
          sentSince = 0;
        } else if (sentSince >= 0 && line.find(" > ") != std::string::npos) {
          ++sentSince;
        }
      }
    }
    ASSERT_GE(sentSince, c.imageBytes) << err;
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ::kill(static_cast<pid_t>(process.processId()), c.signal);
    // Left alone, the put would go on for seconds: the write, the unit's
    // pause, the read-back.
    ASSERT_TRUE(process.waitForFinished(10000));
    std::printf("kovactl ended %lld ms after the signal\n",
                static_cast<long long>(sinceSignal.elapsed()));
    err += process.readAllStandardError().toStdString();
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << err;
    EXPECT_NE(err.find("The operation was interrupted."), std::string::npos) << err;
    EXPECT_NE(err.find(c.errHas), std::string::npos) << err;
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    EXPECT_EQ(json["exit"], QJsonValue(1));
    EXPECT_EQ(json["unit"], QJsonValue(c.unit));
    if (c.unit != std::string("partial")) continue;  // (a unit that slow cannot be read)
    const Outcome next = Kovactl({"get", "--port", Port(), "--baud", "9600", "-o", Path("g.kova")});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.err.find("was cut short"), std::string::npos) << next.err;
  }
}

}  // namespace
}  // namespace kova
