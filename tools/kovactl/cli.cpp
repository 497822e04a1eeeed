#include "cli.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

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
    "  1  any other failure (a refused value, unexpected data from the unit)\n"
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

void PrintOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int UsageError(const QString& verb, const QString& problem) {
  std::fprintf(stderr, "kovactl: %s: %s\nSee 'kovactl help %s'.\n", qPrintable(verb),
               qPrintable(problem), qPrintable(verb));
  return kUsage;
}

}  // namespace kova::ctl
