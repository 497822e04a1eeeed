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

namespace kova::ctl {
namespace {

constexpr const char* kStandardInputName = "standard input";
constexpr const char* kStandardOutputName = "standard output";

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

Document StartupDocument() {
  Document doc;
  doc.cfg = StartupConfiguration();
  return doc;
}

std::optional<Document> LoadFile(const QString& path) {
  if (path == kStandardStream) {
    ProfileLoad load = ReadProfileStream(STDIN_FILENO, kStandardInputName, StartupDocument());
    for (const auto& warning : load.warnings)
      PrintError(std::string(kStandardInputName) + ": " + warning);
    if (!load.ok()) {
      PrintMessage(load.failure.value_or(Message{.text = "standard input cannot be read"}));
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
    PrintMessage(open.message.value_or(Message{.text = "cannot read " + path.toStdString()}));
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
  PrintMessage(*save.failure);
  return save.control.empty() ? kFileError : kFailed;
}

// The title names the kind of failure ("Communications Error") unless it is
// only the program's own name.
std::string TitledText(const Message& message) {
  return message.title.empty() || message.title == kProgramTitle
             ? message.text
             : message.title + ": " + message.text;
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
  std::fprintf(stderr, "kovactl: %s\n", text.c_str());
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
  std::fprintf(stderr, "kovactl: could not write to standard output: %s\n",
               std::strerror(stdoutError));
  return status == kOk ? kFileError : status;
}

int UsageError(const QString& verb, const QString& problem) {
  std::fprintf(stderr, "kovactl: %s: %s\nSee 'kovactl help %s'.\n", qPrintable(verb),
               qPrintable(problem), qPrintable(verb));
  return kUsage;
}

}  // namespace kova::ctl
