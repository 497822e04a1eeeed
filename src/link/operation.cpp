// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/operation.h"

#include <QSettings>
#include <QThread>
#include <memory>

#include "diag/program_identity.h"
#include "diag/trace.h"
#include "image/field_names.h"
#include "image/interpret.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/port_map.h"
#include "link/qt_serial_line.h"
#include "link/unit_protocol.h"

namespace kova {
namespace {

// A line that would not open, as distinct from one that failed later.
class OpenFailure : public LineError {
 public:
  using LineError::LineError;
};

using namespace std::chrono_literals;
using Duration = Clock::duration;

bool ValidRate(ListIndex index) {
  return index >= 0 && index < static_cast<int>(kBaudRates.size());
}

// Room in the deadlines: each byte may come this much late (a slow unit, an
// adapter that hands bytes over in packets, a loaded PC), each pause may be
// slept this much long, and each operation has this much to spare.
constexpr Duration kLatePerByte = 20ms;
constexpr Duration kLatePerPause = 5ms;
constexpr Duration kSpare = 2s;

// At an unknown rate (0), the slowest of the list.
Duration CharTimeAt(int rate) {
  return std::chrono::duration_cast<Duration>(std::chrono::seconds(10)) /
         std::max(rate, kBaudRates.back());
}

Duration ReceiveTime(int bytes, int rate) {
  return bytes * (2 * CharTimeAt(rate) + kLatePerByte);
}

// Each command's budget: the quiet the PC waits for before sending it, the
// bytes both ways, every receive timeout it may meet on its way without
// failing, and the silence after the answer.
Duration VersionTime(int rate, const LinkTimings& t) {
  constexpr int bytes = 2 + 3 * (static_cast<int>(kMaxVersionLine) + 1);
  return 2 * t.rxTimeout + ReceiveTime(bytes, rate) + 3 * t.rxTimeout + t.rxTimeout;
}
Duration ReadTime(int rate, const LinkTimings& t) {
  return 2 * t.rxTimeout + ReceiveTime(2 + kEEpromSize, rate);
}
Duration GetTime(int rate, const LinkTimings& t) {
  return VersionTime(rate, t) + 2 * ReadTime(rate, t);
}
Duration WriteTime(int rate, const LinkTimings& t) {
  return VersionTime(rate, t) + t.rxTimeout + ReceiveTime(2, rate) +
         kWrittenBytes * (t.pacing + 2 * CharTimeAt(rate) + kLatePerPause);
}
Duration VerifyTime(int rate, const LinkTimings& t) {
  return 2 * ReadTime(rate, t);
}
Duration ResetTime(int rate, const LinkTimings& t) {
  return VersionTime(rate, t) + t.rxTimeout + ReceiveTime(1, rate);
}

// One operation's run: its link, its progress and its result.
class Run {
 public:
  Run(const OperationRequest& request, SerialLine& line, Clock& clock, const ProgressSink& progress)
      : request_(request), link_(line, clock, request.timings), progress_(progress) {
    result_.kind = request.kind;
    link_.SetCancel(request.cancel);
  }

  OperationResult Go() {
    try {
      switch (request_.kind) {
        case Operation::Get:
          Get();
          break;
        case Operation::Put:
          Put();
          break;
        case Operation::Reset:
          Reset();
          break;
      }
    } catch (const StopRequested&) {
      Fail(Outcome::Interrupted, Interrupted());
    } catch (const OpenFailure& failure) {
      Fail(Outcome::PortProblem, PortOpenError(request_.port, request_.device, failure.what()));
      result_.portNotOpened = true;
    } catch (const LineError& failure) {
      Fail(Outcome::HangUp, PortLostError(request_.port, request_.device, failure.what()));
    } catch (const std::exception& failure) {
      Fail(Outcome::PortProblem, {.text = std::string("The operation stopped: ") + failure.what()});
    }
    link_.ComClose();
    if (request_.kind == Operation::Put && result_.refusedControl.empty()) SayWhatTheUnitHolds();
    result_.bytesSent = link_.bytesSent();
    result_.bytesReceived = link_.bytesReceived();
    result_.succeeded = result_.messages.empty();
    return result_;
  }

 private:
  void Show(const Message& message) { result_.messages.push_back(message); }
  // The first failure decides the outcome; its message is shown.
  void Fail(Outcome outcome, const Message& message) {
    if (result_.outcome == Outcome::None) result_.outcome = outcome;
    Show(message);
  }
  void Fail(Outcome outcome) { Fail(outcome, MessageFor(outcome)); }

