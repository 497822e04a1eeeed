// SPDX-License-Identifier: GPL-3.0-or-later
// Failures reported under their procedure's name, and the trace log's lines.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "diag/error_reporter.h"
#include "diag/trace.h"

namespace kova {
namespace {

// A procedure's failure is reported under its name and ends it; a handler's
// failure asks, and the answer decides whether the caller goes on.
TEST(RunProcedure, ReportsTheFailureUnderTheProcedureNameAndEnds) {
  for (const bool answer : {true, false}) {
    RecordingReporter reporter(answer);
    EXPECT_TRUE(RunProcedure(reporter, "ClearForm", [] {}));
    bool reachedEnd = false;
    const auto body = [&] {
      Fail(FailureCode::Overflow, "Overflow");
      reachedEnd = true;
    };
    EXPECT_FALSE(RunProcedure(reporter, "PackEEprom", body));
    EXPECT_EQ(RunHandler(reporter, "cmdGet_Click", body), answer);
    EXPECT_FALSE(reachedEnd);
    ASSERT_EQ(reporter.entries().size(), 2u);
    EXPECT_EQ(reporter.entries()[0].procedure, "PackEEprom");
    EXPECT_EQ(reporter.entries()[0].number, 6);
    EXPECT_EQ(std::pair(reporter.entries()[0].asked, reporter.entries()[1].asked),
              std::pair(false, true));
  }
}

TEST(AsFailure, GivesStandardExceptionsAFailureNumber) {
  for (const auto& [error, number] : std::vector<std::pair<std::exception_ptr, int>>{
           {std::make_exception_ptr(Failure(FailureCode::TypeMismatch, "x")), 13},
           {std::make_exception_ptr(std::out_of_range("index")), 9},
           {std::make_exception_ptr(std::runtime_error("odd")), 51},
           {std::make_exception_ptr(42), 51}})
    EXPECT_EQ(AsFailure(error).number(), number);
}

// The trace log's lines, and the dumps of the image, the verification area and the bits.
TEST(Trace, LinesAndDumpsOfTheImageTheVerificationAreaAndTheBits) {
  std::vector<std::string> lines;
  SetTraceSink([&](std::string_view line) { lines.emplace_back(line); });
  const std::shared_ptr<void> reset(nullptr, [](void*) { SetTraceSink(nullptr); });
  Log("++ Put EEprom", 0);
  EXPECT_EQ(lines, std::vector<std::string>{" ++ Put EEprom"});
  const std::string stamped = FormatTraceLine("+++ Program started", true);
  EXPECT_NE(stamped.front(), ' ');  // the stamp, not the unstamped line's leading blank
  EXPECT_TRUE(stamped.ends_with(" +++ Program started")) << stamped;

  lines.clear();
  std::array<std::uint8_t, 256> image{};
  image[0x1F] = 0xAB;
  image[0xF0] = 0x0C;
  DisplayEEprom(image);  // sixteen rows of hex led by the address
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[1], "10: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 AB");
  EXPECT_TRUE(lines[15].starts_with("F0: 0C 00"));

  lines.clear();
  image[248] = 0x81;
  image[9] = 0x40;
  DisplayEEpromBits(image);  // bytes 248 to 254, then 7 to 9, from bit 7
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "byte 248: 10000001");
  EXPECT_EQ(lines[8] + ", " + lines[9], "byte 8: 00000000, byte 9: 01000000");

  lines.clear();
  std::array<std::int16_t, 85> bits{};
  bits[0] = 1;
  bits[79] = 1;
  DisplayBits(bits);  // ten rows of eight
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "bits 0: 1 0 0 0 0 0 0 0");
  EXPECT_EQ(lines[9], "bits 72: 0 0 0 0 0 0 0 1");
}

}  // namespace
}  // namespace kova
