#include "sim_options.h"

#include <gtest/gtest.h>

#include <fstream>

#include "eeprom_file.h"

namespace kova::sim {
namespace {

TEST(SimOptions, ReadsValuesAfterTheNameOrAnEqualsSign) {
  const SimOptions o = ParseSimOptions({"--link=/tmp/k", "--rate", "19200", "--ver2", "V 2",
                                        "--no-ack=#!", "--corrupt=4", "--byte-delay", "300",
                                        "--hangup-after=50", "--exit-on-idle", "2.5"});
  EXPECT_EQ(o.link, "/tmp/k");
  EXPECT_EQ(o.rate, 19200);
  EXPECT_EQ(o.versions, (std::array<std::string, 3>{"KOVA PRO 10 ZONE RX", "V 2", "SIMULATOR"}));
  EXPECT_EQ(o.faults.noAck, "#!");
  EXPECT_EQ(o.faults.corruptAt, 4);
  EXPECT_EQ(o.byteDelayMs, 300);
  EXPECT_EQ(o.hangupAfter, 50);
  EXPECT_DOUBLE_EQ(o.exitOnIdle, 2.5);
  EXPECT_FALSE(o.faults.silent);
}

TEST(SimOptions, RefusesWhatItCannotUseNamingTheOption) {
  struct Case {
    std::vector<std::string> args;
    const char* named;
  };
  const Case cases[] = {
      {{"--bogus"}, "--bogus"},
      {{"--rate", "9601"}, "--rate"},
      {{"--rate"}, "--rate"},
      {{"--stop-after", "256"}, "--stop-after"},
      {{"--corrupt", "-1"}, "--corrupt"},
      {{"--no-ack", "x"}, "--no-ack"},
      {{"--silent=1"}, "--silent"},
      {{"--exit-on-idle", "soon"}, "--exit-on-idle"},
      {{"--stray", "3x"}, "--stray"},
  };
  for (const Case& c : cases) {
    try {
      ParseSimOptions(c.args);
      ADD_FAILURE() << c.named << " accepted";
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << error.what();
    }
  }
}

TEST(SimOptions, HelpDocumentsEveryOption) {
  const std::string help = SimHelp();
  for (const char* name : {"--eeprom", "--link", "--rate", "--ver1", "--silent", "--no-ack",
                           "--stop-after", "--corrupt", "--byte-delay", "--stray", "--hangup-after",
                           "--exit-on-idle", "--die-with-parent"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
  }
}

TEST(EEpromFile, KeepsExactly256BytesAndRefusesOtherSizes) {
  const std::string path = ::testing::TempDir() + "kova_sim_eeprom.bin";
  EEpromImage image{};
  for (int i = 0; i < 256; ++i)
    image[i] = static_cast<std::uint8_t>(i ^ 0x3C);
  SaveEEprom(path, image);
  EXPECT_EQ(LoadEEprom(path), image);

  { std::ofstream(path, std::ios::binary | std::ios::trunc) << "short"; }
  EXPECT_THROW(LoadEEprom(path), EEpromFileError);
  EXPECT_THROW(LoadEEprom(path + ".missing"), EEpromFileError);
  EXPECT_EQ((FactoryEEprom()[5] >> 3) & 7, 4) << "a new unit listens at 9600";
}

}  // namespace
}  // namespace kova::sim
