// Kova Pro Configuration: the window program.
#include <QApplication>

#include "window/dialog_prompter.h"
#include "window/frm_main.h"
#include "window/trace_category.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(kova::kTitle);
  kova::AttachTraceToLog();
  kova::DialogPrompter prompter;
  kova::frmMain window(prompter);
  prompter.setParent(&window);
  window.show();
  return QApplication::exec();
}
