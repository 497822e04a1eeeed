// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/file_session.h"

#include <QDir>

#include "files/latin1.h"
#include "files/profile.h"
#include "image/clear_form.h"

namespace kova {
namespace {

// Qt hands out paths with "/" on every platform; Windows users also type "\".
#ifdef Q_OS_WIN
const QString kSeparators = QStringLiteral("/\\");
#else
const QString kSeparators = QStringLiteral("/");
#endif

qsizetype LastSeparator(const QString& path) {
  for (qsizetype i = path.size() - 1; i >= 0; --i) {
    if (kSeparators.contains(path[i])) return i;
  }
  return -1;
}

FileOutcome FromSave(ProfileSave save) {
  FileOutcome outcome;
  outcome.done = save.ok();
  outcome.message = std::move(save.failure);
  outcome.control = std::move(save.control);
  outcome.warnings = std::move(save.warnings);
  return outcome;
}

}  // namespace

bool BreakDown(const QString& path, QString& fileName, QString& folder) {
  if (path.isEmpty()) return false;
  const qsizetype last = LastSeparator(path);
  folder = path.left(last + 1);
  fileName = path.mid(last + 1);
  return true;
}

FileSession::FileSession(QString lastPath, QString lastFileName)
    : lastPath_(std::move(lastPath)), lastFileName_(std::move(lastFileName)) {}

QString FileSession::CurrentPath() const {
  if (lastPath_.isEmpty() || LastSeparator(lastPath_) == lastPath_.size() - 1) {
    return lastPath_ + lastFileName_;
  }
  return lastPath_ + kSeparators[0] + lastFileName_;
}

QString FileSession::ShownFileName(const Document& doc) const {
  if (!doc.cfg.FileName.empty() && doc.cfg.FileName == ToLatin1(lastFileName_)) {
    return lastFileName_;
  }
  return FromLatin1(doc.cfg.FileName);
}

void FileSession::TakePath(const QString& path, Document& doc) {
  BreakDown(path, lastFileName_, lastPath_);
  doc.cfg.FileName = ToLatin1(lastFileName_);
  saved_ = doc;
  stamp_ = StampOf(path);
}

FileOutcome FileSession::New(Document& doc) {
  ClearForm(doc.cfg);
  saved_ = doc;
  stamp_.reset();
  FileOutcome outcome;
  outcome.done = true;
  return outcome;
}

FileOutcome FileSession::Open(const QString& path, Document& doc) {
  ProfileLoad load = ReadProfile(path, doc);
  FileOutcome outcome;
  outcome.message = std::move(load.failure);
  outcome.warnings = std::move(load.warnings);
  if (!load.document) return outcome;
  doc = std::move(*load.document);
  TakePath(path, doc);
  outcome.done = true;
  return outcome;
}

FileOutcome FileSession::Save(Document& doc, bool overChanges) {
  FileOutcome outcome;
  if (doc.cfg.FileName.empty()) {
    outcome.needsFileName = true;
    return outcome;
  }
  const QString path = CurrentPath();
  // A file that is gone loses nothing when it is written anew.
  const std::optional<FileStamp> now = StampOf(path);
  if (!overChanges && stamp_ && now && *now != *stamp_) {
    outcome.changedOnDisk = true;
    outcome.message =
        Message{.text = "\"" + ToUtf8(QDir::toNativeSeparators(path)) +
                        "\" has been changed by another program since it was opened. Save over it?",
                .icon = MessageIcon::Warning};
    return outcome;
  }
  outcome = FromSave(WriteProfile(path, doc));
  if (outcome.done) {
    saved_ = doc;
    stamp_ = StampOf(path);
  }
  return outcome;
}

FileOutcome FileSession::SaveAs(const QString& path, Document& doc) {
  FileOutcome outcome = FromSave(WriteProfile(path, doc));
  if (outcome.done) TakePath(path, doc);
  return outcome;
}

bool FileSession::IsModified(const Document& doc) const {
  return !saved_ || saved_->cfg != doc.cfg || saved_->image != doc.image;
}

void FileSession::MarkSaved(const Document& doc) {
  saved_ = doc;
}

}  // namespace kova
