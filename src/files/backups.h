// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string_view>

#include "diag/message.h"
#include "image/document.h"

// Copies of every image read from a unit and every image about to be sent
// to one, kept for a year in a folder of the user's own, so that a unit's
// earlier configuration can always be opened again and put back.
namespace kova {

constexpr int kBackupDays = 365;

// The per-user folder the copies go into.
QString DefaultBackupFolder();

// "2024-03-05_14-07-09_get.kova": the time comes first, so that a folder
// listing sorts the copies by age. `what` says which way the image went.
QString BackupName(const QDateTime& when, std::string_view what);

struct BackupOutcome {
  QString path;                    // the copy written
  std::optional<Message> failure;  // why none was: a warning, saying the operation goes on
};

// Writes the document's image as it stands, without packing it, into a new
// file of the folder (made when missing), then removes the copies that have
// outlived kBackupDays.
BackupOutcome WriteBackup(const QString& folder, const Document& doc, std::string_view what,
                          const QDateTime& now);

// Removes the copies older than kBackupDays before now, judged by the time in
// their names; every other file is left alone. Returns how many went.
int PruneBackups(const QString& folder, const QDateTime& now);

}  // namespace kova
