// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/clear_form.h"
#include "image/document.h"
#include "link/outcome.h"

namespace kova::ctl {

// Exit statuses: what a script branches on.
enum Exit : int {
  kOk = 0,
  kFailed = 1,          // any other failure: a refused value, unexpected data
  kUsage = 2,           // the command line itself is wrong
  kFileError = 3,       // a file that cannot be read or written
  kNoAnswer = 4,        // the unit did not answer
  kDifferences = 5,     // verification found differences
  kPortUnavailable = 6  // the port could not be opened (missing, busy, no permission)
};

// The exit status of a device verb that ended so.
constexpr Exit ExitFor(Outcome outcome) {
  switch (outcome) {
    case Outcome::None:
      return kOk;
    case Outcome::NoAnswer:
      return kNoAnswer;
    case Outcome::Differences:
      return kDifferences;
    case Outcome::PortProblem:
      return kPortUnavailable;
    case Outcome::UnexpectedData:
    case Outcome::HangUp:
    case Outcome::Interrupted:
    case Outcome::Refused:
      break;
  }
  return kFailed;
}

// The exit statuses as --help and the manual explain them.
extern const char* const kExitStatusHelp;

// "-" names standard input for a file argument and standard output for -o.
inline constexpr const char* kStandardStream = "-";

struct Verb {
  const char* name;
  const char* summary;
  // Declares the verb's options and positional arguments on the parser.
  std::function<void(QCommandLineParser&)> declare;
  // Runs the verb once the parser has read its arguments.
  std::function<int(const QCommandLineParser&)> run;
  // More about the verb for its own help, in lines of at most 80 characters.
  const char* details = "";
};

std::vector<Verb> FileVerbs();
// The key paths of the JSON form, from the field table.
Verb Fields();
std::vector<Verb> DeviceVerbs();

// A file read as the window's File Open reads it, over the start-up state
// ("-": standard input). Prints why when it cannot be read, and the warnings
// of reading it.
std::optional<Document> LoadFile(const QString& path, std::string* why = nullptr);

// Writes the document in the image layout to path ("-": standard output),
// packing it first unless `asItStands` (a unit's bytes, saved untouched).
// Returns kOk, kFailed when packing refused a value, or kFileError.
int SaveFile(const QString& path, Document& doc, bool asItStands = false);

// A packing refusal's text with the field's path for the window's label
// ("Zones[0].CloseRIC1: '' is not a number"); control names the field.
std::string InPathTerms(const std::string& text, const std::string& control);

// --fill-empty, for the verbs that save or send a file.
const QCommandLineOption& FillEmptyOption();
// Fills what a release-1 file left empty with a new configuration's values, and says so.
void FillEmpty(Document& doc);
// Whether the document packs, checked before a unit is talked to; prints
// every refusal by path when it does not (after filling empty texts when
// asked).
bool ReadyToSend(const QString& path, Document& doc, bool fillEmpty, std::string* why = nullptr);

// Messages go to stderr, every line starting "kovactl: "; results to stdout.
void PrintMessage(const Message& message);
void PrintError(const std::string& text);
void PrintOut(const std::string& text);
// The verb's status, unless standard output failed to take what was printed
// (a full disk, a closed pipe): then that is said, and a success becomes a
// file error.
int FinishOutput(int status);
// What a message says, on one line.
std::string MessageText(const Message& message);

// A usage error: prints it with a hint to the verb's help and returns kUsage.
int UsageError(const QString& verb, const QString& problem);
// kOk when the verb was given exactly `count` file arguments, else the usage
// error's status; a verb that takes none names the first one given.
int RequireArguments(const QCommandLineParser& parser, const QString& verb, int count);

}  // namespace kova::ctl
