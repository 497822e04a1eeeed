// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "files/backups.h"
#include "files/file_session.h"
#include "files/profile.h"
#include "files/user_settings.h"
#include "image/clear_form.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace test;

TEST(BreakDown, SplitsAtTheLastSeparator) {
  for (const auto& [path, parts] : std::vector<std::pair<const char*, std::string>>{
           {"/home/tech/sites/north.kova", "/home/tech/sites/|north.kova"},
           {"north.kova", "|north.kova"},
           {"rel/dir/", "rel/dir/|"},
           {"", "kept|kept"}}) {  // nothing to split: both kept
    QString name = "kept", folder = "kept";
    EXPECT_EQ(BreakDown(path, name, folder), *path != '\0');
    EXPECT_EQ((folder + "|" + name).toStdString(), parts);
  }
  // A folder from the settings may lack its separator.
  EXPECT_EQ(FileSession("/opt/kova", "c.kova").CurrentPath(), "/opt/kova/c.kova");
  EXPECT_EQ(FileSession("/a/", "c.kova").CurrentPath(), "/a/c.kova");
}

TEST(FileSession, EachCommandTakesThePathOnlyWhenItSucceeds) {
  QTemporaryDir temp;
  FileSession session(temp.path() + "/", "remembered.kova");
  Document doc = StartupDocument();
  EXPECT_TRUE(session.Open(Fixture("image_bad_hex.kova"), doc).message);
  EXPECT_EQ(doc.cfg, StartupDocument().cfg);
  EXPECT_EQ(session.CurrentPath(), temp.filePath("remembered.kova"));  // a failure takes no path

  ASSERT_TRUE(session.SaveAs(temp.filePath("north"), doc).done);
  Document theirs = doc;
  theirs.cfg.ResetRIC = "77";
  ASSERT_TRUE(FileSession().SaveAs(temp.filePath("north"), theirs).done);  // another program
  doc.cfg.ResetRIC = "88";
  EXPECT_TRUE(session.IsModified(doc));
  const FileOutcome held = session.Save(doc);  // their save is not lost unasked
  ASSERT_TRUE(held.changedOnDisk);
  EXPECT_EQ(held.message->text, "\"" + temp.filePath("north").toStdString() +
                                    "\" has been changed by another program since it was "
                                    "opened. Save over it?");
  EXPECT_EQ(ReadProfile(temp.filePath("north"), doc).document->cfg.ResetRIC, "77");
  ASSERT_TRUE(session.Save(doc, true).done);
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_TRUE(session.Save(doc).done);  // its own save is no change by another

  ASSERT_TRUE(session.New(doc).done);
  EXPECT_FALSE(session.IsModified(doc));
  EXPECT_TRUE(session.Save(doc).needsFileName);              // New forgets the file name
  EXPECT_EQ(session.CurrentPath(), temp.filePath("north"));  // but not where the dialogs start

  ASSERT_TRUE(session.Open(temp.filePath("north"), doc).done);
  EXPECT_EQ(doc.cfg.ResetRIC, "88");  // what Save wrote there
  EXPECT_EQ(doc.cfg.FileName, "north");
  EXPECT_FALSE(session.IsModified(doc));
}

