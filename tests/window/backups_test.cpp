#include "window/backups.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files/profile.h"

namespace kova {
namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));

TEST(Backups, ACopyHoldsTheImageAsItStandsUnderANewTimedName) {
  QTemporaryDir dir;
  Document doc;
  for (std::size_t i = 0; i < doc.image.size(); ++i)
    doc.image[i] = static_cast<std::uint8_t>(i * 37 + 11);
  const QString folder = dir.filePath("deep/backups");
  QStringList names;
  for (int copy = 0; copy < 3; ++copy) {
    const BackupOutcome outcome = WriteBackup(folder, doc, "get", kNow);
    ASSERT_FALSE(outcome.failure) << outcome.failure->text;
    names << QFileInfo(outcome.path).fileName();
  }
  EXPECT_EQ(names, (QStringList{"2024-03-05_14-07-09_get.kova", "2024-03-05_14-07-09_get_2.kova",
                                "2024-03-05_14-07-09_get_3.kova"}));
  const ProfileLoad load = ReadProfile(QDir(folder).filePath(names[2]), Document{});
  ASSERT_TRUE(load.ok());
  EXPECT_EQ(load.document->image, doc.image);
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

TEST(Backups, AFolderThatCannotBeMadeIsNamedInTheMessage) {
  QTemporaryDir dir;
  QFile(dir.filePath("taken")).open(QIODevice::WriteOnly);
  const BackupOutcome outcome = WriteBackup(dir.filePath("taken/backups"), Document{}, "put", kNow);
  ASSERT_TRUE(outcome.failure);
  EXPECT_NE(outcome.failure->text.find("taken"), std::string::npos);
  EXPECT_TRUE(outcome.path.isEmpty());
}

}  // namespace
}  // namespace kova
