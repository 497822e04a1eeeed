// kovactl's device verbs against the simulated unit, as a technician runs them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

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
};

// A child that may write no file larger than fileSize bytes, as on a nearly full disk.
Outcome Kovactl(const QStringList& args, rlim_t fileSize = RLIM_INFINITY) {
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
  process.start(KOVACTL, args);
  process.waitForFinished(60000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

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

EEpromImage ImageOf(const QString& path) {
  const ProfileLoad load = ReadProfile(path, Document{});
  EXPECT_TRUE(load.ok());
  return load.ok() ? load.document->image : EEpromImage{};
}

class DeviceTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(name); }
  QString Port() const { return QString::fromStdString(folder.Link()); }

  QTemporaryDir dir;
  test::SimFolder folder;
};

TEST_F(DeviceTest, GetSavesExactlyTheBytesTheUnitHolds) {
  folder.WriteEEprom(OddImage());
  test::SimProcess sim(folder);
  const Outcome get = Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")});
  ASSERT_EQ(get.status, 0) << get.err;
  const EEpromImage saved = ImageOf(Path("unit.kova"));
  const EEpromImage held = OddImage();
  for (std::size_t address = 4; address < held.size(); ++address) {
    EXPECT_EQ(saved[address], held[address]) << "address " << address;
  }
  EXPECT_EQ(saved[255], 0x5A);
  EXPECT_EQ(saved[6] & 0xC0, 0xC0);
}

TEST_F(DeviceTest, GetOntoAFullDiskExitsThreeAndKeepsTheOldFile) {
  test::SimProcess sim(folder);
  QFile old(Path("unit.kova"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("; old\n");
  old.close();
  // Room for the port's lock file, not for the configuration.
  const Outcome get = Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")}, 100);
  EXPECT_EQ(get.status, 3) << get.err;
  EXPECT_NE(get.err.find("Could not save \"" + Path("unit.kova").toStdString() +
                         "\"; nothing was written.\nFile too large."),
            std::string::npos)
      << get.err;
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "; old\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"unit.kova"});
}

TEST_F(DeviceTest, PutFollowsTheUnitToItsNewRateAndVerifyFindsNoDifference) {
  folder.WriteEEprom(OddImage());
  test::SimProcess sim(folder);
  QFile json(Path("edit.json"));
  ASSERT_TRUE(json.open(QIODevice::WriteOnly));
  json.write(R"({"BaudKova": 19200, "ResetRIC": "1234", "ResetEnable": 1})");
  json.close();
  ASSERT_EQ(Kovactl({"pack", Path("edit.json"), "-o", Path("new.kova")}).status, 0);

  const Outcome put =
      Kovactl({"put", "--port", Port(), "--backup", Path("before.kova"), Path("new.kova")});
  ASSERT_EQ(put.status, 0) << put.err;
  EXPECT_NE(put.err.find("The unit now talks at 19200 bit/s."), std::string::npos) << put.err;
  EXPECT_EQ(ImageOf(Path("before.kova"))[100], 0x42);  // the backup holds what the unit had

  // The unit took the rate: at 9600 it no longer answers, at 19200 it matches the file.
  const Outcome stale = Kovactl({"verify", "--port", Port(), Path("new.kova")});
  EXPECT_EQ(stale.status, 1);
  EXPECT_NE(stale.err.find("Communications Error"), std::string::npos) << stale.err;
  const Outcome verify = Kovactl({"verify", "--port", Port(), "--baud", "19200", Path("new.kova")});
  EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
  EXPECT_EQ(verify.out, "");
}

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
  EXPECT_EQ(verify.status, 1);
  char expected[80];
  std::snprintf(expected, sizeof expected, " 17: unit %02X, file %02X\n250: unit 99, file %02X\n",
                image[17], image[17] ^ 0xFF, OddImage()[250]);
  EXPECT_EQ(verify.out, expected);
  EXPECT_NE(verify.err.find("2 bytes differ."), std::string::npos);
}

TEST_F(DeviceTest, ASilentUnitFailsWithTheWindowsMessageAndWritesNothing) {
  test::SimProcess sim(folder, {"--silent"});
  const Outcome get = Kovactl({"get", "--port", Port(), "-o", Path("unit.kova")});
  EXPECT_EQ(get.status, 1);
  EXPECT_NE(
      get.err.find("Expected response not received, please check Port, cables and connections"),
      std::string::npos)
      << get.err;
  EXPECT_FALSE(QFile::exists(Path("unit.kova")));
  EXPECT_EQ(Kovactl({"reset", "--port", Port()}).status, 0);  // reset awaits no answer
}

TEST_F(DeviceTest, UsageErrorsComeBeforeAnyPortIsOpened) {
  EXPECT_EQ(Kovactl({"get", "-o", Path("x.kova")}).status, 2);
  EXPECT_EQ(Kovactl({"get", "--port", Port(), "--baud", "9601", "-o", Path("x.kova")}).status, 2);
  const Outcome missing = Kovactl({"get", "--port", Path("no-such-device"), "-o", Path("x.kova")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no-such-device"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace kova