  // A Put that failed says what it left in the unit; one that did not has
  // left it verified.
  void SayWhatTheUnitHolds() {
    result_.imageBytesWritten = attempted_;
    result_.writeLeftOpen = acknowledged_ && attempted_ < kWrittenBytes;
    if (result_.unit == UnitState::Unchanged && attempted_ > 0) result_.unit = UnitState::Partial;
    if (result_.messages.empty()) {
      result_.unit = UnitState::Verified;
      return;
    }
    switch (result_.unit) {
      case UnitState::Unchanged:
        Show(UnitUnchanged());
        break;
      case UnitState::Partial:
        Show(UnitPartlyWritten(attempted_, kWrittenBytes));
        break;
      case UnitState::Written:
        Show(UnitSentNotConfirmed(result_.unitBaud, oldRate_));
        break;
      case UnitState::Differs:
      case UnitState::Verified:
        Show(UnitWrittenNotVerified(result_.unitBaud));
        break;
    }
  }

  void StartPhase(Duration budget) { link_.SetDeadline(link_.clock().Now() + budget); }

  void Phase(const char* phase, int expected) {
    phase_ = phase;
    Report(0, expected);
  }
  void Report(int done, int expected) {
    if (progress_) progress_({phase_, done, expected});
  }
  ByteProgress Reporter() {
    return [this](int done, int expected) { Report(done, expected); };
  }

  // Opens at the rate the PC rate list selects; false when none is selected.
  bool Open(ListIndex baudPC) {
    if (!ValidRate(baudPC)) {
      Fail(Outcome::Refused, NoRateSelected());
      return false;
    }
    link_.StopIfCancelled();
    try {
      link_.ComOpen({request_.device, kBaudRates[baudPC]});
    } catch (const LineError& failure) {
      throw OpenFailure(failure.what());
    }
    return true;
  }

  int RateOf(ListIndex index) const { return ValidRate(index) ? kBaudRates[index] : 0; }

  void Get() {
    Document doc = request_.document;
    Phase("GET", 2 * kEEpromSize);
    result_.unitBaud = RateOf(doc.cfg.BaudPC);
    if (!Open(doc.cfg.BaudPC)) return;
    StartPhase(GetTime(result_.unitBaud, request_.timings) + kSpare);
    // Read into scratch copies: the window keeps what it had unless the whole
    // answer came.
    VersionTexts ver = doc.cfg.Ver;
    EEpromImage image = doc.image;
    const Outcome got = GetEEprom(link_, ver, image, Reporter());
    link_.ComClose();
    Log("++ Get EEprom", 1);
    if (got != Outcome::None) {
      Fail(got);
      return;
    }
    result_.rateConfirmed = true;
    DisplayEEprom(image);
    doc.cfg.Ver = ver;
    doc.image = image;
    result_.warnings = InterpretEEprom(doc);
    result_.document = std::move(doc);
  }

  // The version asked before anything else is sent; false (the failure
  // recorded) when the unit did not answer it by the rule.
  bool VersionFirst() {
    if (!request_.askVersionFirst) return true;
    VersionTexts ver;
    const Outcome asked = AskVersion(link_, ver);
    if (asked != Outcome::None) {
      Fail(asked);
      return false;
    }
    result_.versions = ver;
    result_.rateConfirmed = true;
    return true;
  }

  void Put() {
    Document doc = request_.document;
    // Nothing goes to the unit unless the whole configuration packs.
    try {
      PackEEprom(doc);
    } catch (const FieldFailure& refusal) {
      Fail(Outcome::Refused, NothingSent(refusal.what()));
      result_.refusedControl = refusal.control();
      return;
    }
    Phase("PUT", kWrittenBytes);
    result_.unitBaud = oldRate_ = RateOf(doc.cfg.BaudPC);
    if (!Open(doc.cfg.BaudPC)) return;
    StartPhase(WriteTime(result_.unitBaud, request_.timings) + kSpare / 2);
    if (!VersionFirst()) return;
    Log("++ Put EEprom", 1);
    DisplayEEprom(doc.image);
    const Outcome written = PutEEprom(link_, doc.image, attempted_, Reporter(), &acknowledged_);
    link_.ComClose();
    if (written != Outcome::None) {
      // The unit was not told anything: no pause, no new rate, no read-back.
      Fail(written);
      return;
    }
    // The unit should now hold this image and listen at the rate it names,
    // so the PC follows it; only the read-back can confirm either.
    result_.unit = UnitState::Written;
    result_.rateConfirmed = false;
    doc.cfg.BaudPC = doc.cfg.BaudKova;
    result_.unitBaud = RateOf(doc.cfg.BaudPC);
    result_.document = doc;

    Phase("VERIFY", kEEpromSize);
    link_.SleepUntil(link_.clock().Now() + request_.timings.settle);
    if (!Open(doc.cfg.BaudPC)) return;
    StartPhase(VerifyTime(result_.unitBaud, request_.timings) + kSpare / 2);
    const Outcome verified = VerifyEEprom(link_, doc.image, result_.differences, Reporter());
    if (verified == Outcome::None || verified == Outcome::Differences) {
      // A whole read-back, twice alike when it differs: the unit answered.
      result_.rateConfirmed = true;
      if (verified == Outcome::Differences) result_.unit = UnitState::Differs;
    }
    if (verified != Outcome::None) Fail(verified);
  }

