// SPDX-License-Identifier: GPL-3.0-or-later
#include "diag/error_reporter.h"

#include <new>

namespace kova {

Failure AsFailure(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Failure& failure) {
    return failure;
  } catch (const std::out_of_range& e) {
    return Failure(FailureCode::SubscriptOutOfRange, e.what());
  } catch (const std::bad_alloc&) {
    return Failure(FailureCode::InternalError, "Out of memory");
  } catch (const std::exception& e) {
    return Failure(FailureCode::InternalError, e.what());
  } catch (...) {
    return Failure(FailureCode::InternalError, FailureName(FailureCode::InternalError));
  }
}

void StreamReporter::Report(const Failure& failure, std::string_view procedure) {
  out_ << procedure << ": " << failure.what() << " (" << failure.number() << ")\n";
}

bool StreamReporter::ReportAndAsk(const Failure& failure, std::string_view procedure) {
  Report(failure, procedure);
  return true;
}

void RecordingReporter::Report(const Failure& failure, std::string_view procedure) {
  entries_.push_back({std::string(procedure), failure.number(), failure.what(), false});
}

bool RecordingReporter::ReportAndAsk(const Failure& failure, std::string_view procedure) {
  entries_.push_back({std::string(procedure), failure.number(), failure.what(), true});
  return answer_;
}

}  // namespace kova
