// SPDX-License-Identifier: GPL-3.0-or-later
#include "diag/error_reporter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <vector>

namespace kova {
namespace {

TEST(RunProcedure, ReportsTheFailureUnderTheProcedureNameAndEnds) {
  RecordingReporter reporter;
  EXPECT_TRUE(RunProcedure(reporter, "ClearForm", [] {}));
  EXPECT_TRUE(reporter.entries().empty());
  bool reachedEnd = false;
  EXPECT_FALSE(RunProcedure(reporter, "PackEEprom", [&] {
    Fail(FailureCode::Overflow, "Overflow");
    reachedEnd = true;
  }));
  EXPECT_FALSE(reachedEnd);
  ASSERT_EQ(reporter.entries().size(), 1u);
  EXPECT_EQ(reporter.entries()[0].procedure, "PackEEprom");
  EXPECT_EQ(reporter.entries()[0].number, 6);
  EXPECT_FALSE(reporter.entries()[0].asked);
}

TEST(RunHandler, AsksAndPassesTheAnswerOn) {
  for (bool answer : {true, false}) {
    RecordingReporter reporter(answer);
    const bool goOn = RunHandler(reporter, "cmdGet_Click",
                                 [] { Fail(FailureCode::TypeMismatch, "Type mismatch"); });
    EXPECT_EQ(goOn, answer);
    ASSERT_EQ(reporter.entries().size(), 1u);
    EXPECT_TRUE(reporter.entries()[0].asked);
  }
}

TEST(AsFailure, GivesStandardExceptionsAFailureNumber) {
  struct Case {
    std::exception_ptr error;
    int number;
  };
  const std::vector<Case> cases{
      {std::make_exception_ptr(Failure(FailureCode::TypeMismatch, "x")), 13},
      {std::make_exception_ptr(std::out_of_range("index")), 9},
      {std::make_exception_ptr(std::runtime_error("odd")), 51},
      {std::make_exception_ptr(42), 51},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AsFailure(c.error).number(), c.number);
}

TEST(StreamReporter, WritesProcedureDescriptionAndNumber) {
  std::ostringstream out;
  StreamReporter reporter(out);
  EXPECT_TRUE(reporter.ReportAndAsk(Failure(FailureCode::Overflow, "Overflow"), "InterpretEEprom"));
  EXPECT_EQ(out.str(), "InterpretEEprom: Overflow (6)\n");
}

}  // namespace
}  // namespace kova
