// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the window for the README: kova-screenshot FOLDER [FILE.kova]
// saves FOLDER/screenshot-general.png and FOLDER/screenshot-chan1.png, with
// FILE loaded when given. With KOVA_SHOOT_ALL set it also saves every tab as
// FOLDER/tab-NN.png, for looking the whole window over. Nothing of the user's
// settings is read or written.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "files/user_settings.h"
#include "window/main_window.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"

namespace {

// Whatever the window would ask goes to the terminal; nothing waits for a person.
class PrintingPrompter : public kova::Prompter {
 public:
  void Show(const kova::Message& message) override {
    std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
  }
  bool Ask(const kova::Message& question) override {
    Show(question);
    return false;
  }
  kova::SaveChoice AskSave(const kova::Message&) override { return kova::SaveChoice::Discard; }
  std::optional<std::string> ChooseOpenFile(const kova::FileDialogRequest&) override {
    return file;
  }
  std::optional<std::string> ChooseSaveFile(const kova::FileDialogRequest&) override { return {}; }

  std::optional<std::string> file;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: kova-screenshot FOLDER [FILE.kova]\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir scratch;
  PrintingPrompter prompter;
  kova::SettingsStore settings(scratch.filePath("settings.ini"));
  QSettings ports(scratch.filePath("ports.ini"), QSettings::IniFormat);
  kova::MainWindow window({.prompter = prompter,
                           .settings = settings,
                           .ports = ports,
                           .backupFolder = scratch.filePath("backups"),
                           .devices = [] { return std::vector<kova::SerialDevice>{}; }});
  if (argc > 2) {
    prompter.file = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[2])).toStdString();
    window.OnFileOpen();
  }
  window.show();
  int status = 0;
  const auto shoot = [&](int tab, const char* name) {
    window.tabs().setCurrentIndex(tab);
    QApplication::processEvents();
    if (!window.grab().save(out.filePath(name))) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(name)));
      status = 1;
    }
  };
  // Once the window has been laid out and painted.
  QTimer::singleShot(500, [&] {
    shoot(kova::kGeneralTab, "screenshot-general.png");
    shoot(kova::kFirstZoneTab, "screenshot-chan1.png");
    if (qEnvironmentVariableIsSet("KOVA_SHOOT_ALL")) {
      for (int tab = 0; tab < window.tabs().count(); ++tab) {
        // The unavailable tab is shown the way code would show it, for a look at its page.
        window.tabs().setTabEnabled(tab, true);
        shoot(tab, qPrintable(QStringLiteral("tab-%1.png").arg(tab, 2, 10, QChar('0'))));
      }
    }
    window.close();
  });
  QApplication::exec();
  return status;
}
