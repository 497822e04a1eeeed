// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/file_session.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "image/field_table.h"
#include "image/pack_refusals.h"

namespace kova::ctl {
namespace {

constexpr const char* kStandardInputName = "standard input";
constexpr const char* kStandardOutputName = "standard output";

// The title names the kind of failure ("Communications Error") unless it is
// only the program's own name.
std::string TitledText(const Message& message) {
  return message.title.empty() || message.title == kProgramTitle
             ? message.text
             : message.title + ": " + message.text;
}

}  // namespace

const char* const kExitStatusHelp =
    "Exit status:\n"
    "  0  success\n"
    "  1  any other failure (a refused value, unexpected data from the unit, Ctrl+C)\n"
    "  2  usage error\n"
    "  3  a file cannot be read or written\n"
    "  4  the unit did not answer\n"
    "  5  verification found differences\n"
    "  6  the port could not be opened (missing, busy, no permission)\n";

std::optional<Document> LoadFile(const QString& path, std::string* why) {
  if (path == kStandardStream) {
    ProfileLoad load = ReadProfileStream(STDIN_FILENO, kStandardInputName, StartupDocument());
    for (const auto& warning : load.warnings)
      PrintError(std::string(kStandardInputName) + ": " + warning);
    if (!load.ok()) {
      const Message failure =
          load.failure.value_or(Message{.text = "standard input cannot be read"});
      PrintMessage(failure);
      if (why) *why = TitledText(failure);
      return std::nullopt;
    }
    return std::move(*load.document);
  }
  Document doc = StartupDocument();
  FileSession session;
  const FileOutcome open = session.Open(path, doc);
  for (const auto& warning : open.warnings)
    PrintError(path.toStdString() + ": " + warning);
  if (!open.done) {
    const Message failure =
        open.message.value_or(Message{.text = "cannot read " + path.toStdString()});
    PrintMessage(failure);
    if (why) *why = TitledText(failure);
    return std::nullopt;
  }
  return doc;
}

int SaveFile(const QString& path, Document& doc, bool asItStands) {
  const bool toStream = path == kStandardStream;
  const ProfileSave save =
      toStream ? (asItStands ? WriteProfileImageToStream(STDOUT_FILENO, kStandardOutputName, doc)
                             : WriteProfileToStream(STDOUT_FILENO, kStandardOutputName, doc))
               : (asItStands ? WriteProfileImage(path, doc) : WriteProfile(path, doc));
  const std::string shown = toStream ? kStandardOutputName : path.toStdString();
  for (const auto& warning : save.warnings)
    PrintError(shown + ": " + warning);
  if (save.ok()) return kOk;
  Message failure = *save.failure;
  failure.text = InPathTerms(failure.text, save.control);
  PrintMessage(failure);
  return save.control.empty() ? kFileError : kFailed;
}

std::string InPathTerms(const std::string& text, const std::string& control) {
  const FieldAt at = FindByControl(control);
  if (!at || at.field->key.empty()) return text;
  const std::string label = FieldLabel(*at.field, at.index);
  const auto where = text.find(label);
  if (where == std::string::npos) return text;
  return text.substr(0, where) + KeyPath(*at.field, at.index) + text.substr(where + label.size());
}

const QCommandLineOption& FillEmptyOption() {
  static const QCommandLineOption option(
      "fill-empty",
      "Fill the empty texts (RICs, times) that a release-1 file left out with the values a new "
      "configuration has, instead of refusing them.");
  return option;
}

void FillEmpty(Document& doc) {
  std::vector<std::string> filled;
  for (const FieldAt& at : FillEmptyTexts(doc.cfg))
    filled.push_back(KeyPath(*at.field, at.index));
  if (filled.empty()) return;
  std::string names;
  for (std::size_t i = 0; i < filled.size() && i < 3; ++i)
    names += (i ? ", " : "") + filled[i];
  if (filled.size() > 3) names += " and " + std::to_string(filled.size() - 3) + " more";
  PrintError("filled " + std::to_string(filled.size()) + " empty text" +
             (filled.size() == 1 ? "" : "s") + " with a new configuration's values: " + names);
}

bool ReadyToSend(const QString& path, Document& doc, bool fillEmpty, std::string* why) {
  if (fillEmpty) FillEmpty(doc);
  const std::vector<FieldFailure> refusals = PackRefusals(doc);
  if (refusals.empty()) return true;
  std::string text = path.toStdString() + " cannot be sent; nothing was written to the unit:";
  constexpr std::size_t kNamed = 5;
  for (std::size_t i = 0; i < refusals.size() && i < kNamed; ++i)
    text += "\n" + InPathTerms(refusals[i].what(), refusals[i].control());
  if (refusals.size() > kNamed)
    text += "\nand " + std::to_string(refusals.size() - kNamed) + " more";
  if (!EmptyTexts(doc.cfg).empty())
    text += "\n--fill-empty gives the empty texts a new configuration's values";
  PrintError(text);
  if (why) *why = text;
  return false;
}

std::string MessageText(const Message& message) {
  std::string text = TitledText(message);
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

void PrintMessage(const Message& message) {
  PrintError(TitledText(message));
}

void PrintError(const std::string& text) {
  // Every line, so that a script filtering on the prefix sees the whole message.
  std::string lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    lines += "kovactl: " + text.substr(start, end - start) + "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::fputs(lines.c_str(), stderr);
}

namespace {
// The first reason standard output refused a result; a script that reads
// nothing must not be told that all went well.
int stdoutError = 0;
}  // namespace

void PrintOut(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    if (stdoutError == 0) stdoutError = errno != 0 ? errno : EIO;
  }
}

int FinishOutput(int status) {
  if (std::fflush(stdout) != 0 && stdoutError == 0) stdoutError = errno != 0 ? errno : EIO;
  if (stdoutError == 0 && std::ferror(stdout)) stdoutError = EIO;
  if (stdoutError == 0) return status;
  static bool said = false;
  if (!said) {
    std::fprintf(stderr, "kovactl: could not write to standard output: %s\n",
                 std::strerror(stdoutError));
    said = true;
  }
  return status == kOk ? kFileError : status;
}

int UsageError(const QString& verb, const QString& problem) {
  PrintError(verb.toStdString() + ": " + problem.toStdString() + "\nSee 'kovactl help " +
             verb.toStdString() + "'.");
  return kUsage;
}

int RequireArguments(const QCommandLineParser& parser, const QString& verb, int count) {
  const QStringList given = parser.positionalArguments();
  if (given.size() == count) return kOk;
  if (count == 0) return UsageError(verb, "unexpected argument '" + given[0] + "'");
  return UsageError(verb,
                    QString("expected %1 file argument%2").arg(count).arg(count == 1 ? "" : "s"));
}

}  // namespace kova::ctl
