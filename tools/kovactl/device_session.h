// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "link/operation.h"
#include "remembered_rates.h"
#include "stop_on_signals.h"

// What the device verbs share: the options that name the port and rate, and
// the session that runs an operation and reports it.
namespace kova::ctl {

inline constexpr int kFactoryRate = 9600;

extern const QCommandLineOption kPort;
extern const QCommandLineOption kBaud;
extern const QCommandLineOption kOutput;
extern const QCommandLineOption kJson;
extern const QCommandLineOption kTrace;

// --port, --baud, --json and --trace.
void DeclareLink(QCommandLineParser& p);

// The index of a rate in kBaudRates, -1 for none.
int RateIndex(int rate);

// "3 bytes differ from unit.kova, at 17, 250, 251."
std::string DifferenceSummary(const std::vector<ByteDifference>& differences,
                              const std::string& against);

// What --json's "unit" says a Put left in the unit.
const char* UnitStateName(UnitState state);

// One device verb's run: where it talked, at what rate, and what came of it.
// Everything a script reads from --json is here.
class Session {
 public:
  Session(const char* verb, const QCommandLineParser& p);

  // Reads --port, --baud and --trace; false (with status() set) on a usage
  // error.
  bool Parse(const QCommandLineParser& p);

  // With --baud auto: finds the rate first. False when it could not.
  bool ProbeIfAsked();
  // Asks for the version at the rates given, in order; false (and the
  // failure recorded) when the unit answered at none.
  bool Probe(const std::vector<int>& rates);

  // The request for an operation at the session's rate.
  OperationRequest Request(Operation kind) const;
  // Runs the operation and takes in what it says; true when it succeeded.
  bool Run(const OperationRequest& request, OperationResult& result);

  void Fail(int status, const std::string& message);
  // A failure whose message is already on stderr.
  void Record(int status, const std::string& message);
  // The unit answered at `rate`: later runs on this port start there.
  void Remember(int rate);
  // The remembered rates; a settings file that cannot be used is warned of once.
  RememberedRates Rates();
  // Said on stderr and kept for --json: the verb's outcome stands.
  void Warn(const std::string& warning);

  void SetVersions(const VersionTexts& versions) { versions_ = versions; }
  void AddDifferences(const std::vector<ByteDifference>& differences);
  void SetUnitState(std::string state) { unit_ = std::move(state); }

  // Prints the JSON result when asked for and returns the exit status.
  int Finish() const;

  bool json() const { return json_; }
  const VersionTexts& versions() const { return versions_; }
  int status() const { return status_; }
  std::optional<int> baud() const { return baud_; }
  const std::string& port() const { return port_; }

 private:
  bool WaitForCutWrite();
  void NoAnswer(int rate, const std::string& what, bool heardSomething);
  std::string Json() const;

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
bool ReadUnit(Session& session, std::optional<Document>& doc);
// Reads the unit and saves exactly the bytes it sent (nothing repacked).
bool ReadUnitInto(Session& session, const QString& path);

}  // namespace kova::ctl