  void Reset() {
    Phase("RESET", 1);
    if (!Open(request_.document.cfg.BaudPC)) return;
    StartPhase(ResetTime(RateOf(request_.document.cfg.BaudPC), request_.timings) + kSpare);
    if (!VersionFirst()) return;
    if (const Outcome sent = SendReset(link_); sent != Outcome::None) {
      Fail(sent);
      return;
    }
    Report(1, 1);
  }

  const OperationRequest& request_;
  SerialLink link_;
  const ProgressSink& progress_;
  std::string phase_;
  OperationResult result_;
  int attempted_ = 0;          // image bytes handed to the line
  bool acknowledged_ = false;  // the unit acknowledged the write command
  int oldRate_ = 0;            // the rate a Put found the unit at
};

}  // namespace

std::optional<Message> ResolvePort(OperationRequest& request, const PortMap& ports) {
  const ListIndex comPort = request.document.cfg.ComPort;
  if (comPort < 0 || comPort >= kPortCount) return NoPortSelected();
  const int port = comPort + 1;
  request.port = PortName(port);
  request.device = ports.DeviceFor(port);
  if (request.device.empty()) return PortNotMapped(request.port);
  return std::nullopt;
}

std::chrono::milliseconds OperationDeadline(Operation kind, int pcRate, int unitRate,
                                            const LinkTimings& timings) {
  Duration total{};
  switch (kind) {
    case Operation::Get:
      total = GetTime(pcRate, timings);
      break;
    case Operation::Put:
      total = WriteTime(pcRate, timings) + timings.settle + VerifyTime(unitRate, timings);
      break;
    case Operation::Reset:
      total = ResetTime(pcRate, timings);
      break;
  }
  return std::chrono::ceil<std::chrono::milliseconds>(total + kSpare);
}

std::chrono::milliseconds OperationDeadline(const OperationRequest& request) {
  const Configuration& cfg = request.document.cfg;
  const int pcRate = ValidRate(cfg.BaudPC) ? kBaudRates[cfg.BaudPC] : 0;
  const int unitRate = ValidRate(cfg.BaudKova) ? kBaudRates[cfg.BaudKova] : pcRate;
  return OperationDeadline(request.kind, pcRate, unitRate, request.timings);
}

OperationResult RunOperation(const OperationRequest& request, SerialLine& line, Clock& clock,
                             const ProgressSink& progress) {
  return Run(request, line, clock, progress).Go();
}

OperationResult RunOperation(const OperationRequest& request, const ProgressSink& progress) {
  if (!QThread::currentThread()->eventDispatcher()) {
    // The serial port watches its device with notifiers, which want a thread
    // with an event dispatcher; a caller without an application object gets
    // one for the operation and waits for it.
    OperationResult result;
    const std::unique_ptr<QThread> thread(
        QThread::create([&] { result = RunOperation(request, progress); }));
    thread->start();
    thread->wait();
    return result;
  }
  OperationRequest resolved = request;
  if (resolved.device.empty()) {
    QSettings settings(QSettings::UserScope, kProgramTitle);
    if (std::optional<Message> problem = ResolvePort(resolved, PortMap(settings))) {
      OperationResult result;
      result.kind = request.kind;
      result.outcome = Outcome::Refused;
      result.messages.push_back(*problem);
      return result;
    }
  }
  QtSerialLine line;
  SteadyClock clock;
  return RunOperation(resolved, line, clock, progress);
}

}  // namespace kova
