#include "cli.h"

#include <cstdio>

namespace kova::ctl {

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
