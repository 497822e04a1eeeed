#include "window/backups.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace kova {
namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(Backups, CopiesMadeInTheSameSecondEachGetANameOfTheirOwn) {
  QTemporaryDir dir;
  QStringList names;
  for (int copy = 0; copy < 3; ++copy) {
    names
        << QFileInfo(WriteBackup(dir.filePath("backups"), Document{}, "get", kNow).path).fileName();
  }
  EXPECT_EQ(names, (QStringList{"2024-03-05_14-07-09_get.kova", "2024-03-05_14-07-09_get_2.kova",
                                "2024-03-05_14-07-09_get_3.kova"}));
}

TEST(Backups, PruningRemovesOnlyCopiesOlderThanAYear) {
  QTemporaryDir dir;
  const QDir folder(dir.path());
  const struct {
    QString name;
    bool kept;
  } files[] = {
      {BackupName(kNow.addDays(-366), "put"), false},
      {BackupName(kNow.addDays(-366), "get").replace(".kova", "_2.kova"), false},
      {BackupName(kNow.addDays(-364), "get"), true},
      {BackupName(kNow.addDays(-800), "copy"), true},  // not a name backups are given
      {"site.kova", true},
      {"2001-01-01_00-00-00_put.kova.txt", true},
  };
  for (const auto& f : files) {
    QFile(folder.filePath(f.name)).open(QIODevice::WriteOnly);
  }
  EXPECT_EQ(PruneBackups(dir.path(), kNow), 2);
  for (const auto& f : files)
    EXPECT_EQ(folder.exists(f.name), f.kept) << f.name.toStdString();
}

}  // namespace
}  // namespace kova
