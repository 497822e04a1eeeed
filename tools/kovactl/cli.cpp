#include "cli.h"

#include <cstdio>

#include "files/file_session.h"
#include "image/clear_form.h"

namespace kova::ctl {

Document StartupDocument() {
  Document doc;
  doc.cfg = StartupConfiguration();
  return doc;
}

std::optional<Document> LoadFile(const QString& path) {
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

void PrintMessage(const Message& message) {
  std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
}

void PrintError(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

void PrintOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int UsageError(const QString& verb, const QString& problem) {
  std::fprintf(stderr, "kovactl %s: %s\nSee 'kovactl %s --help'.\n", qPrintable(verb),
               qPrintable(problem), qPrintable(verb));
  return kUsage;
}

}  // namespace kova::ctl
