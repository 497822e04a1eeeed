// SPDX-License-Identifier: GPL-3.0-or-later
// Kova Pro Configuration: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "diag/program_identity.h"
#include "files/user_settings.h"
#include "window/dialog_prompter.h"
#include "window/main_window.h"
#include "window/trace_category.h"

namespace {

// The name the desktop entry, the icon and the metainfo share, so that the
// desktop puts the window under its menu entry and its icon.
constexpr const char* kApplicationId = "io.github.kovapro.Configuration";

// The installed theme icon where there is one; the built-in pictures otherwise.
QIcon ProgramIcon() {
  QIcon builtIn;
  for (const int size : {48, 128, 256})
    builtIn.addFile(QString(":/icons/%1.png").arg(size), QSize(size, size));
  return QIcon::fromTheme(kApplicationId, builtIn);
}

// Describes the command line: the window program takes at most one file.
void DescribeCommandLine(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Reads, edits and writes the configuration of a Kova Pro receiver unit.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument("FILE", "A .kova configuration file to open at start.", "[FILE]");
}

void SetIdentity() {
  QCoreApplication::setApplicationName(kova::kProgramTitle);
  QCoreApplication::setApplicationVersion(QString("%1.%2.%3")
                                              .arg(kova::kVersionMajor)
                                              .arg(kova::kVersionMinor)
                                              .arg(kova::kVersionRevision));
}

// --help and --version answer without a display, as in a terminal over ssh.
bool AsksForText(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version") return true;
  }
  return false;
}

// The options the toolkit takes for itself (-platform offscreen, -style
// Fusion, ...), and whether each is followed by a value. The command line is
// checked without them before the toolkit starts, so that a mistyped one
// gets its usage message even where no window can open.
struct ToolkitOption {
  const char* name;
  bool value;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"name", true},
    {"title", true},
    {"style", true},
    {"stylesheet", true},
    {"qmljsdebugger", false},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

QStringList WithoutToolkitOptions(int argc, char* argv[]) {
  QStringList kept{QString::fromLocal8Bit(argv[0])};
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg == "--") {  // the rest are files
      for (; i < argc; ++i)
        kept << QString::fromLocal8Bit(argv[i]);
      break;
    }
    QString name = arg.startsWith("--") ? arg.mid(2) : arg.startsWith('-') ? arg.mid(1) : QString();
    const bool joined = name.contains('=');
    name = name.section('=', 0, 0);
    const auto* option =
        std::find_if(std::begin(kToolkitOptions), std::end(kToolkitOptions),
                     [&](const ToolkitOption& o) { return !name.isEmpty() && name == o.name; });
    if (option == std::end(kToolkitOptions)) {
      kept << arg;
    } else if (option->value && !joined) {
      ++i;
    }
  }
  return kept;
}

// While the toolkit starts, its messages are held back: when it cannot reach
// a display it says so over several lines and then aborts the program, which
// tells a user nothing they can act on. One line and exit status 1 instead.
std::vector<std::pair<QtMsgType, QString>> heldMessages;

[[noreturn]] void NoDisplay(const QString& fatal) {
  QString reason;
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    reason = "neither DISPLAY nor WAYLAND_DISPLAY is set";
  } else {
    reason = (heldMessages.empty() ? fatal : heldMessages.front().second).section('\n', 0, 0);
  }
  std::fprintf(stderr, "kova-pro: no display to show the window on: %s\n", qPrintable(reason));
  std::fflush(stderr);
  std::_Exit(1);
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) NoDisplay(text);
  heldMessages.emplace_back(type, text);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write, with a message
  if (AsksForText(argc, argv)) {
    QCoreApplication app(argc, argv);
    SetIdentity();
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app);  // prints and exits
    return 0;
  }
  {
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    const bool parsed = parser.parse(WithoutToolkitOptions(argc, argv));
    if (!parsed || parser.positionalArguments().size() > 1) {
      const QString problem = parsed ? "give one file at a time" : parser.errorText();
      QCoreApplication app(argc, argv);  // names the program in the usage text
      SetIdentity();
      std::fprintf(stderr, "kova-pro: %s\n\n%s", qPrintable(problem),
                   qPrintable(parser.helpText()));
      return 2;
    }
  }
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  for (const auto& [type, text] : heldMessages)
    qt_message_output(type, QMessageLogContext(), text);
  heldMessages.clear();
  SetIdentity();
  QGuiApplication::setDesktopFileName(kApplicationId);
  QApplication::setWindowIcon(ProgramIcon());

  // QApplication has already taken its own options (-platform, -style, ...).
  QCommandLineParser parser;
  DescribeCommandLine(parser);
  parser.parse(QApplication::arguments());
  if (parser.isSet("help-all")) parser.process(app);  // lists the toolkit's options too, and exits
  const QStringList files = parser.positionalArguments();

  kova::AttachTraceToLog();
  kova::DialogPrompter prompter;
  kova::SettingsStore settings;
  // The port mapping sits beside the other settings, where kovactl finds it too.
  QSettings ports(QSettings::UserScope, kova::kProgramTitle);
  kova::MainWindow window({.prompter = prompter, .settings = settings, .ports = ports});
  prompter.setParent(&window);
  window.show();
  if (!files.isEmpty()) {
    // Once the window is up, so that a file that cannot be read has its
    // message in front of the empty form.
    const QString path = QFileInfo(files.front()).absoluteFilePath();
    QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
  }
  return QApplication::exec();
}
