// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "files/file_access.h"
#include "image/document.h"

// Which configuration file is current, and what the File commands do once a
// path is known. The dialogs that ask for the path belong to the window.
namespace kova {

// Splits a full path at its last folder separator: the folder keeps the
// separator, the name is what follows. A path without one is all name. Returns
// false, leaving both outputs as they were, for an empty path.
bool BreakDown(const QString& path, QString& fileName, QString& folder);

struct FileOutcome {
  bool done = false;               // the command did its work
  bool needsFileName = false;      // Save without a current file: ask for one as Save As does
  bool changedOnDisk = false;      // Save held back: message asks whether to save over it
  std::optional<Message> message;  // to show the user
  std::string control;             // the field that packing refused, to take the user there
  std::vector<std::string> warnings;
};

class FileSession {
 public:
  FileSession() = default;
  FileSession(QString lastPath, QString lastFileName);

  // Folder and name of the last file opened or saved: the dialogs start there
  // and Save writes there. They survive New, and come from the per-user
  // settings at start-up.
  const QString& LastPath() const { return lastPath_; }
  const QString& LastFileName() const { return lastFileName_; }
  // LastPath followed by LastFileName, with a separator between when LastPath lacks one.
  QString CurrentPath() const;
  // The document's FileName as the window shows it: the file's own name, in
  // whatever script, while it is the current file's. FileName holds Latin-1.
  QString ShownFileName(const Document& doc) const;

  // Each command changes the document, the file name it shows, LastPath and
  // LastFileName only when it succeeds.
  FileOutcome New(Document& doc);
  FileOutcome Open(const QString& path, Document& doc);
  // Save holds back, with changedOnDisk, when another program has written
  // the file since it was opened or saved here, unless told to save over it.
  FileOutcome Save(Document& doc, bool overChanges = false);
  FileOutcome SaveAs(const QString& path, Document& doc);

  // Unsaved changes: whether the document differs from what was last opened,
  // saved or started anew (MarkSaved at start-up sets the first reference).
  bool IsModified(const Document& doc) const;
  void MarkSaved(const Document& doc);

 private:
  void TakePath(const QString& path, Document& doc);

  QString lastPath_;
  QString lastFileName_;
  std::optional<Document> saved_;
  std::optional<FileStamp> stamp_;  // the current file as it was opened or last saved
};

}  // namespace kova
