// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/backups.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include "files/profile.h"

namespace kova {
namespace {

constexpr const char* kStampFormat = "yyyy-MM-dd_HH-mm-ss";

// A copy's name: its time, which way it went, and a count when two copies
// fall into the same second.
const QRegularExpression& BackupPattern() {
  static const QRegularExpression pattern(
      QStringLiteral(R"(^(\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d)_(get|put)(_\d+)?\.kova$)"));
  return pattern;
}

// A copy that cannot be written must not undo or hold up the unit operation
// it records; the message says that it went on.
Message NoCopy(std::string text, std::string_view what) {
  text += what == "put"
              ? "\nOnly the backup copy is missing: the configuration is sent to the Kova Pro "
                "all the same."
              : "\nOnly the backup copy is missing: the configuration read from the Kova Pro is "
                "shown all the same.";
  return Message{.text = std::move(text), .icon = MessageIcon::Warning};
}

}  // namespace

QString DefaultBackupFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("backups"));
}

QString BackupName(const QDateTime& when, std::string_view what) {
  return when.toString(kStampFormat) + "_" + QString::fromUtf8(what.data(), what.size()) + ".kova";
}

BackupOutcome WriteBackup(const QString& folder, const Document& doc, std::string_view what,
                          const QDateTime& now) {
  BackupOutcome outcome;
  const QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) {
    outcome.failure =
        NoCopy("The backup folder \"" + QDir::toNativeSeparators(folder).toStdString() +
                   "\" cannot be made; no backup was written.",
               what);
    return outcome;
  }
  QString name = BackupName(now, what);
  for (int count = 2; dir.exists(name); ++count) {
    name = BackupName(now, what).replace(".kova", QStringLiteral("_%1.kova").arg(count));
  }
  const ProfileSave saved = WriteProfileImage(dir.filePath(name), doc);
  if (!saved.ok()) {
    outcome.failure = NoCopy(saved.failure->text, what);
    return outcome;
  }
  outcome.path = dir.filePath(name);
  PruneBackups(folder, now);
  return outcome;
}

int PruneBackups(const QString& folder, const QDateTime& now) {
  const QDateTime oldest = now.addDays(-kBackupDays);
  QDir dir(folder);
  int removed = 0;
  for (const QString& name : dir.entryList({QStringLiteral("*.kova")}, QDir::Files)) {
    const QRegularExpressionMatch match = BackupPattern().match(name);
    if (!match.hasMatch()) continue;
    const QDateTime made = QDateTime::fromString(match.captured(1), kStampFormat);
    if (made.isValid() && made < oldest && dir.remove(name)) ++removed;
  }
  return removed;
}

}  // namespace kova
