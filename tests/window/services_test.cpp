#include <QFileInfo>
#include <QLoggingCategory>

#include "diag/trace.h"
#include "files/backups.h"
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
  ASSERT_EQ(prompter.shown.size(), 1u);
  EXPECT_EQ(prompter.shown[0],
            (Message{.text = "Error 6 in frmMain.PackEEprom:\nOverflow: '99999999999' is out of "
                             "range",
                     .icon = MessageIcon::Critical}));
  for (bool answer : {true, false}) {
    prompter.askAnswer = answer;
    EXPECT_EQ(reporter.ReportAndAsk(failure, "cmdPut_Click"), answer);
  }
  ASSERT_EQ(prompter.asked.size(), 2u);
  EXPECT_NE(prompter.asked[0].text.find("frmMain.cmdPut_Click"), std::string::npos);
  EXPECT_EQ(prompter.shown.size(), 1u);  // asking is not also telling
}

QStringList traced;

TEST(TraceCategory, IsOffByDefaultAndCarriesTraceLinesWhenSwitchedOn) {
  EXPECT_FALSE(AttachTraceToLog());
  EXPECT_FALSE(TraceEnabled());
  traced.clear();
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& line) {
        if (QByteArray(context.category) == "kova.trace") traced << line;
      });
  QLoggingCategory::setFilterRules("kova.trace.debug=true");
  EXPECT_TRUE(AttachTraceToLog());
  log("++ Get EEprom", 0);
  QLoggingCategory::setFilterRules("kova.trace.debug=false");
  EXPECT_FALSE(AttachTraceToLog());
  log("++ Put EEprom", 0);
  qInstallMessageHandler(previous);
  EXPECT_EQ(traced, QStringList{" ++ Get EEprom"});
}

TEST(DialogFilter, BecomesTheToolkitsFilterWithAllFilesMatchingEveryName) {
  EXPECT_EQ(ToDialogFilter("Kova (*.kova)|*.kova|All Files (*.*)|*.*"),
            "Kova (*.kova);;All Files (*)");
  EXPECT_EQ(ToDialogFilter("Images|*.png;*.bmp"), "Images (*.png *.bmp)");
}

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(Backups, CopiesOfTheSameSecondEachGetANameAndOnlyThoseOverAYearOldArePruned) {
  QTemporaryDir dir;
  const QDir folder(dir.path());
  QStringList written;
  for (const auto& [days, kind] : {std::pair{366, "put"}, {366, "put"}, {364, "get"}})
    written << QFileInfo(WriteBackup(dir.path(), Document{}, kind, kNow.addDays(-days)).path)
                   .fileName();
  EXPECT_EQ(written, (QStringList{"2023-03-05_14-07-09_put.kova", "2023-03-05_14-07-09_put_2.kova",
                                  "2023-03-07_14-07-09_get.kova"}));
  // Files named otherwise than copies are left alone, however old.
  for (const char* other :
       {"2021-01-01_00-00-00_copy.kova", "site.kova", "2001-01-01_00-00-00_put.kova.txt"})
    QFile(folder.filePath(other)).open(QIODevice::WriteOnly);
  EXPECT_EQ(PruneBackups(dir.path(), kNow), 2);
  EXPECT_EQ(folder.entryList(QDir::Files),
            (QStringList{"2001-01-01_00-00-00_put.kova.txt", "2021-01-01_00-00-00_copy.kova",
                         "2023-03-07_14-07-09_get.kova", "site.kova"}));
}

}  // namespace
}  // namespace kova::test
