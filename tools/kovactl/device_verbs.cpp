// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that talk to a unit: ports, probe, get, put, verify, reset.
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "cli.h"
#include "config_json.h"
#include "diag/trace.h"
#include "files/file_session.h"
#include "files/profile.h"
#include "files/user_settings.h"
#include "image/clear_form.h"
#include "link/byte_trace.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "link/qt_serial_line.h"
#include "link/unit_protocol.h"

namespace kova::ctl {
namespace {

using namespace std::chrono_literals;

constexpr int kFactoryRate = 9600;

// Set by SIGINT or SIGTERM while a device verb runs; the operation under way
// sees it and stops, so that the user is told what the unit was left with.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void AskToStop(int signal) {
  if (!interrupted.exchange(true, std::memory_order_relaxed)) return;
  // The second time: end now, but not with the port still locked.
  ReleaseHeldPortForExit();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Ctrl+C and SIGTERM ask the operation to stop rather than killing the
// process mid-write. A second Ctrl+C ends the process at once, letting go of
// the port first.
class StopOnSignals {
 public:
  StopOnSignals() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
  }
  ~StopOnSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
  }
  StopOnSignals(const StopOnSignals&) = delete;
  StopOnSignals& operator=(const StopOnSignals&) = delete;

 private:
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
};

const QCommandLineOption kPort({"p", "port"}, "The serial device the unit is on (/dev/ttyUSB0).",
                               "DEVICE");
const QCommandLineOption kBaud(
    {"b", "baud"},
    "The rate the unit talks at now: 115200, 57600, 38400, 19200, 9600, 4800, 2400 or 1200, "
    "or 'auto' to probe for it first. Default: the rate this computer last saw the unit at on "
    "this port, else 9600.",
    "RATE|auto");
const QCommandLineOption kOutput({"o", "output"}, "The .kova file to write ('-': standard output).",
                                 "FILE");
const QCommandLineOption kJson("json", "Print the result as one JSON object on standard output.");
const QCommandLineOption kTrace("trace", "Print every byte sent and received on stderr.");

void DeclareLink(QCommandLineParser& p) {
  p.addOption(kPort);
  p.addOption(kBaud);
  p.addOption(kJson);
  p.addOption(kTrace);
}

QString RateList() {
  QStringList rates;
  for (int rate : kBaudRates)
    rates << QString::number(rate);
  return rates.join(", ");
}

int RateIndex(int rate) {
  const auto at = std::find(kBaudRates.begin(), kBaudRates.end(), rate);
  return at == kBaudRates.end() ? -1 : static_cast<int>(at - kBaudRates.begin());
}

// The rates remembered in the user's settings, beside the port mapping. A
// settings file that is no file (a named pipe) is never opened: reading it
// would wait for a writer for good, deaf to Ctrl+C.
class RememberedRates {
 public:
  RememberedRates() {
    const QString file = UserSettingsFile();
    if (const QString why = SettingsFileProblem(file); !why.isEmpty()) {
      problem_ = "the settings file \"" + file.toStdString() + "\" cannot be used (" +
                 why.toStdString() + "); no rate is read from it or remembered in it";
      return;
    }
    settings_ = std::make_unique<QSettings>(QSettings::UserScope, kProgramTitle);
    rates_.emplace(*settings_);
  }
  std::optional<int> LastSeen(const std::string& port) const {
    return rates_ ? rates_->LastSeen(port) : std::nullopt;
  }
  // Why the rate could not be kept; empty when it was, or when the file was
  // unusable from the start (problem() said so).
  std::string Remember(const std::string& port, int rate) {
    if (!rates_) return {};
    rates_->Remember(port, rate);
    const std::string failed = SyncSettings(*settings_);
    if (failed.empty()) return {};
    return "the rate " + std::to_string(rate) + " bit/s of " + port +
           " is not remembered: " + failed;
  }
  const std::string& problem() const { return problem_; }

  // When a write on this port was cut short (or is still going out), so that
  // the next command waits for the unit to leave write mode.
  std::optional<long long> WriteCutShortAt(const std::string& port) const {
    return rates_ ? rates_->WriteCutShortAt(port) : std::nullopt;
  }
  void RememberWriteCutShort(const std::string& port, long long msSinceEpoch) {
    if (rates_) rates_->RememberWriteCutShort(port, msSinceEpoch);
  }
  void ClearWriteCutShort(const std::string& port) {
    if (rates_) rates_->ClearWriteCutShort(port);
  }