// The user's own store. A bad line costs its own value; the port mapping and
// the remembered rates beside the window's settings survive it. Only a file
// that is no settings file at all loses them: a pipe, which would block the
// settings layer's read for good, is named, removed and written anew. Either
// way it is named once, and what is written lasts beyond the instance,
// numbers kept as text.
TEST(SettingsStore, ABadLineCostsOnlyItsOwnValueAndEveryProblemIsNamedOnce) {
  alarm(60);  // a store that blocks on a pipe ends the test here instead of hanging it
  const QByteArray rest = "[Ports]\nCOM1=/dev/ttyUSB3\n[Rates]\nttyUSB3=19200\n";
  const char* pipe = "cannot be used (it is a named pipe (FIFO), not a file)";
  struct Case {
    QByteArray bytes;     // or a pipe made there, before the program starts or while it runs
    const char* problem;  // the first, nullptr: none
    float left;           // MainLeft as read
    bool kept;            // the ports and rates survive
    std::size_t problems = 1;
    float width = 9000;  // MainWidth as read
    bool again = false;  // named again on the next read: the text that is no number stays
  };
  const Case cases[] = {
      {"[Settings]\nMainLeft=abc\nMainWidth=1e40\n",
       "Setting \"MainLeft\": 'abc' is not a number; 0 is used instead.", 0, false, 2, 9000, true},
      {"[Settings]\nMainLeft=&H10\nMainWidth=7.5\n", nullptr, 16, false, 0, 7.5},
      {"[Settings]\nMainLeft=5\n" + rest + "[Settings\n",
       "has lines that are neither sections nor keys; they are left out", 5, true},
      {"[Settings]\nMainLeft=1" + QByteArray(1, '\0') + "x\nMainTop=5\n" + rest,
       "Setting \"MainLeft\" holds a NUL byte; its default is used instead.", 0, true},
      {"\x01\x02garbage\xFF\n==\n[[", "has lines that are neither sections nor keys", 0, false},
      {QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(
           QString::fromLatin1("[Settings]\nMainLeft=5\n" + rest)),
       "cannot be used (it is saved as UTF-16 text)", 0, false},
      // Larger than a configuration file may be, and still the user's settings.
      {"[Settings]\nMainLeft=5\n" + rest + ";" + QByteArray(5 << 20, 'x') + "\n", nullptr, 5, true},
      {"pipe", pipe, 0, false},
      {"link to a pipe", pipe, 0, false},
      {"pipe made during the run", nullptr, 0, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.left(40).toStdString());
    QTemporaryDir temp;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, temp.path() + "/");
    const QString file = temp.filePath(QString(kProgramTitle) + ".conf");
    const QString fifo = temp.filePath("pipe");
    const auto place = [&] {
      return mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 &&
             (c.bytes.startsWith("link") ? QFile::link(fifo, file) : QFile::rename(fifo, file));
    };
    const bool later = c.bytes == "pipe made during the run";
    ASSERT_TRUE(later || (c.bytes.endsWith("pipe") ? place() : Put(file, c.bytes)));
    std::vector<std::string> problems;
    const UserSettings written{
        .MainTop = 12.5f, .Path = QString::fromUtf8("/home/t\u00e9ch/"), .FileName = "a.kova"};
    {
      SettingsStore store;
      // The port mapping shares the file, as in the program.
      QSettings ports(QSettings::UserScope, kProgramTitle);
      ports.value("Ports/COM1");
      const UserSettings read = store.Read("/opt/kova", &problems);
      EXPECT_EQ(std::tuple(read.MainLeft, read.MainWidth, read.Path),
                std::tuple(c.left, c.width, QString("/opt/kova")));
      ASSERT_EQ(problems.size(), c.problem ? c.problems : 0u);
      if (c.problem) {
        EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
      }
      if (later) {  // neither the store's nor the port map's write at exit may wait on it
        ASSERT_TRUE(place());
        EXPECT_EQ(SettingsFileProblem(file), "it is a named pipe (FIFO), not a file");
      }
      if (!c.again) store.WriteGeometry(written);
      store.WriteLocation(written);
      EXPECT_TRUE(store.Sync());
    }
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_EQ(Bytes(file).contains("MainTop=12.5\n"), !c.again);
    problems.clear();
    const UserSettings read = SettingsStore().Read("", &problems);
    EXPECT_EQ(std::tuple(read.FileName, read.MainTop, read.Path),
              std::tuple(written.FileName, c.again ? 0 : written.MainTop, written.Path));
    EXPECT_EQ(problems.size(), c.again ? c.problems : 0u);
    const QSettings saved(file, QSettings::IniFormat);
    EXPECT_EQ(saved.value("Ports/COM1").toString(), c.kept ? "/dev/ttyUSB3" : "");
    EXPECT_EQ(saved.value("Rates/ttyUSB3").toString(), c.kept ? "19200" : "");
  }
  alarm(0);
  // A store that really cannot be written still says so.
  QTemporaryDir temp;
  ASSERT_TRUE(Put(temp.filePath("plain"), "x"));
  SettingsStore blocked(temp.filePath("plain") + "/settings.ini");
  blocked.WriteLocation({});
  EXPECT_FALSE(blocked.Sync());
  QSettings rates(temp.filePath("plain") + "/settings.ini", QSettings::IniFormat);
  rates.setValue("Rates/x", "9600");
  EXPECT_EQ(SyncSettings(rates), "the settings file \"" + temp.filePath("plain").toStdString() +
                                     "/settings.ini\" cannot be written");
  EXPECT_EQ(TwipsToPixels(9000, 96), 600);  // the window's geometry is kept in twips
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
}  // namespace kova
