#include "unit_model.h"

#include <gtest/gtest.h>

namespace kova::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

EEpromImage Image(int rateIndex) {
  EEpromImage image{};
  for (int i = 0; i < 256; ++i)
    image[i] = static_cast<std::uint8_t>(255 - i);
  image[5] = static_cast<std::uint8_t>(rateIndex << 3);
  return image;
}

Bytes Versions() {
  const std::string text = "A\rBB\rCCC\r";
  return Bytes(text.begin(), text.end());
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

UnitModel Unit(UnitFaults faults = {}) {
  return UnitModel(Image(4), {"A", "BB", "CCC"}, faults);
}

// Writes the image bytes 4..255 of `image`, one every 10 ms from `start`.
UnitModel::Event Write(UnitModel& unit, const EEpromImage& image, std::chrono::milliseconds start) {
  unit.Receive('!', start);
  UnitModel::Event last = UnitModel::Event::None;
  for (int i = 4; i < 256; ++i)
    last = unit.Receive(image[i], start + (i - 3) * 10ms).event;
  return last;
}

TEST(UnitModel, AnswersEachCommandWithTheAcknowledgeFirst) {
  const EEpromImage image = Image(4);
  const Bytes eeprom(image.begin(), image.end());
  struct Case {
    std::uint8_t command;
    Bytes answer;
  };
  const Case cases[] = {
      {'v', Concat({UnitModel::kAcknowledge}, Versions())},
      {'#', Concat({UnitModel::kAcknowledge}, eeprom)},
      {'!', {UnitModel::kAcknowledge}},
      {'x', {}},
  };
  for (const Case& c : cases) {
    UnitModel unit = Unit();
    EXPECT_EQ(unit.Receive(c.command, 0ms).bytes, c.answer) << c.command;
  }
}

TEST(UnitModel, FaultsShapeTheAnswers) {
  const EEpromImage image = Image(4);
  const Bytes ack{UnitModel::kAcknowledge};
  struct Case {
    const char* name;
    UnitFaults faults;
    std::uint8_t command;
    Bytes answer;
  };
  const Case cases[] = {
      {"silent", {.silent = true}, 'v', {}},
      {"no ack for v", {.noAck = "v"}, 'v', {}},
      {"no ack for # leaves v", {.noAck = "#"}, 'v', Concat(ack, Versions())},
      {"stop after 3", {.stopAfter = 3}, '#', Concat(ack, Bytes(image.begin(), image.begin() + 3))},
      {"stray", {.stray = 2}, '!', {UnitModel::kStrayByte, UnitModel::kStrayByte, 0x06}},
      {"corrupt only after a write",
       {.corruptAt = 9},
       '#',
       Concat(ack, Bytes(image.begin(), image.end()))},
  };
  for (const Case& c : cases) {
    UnitModel unit = Unit(c.faults);
    EXPECT_EQ(unit.Receive(c.command, 0ms).bytes, c.answer) << c.name;
  }
}

TEST(UnitModel, AWriteStoresBytes4To255AndMovesToTheRateItNames) {
  UnitModel unit = Unit();
  EEpromImage next = Image(1);
  next[0] = next[1] = next[2] = next[3] = 0x77;  // never sent by the PC anyway
  EXPECT_EQ(Write(unit, next, 0ms), UnitModel::Event::Written);
  EXPECT_EQ(unit.RateIndex(), 1);
  EXPECT_FALSE(unit.Writing());
  EXPECT_EQ(unit.eeprom()[0], Image(4)[0]) << "the counter is the unit's own";
  EXPECT_TRUE(std::equal(next.begin() + 4, next.end(), unit.eeprom().begin() + 4));
}

TEST(UnitModel, TheReadBackAfterAWriteCarriesTheCorruptedByteOnce) {
  UnitModel unit = Unit({.corruptAt = 9});
  Write(unit, Image(4), 0ms);
  const Bytes first = unit.Receive('#', 5s).bytes;
  const Bytes second = unit.Receive('#', 6s).bytes;
  EXPECT_EQ(first[1 + 9], static_cast<std::uint8_t>(Image(4)[9] ^ 0xFF));
  EXPECT_EQ(second[1 + 9], Image(4)[9]);
}

TEST(UnitModel, AnInterruptedWriteKeepsWhatCameAndTheOldRate) {
  struct Case {
    const char* name;
    bool dropped;  // the PC closed the line; otherwise the next byte is late
  };
  for (const Case c : {Case{"line dropped", true}, Case{"late byte", false}}) {
    SCOPED_TRACE(c.name);
    UnitModel unit = Unit();
    unit.Receive('!', 0ms);
    for (int i = 0; i < 10; ++i)
      unit.Receive(0xAA, 10ms * (i + 1));
    if (c.dropped) {
      EXPECT_EQ(unit.LineDropped(), UnitModel::Event::WriteAbandoned);
      EXPECT_TRUE(unit.Receive('#', 200ms).bytes.size() > 1) << "commands are heard again";
    } else {
      const UnitModel::Answer answer = unit.Receive('v', 10ms * 11 + UnitModel::kWriteGap + 1ms);
      EXPECT_EQ(answer.event, UnitModel::Event::WriteAbandoned);
      EXPECT_EQ(answer.bytes, Concat({UnitModel::kAcknowledge}, Versions()));
    }
    EXPECT_EQ(unit.eeprom()[13], 0xAA);
    EXPECT_EQ(unit.eeprom()[14], Image(4)[14]);
    EXPECT_EQ(unit.RateIndex(), 4);
  }
}

TEST(UnitModel, ResetRestartsAtTheRateTheEEpromNames) {
  UnitModel unit = Unit();
  unit.SetRateIndex(0);
  EXPECT_EQ(unit.Receive('R', 0ms).event, UnitModel::Event::Reset);
  EXPECT_TRUE(unit.Receive('R', 0ms).bytes.empty());
  EXPECT_EQ(unit.RateIndex(), 4);
}

TEST(UnitModel, ElapsedCounterCarriesMinutesIntoHours) {
  struct Case {
    std::array<std::uint8_t, 4> before;
    long minutes;
    std::array<std::uint8_t, 4> after;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, 1, {1, 0, 0, 0}},      {{59, 0, 0, 0}, 1, {0, 1, 0, 0}},
      {{30, 0xFF, 0, 0}, 30, {0, 0, 1, 0}}, {{59, 0xFF, 0xFF, 0xFF}, 1, {0, 0, 0, 0}},
      {{10, 2, 0, 0}, 125, {15, 4, 0, 0}},
  };
  for (const Case& c : cases) {
    EEpromImage image{};
    std::copy(c.before.begin(), c.before.end(), image.begin());
    UnitModel unit(image, {});
    unit.AdvanceMinutes(c.minutes);
    EXPECT_TRUE(std::equal(c.after.begin(), c.after.end(), unit.eeprom().begin()))
        << int(unit.eeprom()[0]) << " " << int(unit.eeprom()[1]);
  }
}

}  // namespace
}  // namespace kova::sim
