#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/document.h"

namespace kova::ctl {

// Exit statuses: scripts tell a refused value from a missing file by these.
enum Exit : int {
  kOk = 0,
  kFailed = 1,    // no response, a verification difference, a refused value
  kUsage = 2,     // the command line itself is wrong
  kFileError = 3  // a file that cannot be read or written
};

struct Verb {
  const char* name;
  const char* summary;
  // Declares the verb's options and positional arguments on the parser.
  std::function<void(QCommandLineParser&)> declare;
  // Runs the verb once the parser has read its arguments.
  std::function<int(const QCommandLineParser&)> run;
};

std::vector<Verb> FileVerbs();
std::vector<Verb> DeviceVerbs();

// The window's state right after start-up, before any file or unit.
Document StartupDocument();
// A file read as the window's File Open reads it, over the start-up state.
// Prints why when it cannot be read, and the warnings of reading it.
std::optional<Document> LoadFile(const QString& path);

// Messages go to stderr, results to stdout.
void PrintMessage(const Message& message);
void PrintError(const std::string& text);
void PrintOut(const std::string& text);

// A usage error: prints it with a hint to --help and returns kUsage.
int UsageError(const QString& verb, const QString& problem);

}  // namespace kova::ctl
