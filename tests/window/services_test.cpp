// SPDX-License-Identifier: GPL-3.0-or-later
// The window's services: the error dialog, the trace category, the dialog filter.
#include "diag/trace.h"
#include "window/dialog_prompter.h"
#include "window/dialog_reporter.h"
#include "window/trace_category.h"
#include "window_test_support.h"

namespace kova::test {
namespace {

TEST(DialogReporter, SaysWhatFailedWhereAndLetsTheUserChoose) {
  RecordingPrompter prompter;
  DialogReporter reporter(prompter);
  const Failure failure(FailureCode::Overflow, "Overflow: '99999999999' is out of range");
  reporter.Report(failure, "PackEEprom");
  EXPECT_EQ(prompter.shown,
            (std::vector{Message{.text = "Error 6 in frmMain.PackEEprom:\nOverflow: '99999999999' "
                                         "is out of range",
                                 .icon = MessageIcon::Critical}}));
  for (const bool answer : {true, false}) {
    prompter.askAnswer = answer;
    EXPECT_EQ(reporter.ReportAndAsk(failure, "cmdPut_Click"), answer);
    EXPECT_NE(prompter.asked.back().text.find("frmMain.cmdPut_Click"), std::string::npos);
  }
  EXPECT_EQ(prompter.shown.size(), 1u);  // asking is not also telling
}

QStringList traced;

TEST(TraceCategory, IsOffByDefaultAndCarriesTraceLinesWhenSwitchedOn) {
  EXPECT_FALSE(AttachTraceToLog() || TraceEnabled());
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& line) {
        if (QByteArray(context.category) == "kova.trace") traced << line;
      });
  for (const bool on : {true, false}) {
    QLoggingCategory::setFilterRules(on ? "kova.trace.debug=true" : "kova.trace.debug=false");
    EXPECT_EQ(AttachTraceToLog(), on);
    Log(on ? "++ Get EEprom" : "++ Put EEprom", 0);
  }
  qInstallMessageHandler(previous);
  EXPECT_EQ(traced, QStringList{" ++ Get EEprom"});
}

TEST(DialogFilter, BecomesTheToolkitsFilterWithAllFilesMatchingEveryName) {
  EXPECT_EQ(ToDialogFilter("Kova (*.kova)|*.kova|All Files (*.*)|*.*"),
            "Kova (*.kova);;All Files (*)");
  EXPECT_EQ(ToDialogFilter("Images|*.png;*.bmp"), "Images (*.png *.bmp)");
}

}  // namespace
}  // namespace kova::test