 private:
  std::unique_ptr<QSettings> settings_;
  std::optional<PortRates> rates_;
  std::string problem_;
};

// Progress on stderr, redrawn in place, only when a person is watching.
// True while the bar's line waits for its end: a message printed then must
// start on a line of its own.
bool barOpen = false;

ProgressSink ProgressBar() {
  if (!isatty(STDERR_FILENO)) return {};
  return [](const Progress& progress) {
    barOpen = progress.done < progress.expected;
    const int width = 30;
    const int filled = progress.expected > 0 ? width * progress.done / progress.expected : 0;
    std::fprintf(stderr, "\r%-6s [%s%s] %3d/%-3d", progress.phase.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), progress.done,
                 progress.expected);
    if (progress.done >= progress.expected) std::fprintf(stderr, "\n");
  };
}

// "3 bytes differ from unit.kova, first at 17, 250, 251"
std::string DifferenceSummary(const std::vector<int>& addresses, const std::string& against) {
  constexpr std::size_t kNamed = 8;
  std::string text = std::to_string(addresses.size()) + " byte" +
                     (addresses.size() == 1 ? " differs" : "s differ") + " from " + against +
                     ", at ";
  for (std::size_t i = 0; i < addresses.size() && i < kNamed; ++i)
    text += (i ? ", " : "") + std::to_string(addresses[i]);
  return text + (addresses.size() > kNamed ? ", ..." : "");
}

const char* UnitStateName(UnitState state) {
  switch (state) {
    case UnitState::Unchanged:
      return "unchanged";
    case UnitState::Partial:
      return "partial";
    case UnitState::Written:
      return "sent";  // in full, but nothing confirmed it
    case UnitState::Differs:
      return "differs";
    case UnitState::Verified:
      return "verified";
  }
  return "unchanged";
}

// One device verb's run: where it talked, at what rate, and what came of it.
// Everything a script reads from --json is here.
class Session {
 public:
  Session(const char* verb, const QCommandLineParser& p) : verb_(verb), json_(p.isSet(kJson)) {}

