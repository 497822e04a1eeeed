// kovactl: the scripting face of Kova Pro Configuration.
#include <QCoreApplication>
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
      "\n'kovactl VERB --help' describes a verb.\n\n"
      "Exit status: 0 success, 1 the operation failed (no response, a verification\n"
      "difference, a refused value), 2 a usage error, 3 a file that cannot be read\n"
      "or written.\n");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(kova::kProgramTitle);
  QCoreApplication::setApplicationVersion(QString("%1.%2.%3")
                                              .arg(kova::kVersionMajor)
                                              .arg(kova::kVersionMinor)
                                              .arg(kova::kVersionRevision));
  const std::vector<Verb> verbs = AllVerbs();
  QStringList args = QCoreApplication::arguments();
  if (args.size() < 2 || args[1] == "--help" || args[1] == "-h" || args[1] == "help") {
    PrintProgramHelp(verbs);
    return args.size() < 2 ? kova::ctl::kUsage : kova::ctl::kOk;
  }
  if (args[1] == "--version") {
    std::printf("kovactl %s\n", qPrintable(QCoreApplication::applicationVersion()));
    return kova::ctl::kOk;
  }
  for (const auto& verb : verbs) {
    if (args[1] != verb.name) continue;
    QCommandLineParser parser;
    parser.setApplicationDescription(verb.summary);
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    parser.addOption(help);
    verb.declare(parser);
    args.removeAt(1);
    if (!parser.parse(args)) return kova::ctl::UsageError(verb.name, parser.errorText());
    if (parser.isSet(help)) {
      // The parser names the executable's path; users type "kovactl VERB".
      QString text = parser.helpText();
      const auto options = text.indexOf(" [options]");
      if (text.startsWith("Usage: ") && options > 0) {
        text.replace(7, options - 7, QString("kovactl ") + verb.name);
      }
      std::printf("%s", qPrintable(text));
      return kova::ctl::kOk;
    }
    return verb.run(parser);
  }
  return kova::ctl::UsageError(args[1], "unknown verb (see kovactl --help)");
}
