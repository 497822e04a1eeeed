// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl: the scripting face of Kova Pro Configuration.
#include <QCoreApplication>
#include <algorithm>
#include <csignal>
#include <cstdio>

#include "cli.h"
#include "diag/program_identity.h"

namespace {

using kova::ctl::Verb;

std::vector<Verb> AllVerbs() {
  std::vector<Verb> verbs = kova::ctl::DeviceVerbs();
  for (auto& verb : kova::ctl::FileVerbs())
    verbs.push_back(std::move(verb));
  return verbs;
}

void PrintProgramHelp(const std::vector<Verb>& verbs) {
  std::printf(
      "Usage: kovactl VERB [options] [arguments]\n\n"
      "Reads, writes and checks Kova Pro units and .kova configuration files.\n\n"
      "Verbs:\n");
  for (const auto& verb : verbs)
    std::printf("  %-9s %s\n", verb.name, verb.summary);
  std::printf(
      "\n'kovactl help VERB' or 'kovactl VERB --help' describes a verb. A file argument\n"
      "or -o of '-' is standard input or output.\n\n%s",
      kova::ctl::kExitStatusHelp);
}

// Edits (insertions, deletions, substitutions) between two words.
std::size_t Distance(const QString& a, const QString& b) {
  std::vector<std::size_t> row(static_cast<std::size_t>(b.size()) + 1);
  for (std::size_t j = 0; j < row.size(); ++j)
    row[j] = j;
  for (qsizetype i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = static_cast<std::size_t>(i);
    for (qsizetype j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[static_cast<std::size_t>(j)];
      row[static_cast<std::size_t>(j)] =
          std::min({above + 1, row[static_cast<std::size_t>(j - 1)] + 1,
                    diagonal + (a[i - 1].toLower() == b[j - 1].toLower() ? 0 : 1)});
      diagonal = above;
    }
  }
  return row.back();
}

int UnknownVerb(const QString& word, const std::vector<Verb>& verbs) {
  const auto nearest =
      std::min_element(verbs.begin(), verbs.end(), [&](const Verb& x, const Verb& y) {
        return Distance(word, x.name) < Distance(word, y.name);
      });
  std::fprintf(stderr, "kovactl: unknown verb '%s'; did you mean '%s'? See 'kovactl --help'.\n",
               qPrintable(word), nearest->name);
  return kova::ctl::kUsage;
}

int RunVerb(const Verb& verb, QStringList args, bool helpOnly) {
  QCommandLineParser parser;
  parser.setApplicationDescription(*verb.details ? QString(verb.summary) + "\n\n" + verb.details
                                                 : QString(verb.summary));
  const QCommandLineOption help({"h", "help"}, "Show this help.");
  parser.addOption(help);
  verb.declare(parser);
  args.removeAt(1);
  if (!parser.parse(args)) return kova::ctl::UsageError(verb.name, parser.errorText());
  if (helpOnly || parser.isSet(help)) {
    // The parser names the executable's path; users type "kovactl VERB".
    QString text = parser.helpText();
    const auto options = text.indexOf(" [options]");
    if (text.startsWith("Usage: ") && options > 0) {
      text.replace(7, options - 7, QString("kovactl ") + verb.name);
    }
    std::printf("%s\n%s", qPrintable(text), kova::ctl::kExitStatusHelp);
    return kova::ctl::kOk;
  }
  return verb.run(parser);
}

int Run(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(kova::kProgramTitle);
  QCoreApplication::setApplicationVersion(QString("%1.%2.%3")
                                              .arg(kova::kVersionMajor)
                                              .arg(kova::kVersionMinor)
                                              .arg(kova::kVersionRevision));
  const std::vector<Verb> verbs = AllVerbs();
  QStringList args = QCoreApplication::arguments();
  const auto find = [&](const QString& name) {
    return std::find_if(verbs.begin(), verbs.end(), [&](const Verb& v) { return name == v.name; });
  };
  if (args.size() >= 3 && args[1] == "help") {
    if (args[2] == "help") {
      PrintProgramHelp(verbs);
      return kova::ctl::kOk;
    }
    const auto verb = find(args[2]);
    if (verb == verbs.end()) return UnknownVerb(args[2], verbs);
    args.removeAt(1);
    return RunVerb(*verb, args.mid(0, 2), true);
  }
  if (args.size() < 2 || args[1] == "--help" || args[1] == "-h" || args[1] == "help") {
    PrintProgramHelp(verbs);
    return args.size() < 2 ? kova::ctl::kUsage : kova::ctl::kOk;
  }
  if (args[1] == "--version") {
    std::printf("kovactl %s\n", qPrintable(QCoreApplication::applicationVersion()));
    return kova::ctl::kOk;
  }
  const auto verb = find(args[1]);
  if (verb != verbs.end()) return RunVerb(*verb, args, false);
  if (args[1].startsWith('-')) {
    std::fprintf(stderr,
                 "kovactl: unknown option '%s'; a verb comes first. See 'kovactl --help'.\n",
                 qPrintable(args[1]));
    return kova::ctl::kUsage;
  }
  return UnknownVerb(args[1], verbs);
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes a write fail with EFBIG, which takes the ordinary
  // error path (message, old file kept, no temporary left) instead of
  // ending the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  return kova::ctl::FinishOutput(Run(argc, argv));
}
