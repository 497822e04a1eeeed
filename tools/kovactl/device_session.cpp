// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_session.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "config_json.h"
#include "diag/trace.h"
#include "image/byte_map.h"
#include "image/clear_form.h"
#include "link/byte_trace.h"
#include "link/link_messages.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "link/unit_protocol.h"
#include "progress_bar.h"

namespace kova::ctl {

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

namespace {

// Adds a sentence to a message, ending the one before it first.
void AddSentence(std::string& text, const std::string& sentence) {
  if (sentence.empty()) return;
  if (!text.empty())
    text += std::string_view(".!?:").find(text.back()) != std::string_view::npos ? " " : ". ";
  text += sentence;
}

QString RateList() {
  QStringList rates;
  for (int rate : kBaudRates)
    rates << QString::number(rate);
  return rates.join(", ");
}

}  // namespace

int RateIndex(int rate) {
  const auto at = std::find(kBaudRates.begin(), kBaudRates.end(), rate);
  return at == kBaudRates.end() ? -1 : static_cast<int>(at - kBaudRates.begin());
}

std::string DifferenceSummary(const std::vector<ByteDifference>& differences,
                              const std::string& against) {
  constexpr std::size_t kNamed = 8;
  std::string text = std::to_string(differences.size()) + " byte" +
                     (differences.size() == 1 ? " differs" : "s differ") + " from " + against +
                     ", at ";
  for (std::size_t i = 0; i < differences.size() && i < kNamed; ++i)
    text += (i ? ", " : "") + std::to_string(differences[i].address);
  return text + (differences.size() > kNamed ? ", ..." : "") + ".";
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

Session::Session(const char* verb, const QCommandLineParser& p)
    : verb_(verb), json_(p.isSet(kJson)) {}

bool Session::Parse(const QCommandLineParser& p) {
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
bool Session::WaitForCutWrite() {
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

bool Session::ProbeIfAsked() {
  if (!autoRate_) return true;
  return Probe(ProbeOrder(Rates().LastSeen(port_)));
}

bool Session::Probe(const std::vector<int>& rates) {
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

OperationRequest Session::Request(Operation kind) const {
  OperationRequest request;
  request.kind = kind;
  request.document = StartupDocument();
  request.document.cfg.BaudPC = RateIndex(baud_.value_or(kFactoryRate));
  request.device = port_;
  request.port = port_;
  request.cancel = &interrupted;
  return request;
}

bool Session::Run(const OperationRequest& request, OperationResult& result) {
  result = RunOperation(request, ProgressBar());
  EndProgressLine();
  // Where the unit is to be found now: a Put that went out whole moved it,
  // as far as anything confirmed it.
  if (result.unitBaud > 0 && (result.kind != Operation::Put || result.rateConfirmed))
    baud_ = result.unitBaud;
  if (result.versions) versions_ = *result.versions;
  if (result.writeLeftOpen)
    RememberedRates().RememberWriteCutShort(port_, QDateTime::currentMSecsSinceEpoch());
  for (const auto& warning : result.warnings)
    PrintError(warning);
  AddDifferences(result.differences);
  if (result.succeeded) return true;
  const int status = ExitFor(result.outcome);
  std::string text;
  for (const auto& message : result.messages)
    AddSentence(text, MessageText(message));
  if (!result.differences.empty())
    AddSentence(text, DifferenceSummary(result.differences, "the image written"));
  if (status == kNoAnswer) {
    NoAnswer(baud_.value_or(kFactoryRate), text, result.bytesReceived > 0);
  } else {
    Fail(status, text);
  }
  return false;
}

void Session::Fail(int status, const std::string& message) {
  Record(status, message);
  PrintError(message);
}

void Session::Record(int status, const std::string& message) {
  status_ = status;
  message_ = message;
}

// A unit that did not answer at `rate`: the message says where it was
// asked and, when nothing at all came back, how to find its rate. A unit that
// stopped part way heard the command: its rate is not the question.
void Session::NoAnswer(int rate, const std::string& what, bool heardSomething) {
  std::string text =
      "no answer from the unit on " + port_ + " at " + std::to_string(rate) + " bit/s:";
  AddSentence(text, what);
  AddSentence(text, heardSomething ? "It stopped part way; check the cable and try again."
                                   : "Run 'kovactl probe --port " + port_ + "' to find its rate.");
  Fail(kNoAnswer, text);
}

void Session::Remember(int rate) {
  if (const std::string failed = Rates().Remember(port_, rate); !failed.empty()) Warn(failed);
}

RememberedRates Session::Rates() {
  RememberedRates rates;
  if (!rates.problem().empty() && !settingsWarned_) {
    settingsWarned_ = true;
    Warn(rates.problem());
  }
  return rates;
}

void Session::Warn(const std::string& warning) {
  PrintError(warning);
  warnings_.push_back(warning);
}

int Session::Finish() const {
  if (json_) PrintOut(TerminalSafeJson(QByteArray::fromStdString(Json())) + "\n");
  return status_;
}

// The fields in the documented order (a QJsonObject would sort them).
std::string Session::Json() const {
  const auto value = [](const QJsonValue& v) {
    const QByteArray text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2).toStdString();
  };
  QJsonArray versions;
  for (const std::string& line : versions_)
    versions.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
  QJsonArray differences;
  for (const auto& d : differences_) {
    QJsonArray fields;
    for (const std::string& path : FieldsAtByte(d.address))
      fields.append(QString::fromStdString(path));
    differences.append(QJsonObject{{"address", QJsonValue(d.address)},
                                   {"expected", QJsonValue(d.expected)},
                                   {"got", QJsonValue(d.got)},
                                   {"fields", fields}});
  }
  std::string json =
      "{\"format\": \"kova-device/1\", \"ok\": " + value(status_ == kOk) +
      ", \"exit\": " + value(status_) + ", \"port\": " + value(QString::fromStdString(port_)) +
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

void Session::AddDifferences(const std::vector<ByteDifference>& differences) {
  differences_.insert(differences_.end(), differences.begin(), differences.end());
}

bool ReadUnit(Session& session, std::optional<Document>& doc) {
  OperationResult result;
  if (!session.Run(session.Request(Operation::Get), result) || !result.document) return false;
  doc = std::move(result.document);
  session.SetVersions(doc->cfg.Ver);
  session.Remember(*session.baud());
  return true;
}

bool ReadUnitInto(Session& session, const QString& path) {
  std::optional<Document> doc;
  if (!ReadUnit(session, doc)) return false;
  if (const int saved = SaveFile(path, *doc, true); saved != kOk) {
    session.Fail(saved, "the unit was read but " + path.toStdString() + " was not written");
    return false;
  }
  return true;
}

}  // namespace kova::ctl