  // Reads --port, --baud and --trace; false (with status() set) on a usage
  // error.
  bool Parse(const QCommandLineParser& p) {
    if (!p.isSet(kPort) || p.value(kPort).isEmpty()) {
      status_ = UsageError(verb_, "--port DEVICE is required (see 'kovactl ports')");
      return false;
    }
    port_ = p.value(kPort).toStdString();
    device_ = ResolveDevicePath(port_);
    // probe has no --baud of its own.
    const bool rateGiven = p.optionNames().contains("b") || p.optionNames().contains("baud");
    if (rateGiven && p.value(kBaud) == "auto") {
      autoRate_ = true;
    } else if (rateGiven) {
      bool number = false;
      const int rate = p.value(kBaud).toInt(&number);
      if (!number || RateIndex(rate) < 0) {
        status_ = UsageError(verb_, "--baud " + p.value(kBaud) + " is not a rate; use one of " +
                                        RateList() + " or auto");
        return false;
      }
      baud_ = rate;
    } else {
      baud_ = Rates().LastSeen(port_).value_or(kFactoryRate);
    }
    SetByteTrace(p.isSet(kTrace));
    if (p.isSet(kTrace)) {
      SetTraceSink([](std::string_view line) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
      });
    }
    return WaitForCutWrite();
  }

  // A write cut short on this port may have left the unit in write mode: a
  // command sent now would be stored as configuration. Waits until the unit
  // must have given the write up; false when interrupted meanwhile.
  bool WaitForCutWrite() {
    RememberedRates remembered;
    const std::optional<long long> at = remembered.WriteCutShortAt(port_);
    if (!at) return true;
    long long now = QDateTime::currentMSecsSinceEpoch();
    // A mark far in the future is a clock that was put back: wait the whole time.
    constexpr long long kFarAhead = 60000;
    const long long left =
        *at - now > kFarAhead ? kWriteModeLasts.count() : *at + kWriteModeLasts.count() - now;
    if (left > 0) {
      PrintError(WriteModeWaitNote(static_cast<double>(left) / 1000.0));
      for (long long end = now + left; now < end; now = QDateTime::currentMSecsSinceEpoch()) {
        if (interrupted) {
          Fail(kFailed, Interrupted().text);
          return false;
        }
        QThread::msleep(static_cast<unsigned long>(std::min<long long>(end - now, 50)));
      }
    }
    remembered.ClearWriteCutShort(port_);
    return true;
  }

  // With --baud auto: finds the rate first. False when it could not.
  bool ProbeIfAsked() {
    if (!autoRate_) return true;
    return Probe(ProbeOrder(Rates().LastSeen(port_)));
  }

  // Asks for the version at the rates given, in order; false (and the
  // failure recorded) when the unit answered at none.
  bool Probe(const std::vector<int>& rates) {
    const ProbeResult probe = ProbeUnit(port_, port_, rates, {}, &interrupted);
    QStringList tried;
    for (int rate : probe.tried)
      tried << QString::number(rate);
    switch (probe.outcome) {
      case Outcome::None:
        baud_ = probe.rate;
        versions_ = probe.versions;
        Remember(*probe.rate);
        return true;
      case Outcome::NoAnswer:
        baud_.reset();
        Fail(kNoAnswer, "no answer from the unit on " + port_ + " at any rate (tried " +
                            tried.join(", ").toStdString() +
                            "); check that it is powered and cabled to this port");
        return false;
      case Outcome::UnexpectedData: {
        baud_.reset();
        QStringList at;
        for (int rate : probe.unexpectedAt)
          at << QString::number(rate);
        Fail(kFailed, MessageText(UnexpectedResponse()) + " (at " + at.join(", ").toStdString() +
                          " bit/s; tried " + tried.join(", ").toStdString() +
                          "). No rate was found or remembered.");
        return false;
      }
      default:
        Fail(ExitFor(probe.outcome),
             probe.failure ? MessageText(*probe.failure) : "the probe failed");
        return false;
    }
  }

  // The request for an operation at the session's rate.
  OperationRequest Request(Operation kind) const {
    OperationRequest request;
    request.kind = kind;
    request.document = StartupDocument();
    request.document.cfg.BaudPC = RateIndex(baud_.value_or(kFactoryRate));
    request.device = port_;
    request.port = port_;
    request.cancel = &interrupted;
    return request;
  }

  // Runs the operation and takes in what it says; true when it succeeded.
  bool Run(const OperationRequest& request, OperationResult& result) {
    result = RunOperation(request, ProgressBar());
    if (barOpen) std::fprintf(stderr, "\n");
    barOpen = false;
    // Where the unit is to be found now: a Put that went out whole moved it,
    // as far as anything confirmed it.
    if (result.unitBaud > 0 && (result.kind != Operation::Put || result.rateConfirmed))
      baud_ = result.unitBaud;
    if (result.versions) versions_ = *result.versions;
    if (result.writeLeftOpen)
      RememberedRates().RememberWriteCutShort(port_, QDateTime::currentMSecsSinceEpoch());
    for (const auto& warning : result.warnings)
      PrintError(warning);
    for (const ByteDifference& difference : result.differences)
      differences_.push_back(difference);
    if (result.succeeded) return true;
    const int status = ExitFor(result.outcome);
    std::string text;
    for (const auto& message : result.messages) {
      if (!text.empty()) text += text.back() == '.' ? " " : ". ";
      text += MessageText(message);
    }
    if (!result.differences.empty()) {
      std::vector<int> addresses;
      for (const ByteDifference& difference : result.differences)
        addresses.push_back(difference.address);
      text += " " + DifferenceSummary(addresses, "the image written") + ".";
    }
    if (status == kNoAnswer) {
      NoAnswer(baud_.value_or(kFactoryRate), text);
    } else {
      Fail(status, text);
    }
    return false;
  }

  void Fail(int status, const std::string& message) {
    Record(status, message);
    PrintError(message);
  }
  // A failure whose message is already on stderr.
  void Record(int status, const std::string& message) {
    status_ = status;
    message_ = message;
  }

  // A unit that did not answer at `rate`: the message says where it was
  // asked and how to find it.
  void NoAnswer(int rate, const std::string& what) {
    std::string said = what;
    if (!said.empty() && said.back() != '.') said += '.';
    Fail(kNoAnswer, "no answer from the unit on " + port_ + " at " + std::to_string(rate) +
                        " bit/s: " + said + " Run 'kovactl probe --port " + port_ +
                        "' to find its rate.");
  }

  // The unit answered at `rate`: later runs on this port start there.
  void Remember(int rate) {
    if (const std::string failed = Rates().Remember(port_, rate); !failed.empty()) Warn(failed);
  }

  // The remembered rates; a settings file that cannot be used is warned of once.
  RememberedRates Rates() {
    RememberedRates rates;
    if (!rates.problem().empty() && !settingsWarned_) {
      settingsWarned_ = true;
      Warn(rates.problem());
    }
    return rates;
  }

  // Said on stderr and kept for --json: the verb's outcome stands.
  void Warn(const std::string& warning) {
    PrintError(warning);
    warnings_.push_back(warning);
  }

  void SetRate(int rate) { baud_ = rate; }
  void SetVersions(const VersionTexts& versions) { versions_ = versions; }
  void AddDifference(int address, int expected, int got) {
    differences_.push_back({.address = address, .expected = expected, .got = got});
  }
  void SetUnitState(std::string state) { unit_ = std::move(state); }

  // Prints the JSON result when asked for and returns the exit status.
  int Finish() const {
    if (json_) PrintOut(TerminalSafeJson(QByteArray::fromStdString(Json())) + "\n");
    return status_;
  }

  bool json() const { return json_; }
  const VersionTexts& versions() const { return versions_; }
  int status() const { return status_; }
  std::optional<int> baud() const { return baud_; }
  const std::string& port() const { return port_; }

 private:
  // The fields in the documented order (a QJsonObject would sort them).
  std::string Json() const {
    const auto value = [](const QJsonValue& v) {
      const QByteArray text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
      return text.mid(1, text.size() - 2).toStdString();
    };
    QJsonArray versions;
    for (const std::string& line : versions_)
      versions.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    QJsonArray differences;
    for (const auto& d : differences_)
      differences.append(QJsonObject{{"address", QJsonValue(d.address)},
                                     {"expected", QJsonValue(d.expected)},
                                     {"got", QJsonValue(d.got)}});
    std::string json =
        "{\"ok\": " + value(status_ == kOk) + ", \"exit\": " + value(status_) +
        ", \"port\": " + value(QString::fromStdString(port_)) +
        ", \"device\": " + value(QString::fromStdString(device_)) +
        ", \"baud\": " + (baud_ ? value(*baud_) : "null") + ", \"versions\": " + value(versions) +
        ", \"message\": " + (message_ ? value(QString::fromStdString(*message_)) : "null") +
        ", \"differences\": " + value(differences);
    if (unit_) json += ", \"unit\": " + value(QString::fromStdString(*unit_));
    QJsonArray warnings;
    for (const std::string& warning : warnings_)
      warnings.append(QString::fromStdString(warning));
    return json + ", \"warnings\": " + value(warnings) + "}";
  }

  StopOnSignals signals_;
  QString verb_;
  bool json_;
  std::string port_;
  std::string device_;
  bool autoRate_ = false;
  std::optional<int> baud_;
  VersionTexts versions_{};
  std::optional<std::string> message_;
  std::vector<ByteDifference> differences_;
  std::optional<std::string> unit_;
  std::vector<std::string> warnings_;
  bool settingsWarned_ = false;
  int status_ = kOk;
};

