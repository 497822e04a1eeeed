// SPDX-License-Identifier: GPL-3.0-or-later
// kova-sim's parts: the unit model (which also answers the fault table), its
// options and its EEPROM file.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "eeprom_file.h"
#include "fake_line.h"
#include "image/eeprom_image.h"
#include "sim_options.h"

namespace kova::sim {
namespace {

using namespace std::chrono_literals;
using test::PatternImage;
using enum UnitModel::Event;

const EEpromImage kImage = PatternImage(4);

// A write cut short ends when the line closes or the next byte is late; with
// --write-timeout only a late byte, and until then a command is stored.
TEST(UnitModel, AnInterruptedWriteKeepsWhatCameAndTheOldRateUntilReset) {
  const struct {
    bool closed;  // the PC closed the line, else the next byte is late
    bool outlivesClose;
    std::chrono::milliseconds next;  // after the last byte
    bool storedAsConfiguration;
  } cases[] = {{true, false, 1ms, false},
               {false, false, 2001ms, false},
               {true, true, 400ms, true},
               {true, true, 501ms, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    UnitModel unit(
        kImage, {"A", "BB", ""},
        {.writeTimeout = c.outlivesClose ? 500ms : 2000ms, .writeOutlivesClose = c.outlivesClose});
    unit.Receive('!', 0ms);
    for (int i = 0; i < 10; ++i)
      unit.Receive(0x08, 10ms * (i + 1));  // byte 5 selects 57600
    const auto late = 100ms + c.next;
    const bool endedByClose = c.closed && !c.outlivesClose;
    EXPECT_EQ(c.closed ? unit.LineDropped() : None, endedByClose ? WriteAbandoned : None);
    const UnitModel::Answer answer = unit.Receive('v', late);
    if (c.storedAsConfiguration) {
      EXPECT_TRUE(answer.bytes.empty());
      EXPECT_EQ(unit.eeprom()[14], 'v');
      continue;
    }
    EXPECT_EQ(answer.event, endedByClose ? None : WriteAbandoned);
    EXPECT_EQ(answer.bytes, (std::vector<std::uint8_t>{0x06, 'A', '\r', 'B', 'B', '\r', '\r'}))
        << "commands are heard again";
    EXPECT_EQ(unit.eeprom()[13], 0x08);
    EXPECT_EQ(unit.eeprom()[14], kImage[14]);
    EXPECT_EQ(unit.RateIndex(), 4);
    EXPECT_EQ(unit.Receive('R', late).event, Reset);
    EXPECT_EQ(unit.RateIndex(), 1) << "a restart reads the rate from the EEPROM";
  }
}

TEST(UnitModel, NoiseGoesBeforeOrAfterTheAcknowledgeOrAfterTheAnswer) {
  constexpr std::uint8_t J = UnitModel::kStrayByte, A = UnitModel::kAcknowledge;
  const struct {
    UnitFaults faults;
    std::vector<std::uint8_t> version;
  } cases[] = {
      {{}, {A, 'V', '\r'}},
      {{.stray = 2}, {J, J, A, 'V', '\r'}},
      {{.afterAck = 1}, {A, J, 'V', '\r'}},
      {{.trail = 1}, {A, 'V', '\r', J}},
      {{.stray = 1, .afterAck = 1, .trail = 1}, {J, A, J, 'V', '\r', J}},
      {{.ackByte = 0x15}, {0x15, 'V', '\r'}},
  };
  for (const auto& c : cases) {
    UnitModel unit(kImage, {"V", "", ""}, c.faults);
    std::vector<std::uint8_t> expected = c.version;
    expected.insert(expected.end() - (c.faults.trail ? 1 : 0), {'\r', '\r'});
    EXPECT_EQ(unit.Receive('v', 0ms).bytes, expected) << &c - cases;
    const std::vector<std::uint8_t> read = unit.Receive('#', 1ms).bytes;
    EXPECT_EQ(read.size(), 257u + c.faults.stray + c.faults.afterAck + c.faults.trail);
  }
}

TEST(UnitModel, ElapsedCounterCarriesMinutesIntoHours) {
  const struct {
    std::array<std::uint8_t, 4> before;
    long minutes;
    std::array<std::uint8_t, 4> after;
  } cases[] = {{{59, 0, 0, 0}, 1, {0, 1, 0, 0}},
               {{30, 0xFF, 0, 0}, 30, {0, 0, 1, 0}},
               {{59, 0xFF, 0xFF, 0xFF}, 1, {0, 0, 0, 0}},
               {{10, 2, 0, 0}, 125, {15, 4, 0, 0}}};
  for (const auto& c : cases) {
    EEpromImage image{};
    std::copy(c.before.begin(), c.before.end(), image.begin());
    UnitModel unit(image, {});
    unit.AdvanceMinutes(c.minutes);
    EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), unit.eeprom().begin()))
        << int(c.before[0]) << "+" << c.minutes;
  }
}

TEST(SimOptions, RefusesWhatItCannotUseNamingTheOption) {
  const std::vector<std::string> cases[] = {
      {"--bogus"},         {"--rate", "9601"}, {"--rate"},      {"--stop-after", "256"},
      {"--corrupt", "-1"}, {"--no-ack", "x"},  {"--silent=1"},  {"--exit-on-idle", "soon"},
      {"--stray", "3x"},   {"--trail", "-1"},  {"--after-ack"}, {"--stuck", "256"}};
  for (const auto& args : cases) {
    const std::string named = args[0].substr(0, args[0].find('='));
    try {
      ParseSimOptions(args);
      ADD_FAILURE() << named << " accepted";
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find(named), std::string::npos) << error.what();
    }
  }
}

TEST(EEpromFile, KeepsExactly256BytesAndRefusesOtherSizes) {
  const std::string path = ::testing::TempDir() + "kova_sim_eeprom.bin";
  SaveEEprom(path, kImage);
  EXPECT_EQ(LoadEEprom(path), kImage);
  { std::ofstream(path, std::ios::binary | std::ios::trunc) << "short"; }
  EXPECT_THROW(LoadEEprom(path), EEpromFileError);
  EXPECT_THROW(LoadEEprom(path + ".missing"), EEpromFileError);
  const std::string pipe = path + ".pipe";
  ::unlink(pipe.c_str());
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  alarm(60);  // a read that blocks on the pipe ends the test here instead of hanging it
  EXPECT_THROW(LoadEEprom(pipe), EEpromFileError);
  alarm(0);
  ::unlink(pipe.c_str());
  EXPECT_EQ(addr::kUnitRate.Get(FactoryEEprom()), 4) << "a new unit listens at 9600";
}

}  // namespace
}  // namespace kova::sim
