#include "cli.h"

#include <cstdio>

#include "diag/failure.h"
#include "files/file_access.h"
#include "files/file_session.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "image/interpret.h"
#include "image/pack.h"

namespace kova::ctl {
namespace {

constexpr const char* kStandardInputName = "standard input";

// Standard input whole, refusing what is too large to be a configuration.
std::optional<std::string> ReadStandardInput(std::string& error) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
    bytes.append(buffer, n);
    if (static_cast<qint64>(bytes.size()) > kMaxProfileBytes) {
      error = "more than " + std::to_string(kMaxProfileBytes) + " bytes; not a configuration";
      return std::nullopt;
    }
    if (n < sizeof buffer) break;
  }
  if (std::ferror(stdin)) {
    error = "could not be read";
    return std::nullopt;
  }
  return bytes;
}

// A fresh document on standard output: nothing is read from it first.
int WriteStandardOutput(const Document& doc) {
  const std::string text = ProfileText("", doc);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    PrintError("standard output could not be written");
    return kFileError;
  }
  return kOk;
}

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
    std::string error;
    const std::optional<std::string> bytes = ReadStandardInput(error);
    if (!bytes) {
      PrintError(std::string(kStandardInputName) + ": " + error);
      return std::nullopt;
    }
    ProfileLoad load = ReadProfileText(*bytes, kStandardInputName, StartupDocument());
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
  if (path == kStandardStream) {
    if (asItStands) return WriteStandardOutput(doc);
    Document packed = doc;
    try {
      PackEEprom(packed);
    } catch (const Failure& refusal) {
      PrintError("nothing was written: " + QString::fromLatin1(refusal.what()).toStdString());
      return kFailed;
    }
    const int status = WriteStandardOutput(packed);
    if (status == kOk) {
      InterpretEEprom(packed);
      doc = std::move(packed);
    }
    return status;
  }
  const ProfileSave save = asItStands ? WriteProfileImage(path, doc) : WriteProfile(path, doc);
  for (const auto& warning : save.warnings)
    PrintError(path.toStdString() + ": " + warning);
  if (save.ok()) return kOk;
  PrintMessage(*save.failure);
  return save.control.empty() ? kFileError : kFailed;
}

std::string MessageText(const Message& message) {
  std::string text = message.title.empty() || message.title == kProgramTitle
                         ? message.text
                         : message.title + ": " + message.text;
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

void PrintMessage(const Message& message) {
  PrintError(MessageText(message));
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
