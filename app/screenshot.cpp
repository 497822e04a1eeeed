// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the window for the README: kova-screenshot FOLDER [FILE.kova]
// saves FOLDER/screenshot-general.png and FOLDER/screenshot-chan1.png, with
// FILE loaded when given, then FOLDER/screenshot-status.png after a Put and
// FOLDER/screenshot-compare.png of Compare with Unit, both against a unit
// made up here (no port is opened). With KOVA_SHOOT_ALL set it also saves every tab as
// FOLDER/tab-NN.png, for looking the whole window over. Nothing of the user's
// settings is read or written.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "files/user_settings.h"
#include "window/dialog_prompter.h"
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
  // The real dialog, for its picture.
  bool ShowDifferences(const std::string& heading,
                       const std::vector<kova::FieldDifference>& differences) override {
    return dialogs.ShowDifferences(heading, differences);
  }

  std::optional<std::string> file;
  kova::DialogPrompter dialogs;
};

// A unit that holds the form with a few fields changed by hand at its front
// panel, and takes a Put as a healthy one does.
kova::OperationResult MadeUpUnit(const kova::OperationRequest& request, const kova::ProgressSink&) {
  kova::OperationResult result;
  result.kind = request.kind;
  result.succeeded = true;
  result.document = request.document;
  kova::Configuration& cfg = result.document->cfg;
  if (request.kind == kova::Operation::Get) {
    cfg.Zones[0].CloseRIC1 = "1234567";
    cfg.Zones[3].EnableToggle = 1;
    cfg.RepeatFilter = "30";
    cfg.BaudKova = 3;
  } else {
    result.unit = kova::UnitState::Verified;
    cfg.BaudPC = cfg.BaudKova;
  }
  result.unitBaud = kova::kBaudRates[static_cast<std::size_t>(std::max(cfg.BaudPC, 0))];
  return result;
}

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
                           .runner = MadeUpUnit,
                           .devices = [] {
                             return std::vector<kova::SerialDevice>{{"/dev/ttyUSB0", "", true},
                                                                    {"/dev/ttyS0", "", false},
                                                                    {"/dev/ttyS1", "", false}};
                           }});
  prompter.dialogs.setParent(&window);
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
    // The status line after a Put, then Compare with Unit's dialog.
    window.OnPutClicked();
    QTimer::singleShot(1000, [&] {
      window.tabs().setCurrentIndex(kova::kCommsTab);
      QApplication::processEvents();
      if (!window.grab().save(out.filePath("screenshot-status.png"))) status = 1;
      QTimer::singleShot(500, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->grab().save(out.filePath("screenshot-compare.png"))) status = 1;
        if (dialog) dialog->reject();
        if (!qEnvironmentVariableIsSet("KOVA_SHOOT_STAY")) window.close();
      });
      window.OnCompareClicked();
    });
  });
  QApplication::exec();
  return status;
}
