// SPDX-License-Identifier: GPL-3.0-or-later
// Kova Pro Configuration: the window program.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QTimer>
#include <csignal>
#include <cstdio>

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
  QApplication app(argc, argv);
  SetIdentity();
  QGuiApplication::setDesktopFileName(kApplicationId);
  QApplication::setWindowIcon(ProgramIcon());

  // QApplication has already taken its own options (-platform, -style, ...).
  QCommandLineParser parser;
  DescribeCommandLine(parser);
  const bool parsed = parser.parse(QApplication::arguments());
  if (parsed) parser.process(app);  // --help-all lists the toolkit's options too, and exits
  const QStringList files = parsed ? parser.positionalArguments() : QStringList{};
  if (!parser.errorText().isEmpty() || files.size() > 1) {
    const QString problem =
        parser.errorText().isEmpty() ? "give one file at a time" : parser.errorText();
    std::fprintf(stderr, "kova-pro: %s (see kova-pro --help)\n", qPrintable(problem));
    return 2;
  }

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
