// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "diag/failure.h"

namespace kova {

// Where unexpected run-time failures go. The window shows a dialog, the
// command line prints, tests record.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;

  // Reports a failure of the named procedure, which then ends.
  virtual void Report(const Failure& failure, std::string_view procedure) = 0;

  // Reports a failure and asks whether to go on: true lets the caller carry on
  // with its next step, false stops it.
  virtual bool ReportAndAsk(const Failure& failure, std::string_view procedure) = 0;
};

// Writes one line per report ("PackEEprom: Overflow (6)") and always goes on.
class StreamReporter : public ErrorReporter {
 public:
  explicit StreamReporter(std::ostream& out) : out_(out) {}
  void Report(const Failure& failure, std::string_view procedure) override;
  bool ReportAndAsk(const Failure& failure, std::string_view procedure) override;

 private:
  std::ostream& out_;
};

// Keeps every report, for tests and for callers that show them later.
class RecordingReporter : public ErrorReporter {
 public:
  struct Entry {
    std::string procedure;
    int number;
    std::string description;
    bool asked;
  };

  explicit RecordingReporter(bool answer = true) : answer_(answer) {}
  void Report(const Failure& failure, std::string_view procedure) override;
  bool ReportAndAsk(const Failure& failure, std::string_view procedure) override;

  const std::vector<Entry>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  bool answer_;
  std::vector<Entry> entries_;
};

// Turns whatever a procedure threw into our Failure type, so that a stray
// standard exception is reported like any other failure instead of escaping.
Failure AsFailure(std::exception_ptr error);

// Runs body as the named procedure: a failure it raises is reported and the
// procedure ends. Returns true when body ran to its end.
template <class Body>
bool RunProcedure(ErrorReporter& reporter, std::string_view procedure, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    reporter.Report(AsFailure(std::current_exception()), procedure);
    return false;
  }
}

// Runs body as the named event handler: a failure is reported with the question
// whether to go on. Returns true when body ran to its end or the user chose to
// go on with the steps after it; the failing step itself is never repeated.
template <class Body>
bool RunHandler(ErrorReporter& reporter, std::string_view procedure, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (...) {
    return reporter.ReportAndAsk(AsFailure(std::current_exception()), procedure);
  }
}

}  // namespace kova