// Reads the unit into `doc`; false (the session's status set) when it failed.
bool ReadUnit(Session& session, std::optional<Document>& doc) {
  OperationResult result;
  if (!session.Run(session.Request(Operation::Get), result) || !result.document) return false;
  doc = std::move(result.document);
  session.SetVersions(doc->cfg.Ver);
  session.Remember(*session.baud());
  return true;
}

// Reads the unit and saves exactly the bytes it sent (nothing repacked).
bool ReadUnitInto(Session& session, const QString& path) {
  std::optional<Document> doc;
  if (!ReadUnit(session, doc)) return false;
  if (const int saved = SaveFile(path, *doc, true); saved != kOk) {
    session.Fail(saved, "the unit was read but " + path.toStdString() + " was not written");
    return false;
  }
  return true;
}

// Whether two names reach one file (the same name, a link, another spelling).
bool SameFile(const QString& a, const QString& b) {
  if (a == kStandardStream || b == kStandardStream) return false;
  struct stat first {
  }, second{};
  return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
         ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

Verb Ports() {
  return {"ports", "List the serial devices of this computer.", [](QCommandLineParser&) {},
          [](const QCommandLineParser&) {
            for (const auto& device : DefaultPortOrder(AvailableSerialDevices())) {
              PrintOut(device.path + (device.description.empty() ? "" : "\t" + device.description) +
                       "\n");
            }
            return int{kOk};
          }};
}

Verb Probe() {
  return {"probe", "Find the rate the unit talks at; print it and the unit's three version lines.",
          [](QCommandLineParser& p) {
            p.addOption(kPort);
            p.addOption(kJson);
            p.addOption(kTrace);
          },
          [](const QCommandLineParser& p) {
            Session session("probe", p);
            if (!session.Parse(p)) return session.status();
            if (session.Probe(ProbeOrder(session.Rates().LastSeen(session.port()))) &&
                !session.json()) {
              // The rate alone on the first line, for $(kovactl probe ... | head -n1).
              std::string text = std::to_string(*session.baud()) + "\n";
              for (const std::string& line : session.versions())
                text += line + "\n";
              PrintOut(text);
            }
            return session.Finish();
          },
          "It sends nothing but the version request \"v\", one rate at a time, and waits\n"
          "out each answer's timeout before the next: the rate last seen on this port\n"
          "first, then 9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200. A rate counts\n"
          "only when the acknowledge and three printable version lines arrive.\n"
          "A \"v\" sent at any of the eight rates reaches a unit set to any other rate as\n"
          "bytes that are none of its commands (write \"!\", reset \"R\", read \"#\"),\n"
          "whatever the phase and with either clock 2 % off, so no rate is left out.\n"
          "After anything else the line must stay silent for a whole timeout before the\n"
          "next rate. Exit 0 when the unit answered, 4 when nothing came at any rate, 1\n"
          "when only something that is no answer came (unexpected data)."};
}

Verb Get() {
  return {"get", "Read the unit and save exactly what it holds in a .kova file.",
          [](QCommandLineParser& p) {
            DeclareLink(p);
            p.addOption(kOutput);
          },
          [](const QCommandLineParser& p) {
            Session session("get", p);
            if (!session.Parse(p)) return session.status();
            if (!p.isSet(kOutput)) return UsageError("get", "-o FILE is required");
            if (session.json() && p.value(kOutput) == kStandardStream) {
              return UsageError("get", "--json and -o - would share standard output");
            }
            if (session.ProbeIfAsked()) ReadUnitInto(session, p.value(kOutput));
            return session.Finish();
          }};
}

Verb Put() {
  static const QCommandLineOption backup("backup",
                                         "First read the unit and save what it held here.", "FILE");
  static const QCommandLineOption baud(
      {"b", "baud"},
      "The rate the unit talks at now (not the one the file sets): 115200, 57600, 38400, 19200, "
      "9600, 4800, 2400 or 1200, or 'auto' to probe for it first. Default: the rate this "
      "computer last saw the unit at on this port, else 9600.",
      "RATE|auto");
  return {"put",
          "Write a .kova file's configuration to the unit and verify it; the PC follows the "
          "unit to the rate the file sets.",
          [](QCommandLineParser& p) {
            p.addOption(kPort);
            p.addOption(baud);
            p.addOption(kJson);
            p.addOption(kTrace);
            p.addOption(backup);
            p.addOption(FillEmptyOption());
            p.addPositionalArgument("FILE", "The .kova file to send ('-': standard input).");
          },
          [](const QCommandLineParser& p) {
            Session session("put", p);
            if (!session.Parse(p)) return session.status();
            if (p.positionalArguments().size() != 1)
              return UsageError("put", "expected 1 file argument");
            const QString path = p.positionalArguments()[0];
            if (session.json() && p.value(backup) == kStandardStream)
              return UsageError("put", "--json and --backup - would share standard output");
            if (p.isSet(backup) && SameFile(p.value(backup), path)) {
              return UsageError("put", "--backup " + p.value(backup) +
                                           " is the file to send; the unit's configuration "
                                           "would overwrite it");
            }
            session.SetUnitState("unchanged");
            auto doc = LoadFile(path);
            if (!doc) {
              session.Record(kFileError, path.toStdString() + " could not be read");
              return session.Finish();
            }
            if (!ReadyToSend(path, *doc, p.isSet(FillEmptyOption()))) {
              session.Record(kFailed, path.toStdString() + " holds values that cannot be sent");
              return session.Finish();
            }
            // Stopped before the write: the user still wants to know the
            // unit was not touched.
            const auto stoppedEarly = [&] {
              if (interrupted) PrintError(UnitUnchanged().text);
              return session.Finish();
            };
            if (!session.ProbeIfAsked()) return stoppedEarly();
            if (p.isSet(backup) && !ReadUnitInto(session, p.value(backup))) {
              // No backup, no write: say so, or the user must guess what the unit holds.
              PrintError(UnitUnchanged().text);
              return session.Finish();
            }
            OperationRequest request = session.Request(Operation::Put);
            // Checked right before writing: a stale rate must not turn the
            // image into noise at the unit.
            request.askVersionFirst = true;
            doc->cfg.BaudPC = request.document.cfg.BaudPC;
            const int before = *session.baud();
            request.document = *doc;
            // Until the write is over the unit may be in write mode: a kill
            // -9 meanwhile must still make the next command wait. The mark
            // says when the last image byte goes out at the latest.
            constexpr std::chrono::milliseconds kVersionAndAcknowledge{3000};
            const auto writeEnds =
                kVersionAndAcknowledge + kWrittenBytes * (request.timings.pacing + 5ms);
            RememberedRates().RememberWriteCutShort(
                session.port(), QDateTime::currentMSecsSinceEpoch() + writeEnds.count());
            OperationResult result;
            session.Run(request, result);
            if (!result.writeLeftOpen) RememberedRates().ClearWriteCutShort(session.port());
            session.SetUnitState(UnitStateName(result.unit));
            if (result.rateConfirmed && result.unit != UnitState::Unchanged) {
              // The unit answered the read-back at the rate the image names.
              session.Remember(*session.baud());
            }
            if (result.unit == UnitState::Verified && *session.baud() != before) {
              PrintError("The unit now talks at " + std::to_string(*session.baud()) + " bit/s.");
            }
            return session.Finish();
          },
          "--baud is the rate the unit talks at now. The unit must first answer a version\n"
          "request at that rate, so nothing is written to a unit that is not listening.\n"
          "After the write, the unit and this computer move to the rate the file sets,\n"
          "and later runs on this port start from it.\n"
          "Ctrl+C or SIGTERM stops the put between two bytes: it exits 1 saying whether\n"
          "the unit kept its configuration or may hold part of the new one (then run\n"
          "put again). A second Ctrl+C ends it at once."};
}

Verb Verify() {
  return {
      "verify", "Read the unit and list every byte 4..255 that differs from a .kova file's image.",
      [](QCommandLineParser& p) {
        DeclareLink(p);
        p.addPositionalArgument("FILE", "The .kova file to compare with ('-': standard input).");
      },
      [](const QCommandLineParser& p) {
        Session session("verify", p);
        if (!session.Parse(p)) return session.status();
        if (p.positionalArguments().size() != 1)
          return UsageError("verify", "expected 1 file argument");
        const QString path = p.positionalArguments()[0];
        const auto file = LoadFile(path);
        if (!file) {
          session.Record(kFileError, path.toStdString() + " could not be read");
          return session.Finish();
        }
        std::optional<Document> unit;
        if (!session.ProbeIfAsked() || !ReadUnit(session, unit)) return session.Finish();
        std::vector<int> addresses;
        std::string lines;
        for (std::size_t address = 4; address < file->image.size(); ++address) {
          const int got = unit->image[address];
          const int expected = file->image[address];
          if (got == expected) continue;
          addresses.push_back(static_cast<int>(address));
          session.AddDifference(static_cast<int>(address), expected, got);
          char line[64];
          std::snprintf(line, sizeof line, "%3zu: unit %02X, file %02X\n", address, got, expected);
          lines += line;
        }
        if (!session.json()) PrintOut(lines);
        if (!addresses.empty())
          session.Fail(kDifferences, DifferenceSummary(addresses, path.toStdString()));
        return session.Finish();
      }};
}

Verb Reset() {
  return {"reset", "Tell the unit to reset.", [](QCommandLineParser& p) { DeclareLink(p); },
          [](const QCommandLineParser& p) {
            Session session("reset", p);
            if (!session.Parse(p)) return session.status();
            OperationResult result;
            OperationRequest request = session.Request(Operation::Reset);
            // A reset is never acknowledged: the version shows that someone listens.
            request.askVersionFirst = true;
            if (session.ProbeIfAsked() && session.Run(request, result)) PrintError(ResetSentNote());
            return session.Finish();
          },
          "The unit does not acknowledge a reset, so it is first asked for its version:\n"
          "exit 4 when it does not answer. Success means that the unit answered and the\n"
          "command was sent; the rate is not remembered from it."};
}

}  // namespace

std::vector<Verb> DeviceVerbs() {
  return {Ports(), Probe(), Get(), Put(), Verify(), Reset()};
}

}  // namespace kova::ctl
