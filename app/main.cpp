// Kova Pro Configuration: the window program.
#include <QApplication>
#include <QSettings>

#include "diag/program_identity.h"
#include "files/user_settings.h"
#include "window/dialog_prompter.h"
#include "window/frm_main.h"
#include "window/trace_category.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kova::kProgramTitle);
  kova::AttachTraceToLog();
  kova::DialogPrompter prompter;
  kova::SettingsStore settings;
  // The port mapping sits beside the other settings, where kovactl finds it too.
  QSettings ports(QSettings::UserScope, kova::kProgramTitle);
  kova::frmMain window({.prompter = prompter, .settings = settings, .ports = ports});
  prompter.setParent(&window);
  window.show();
  return QApplication::exec();
}
