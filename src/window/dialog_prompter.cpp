// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/dialog_prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace kova {
namespace {

QMessageBox::Icon ToBoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

int Run(QWidget* parent, const Message& message, QMessageBox::StandardButtons buttons) {
  QMessageBox box(ToBoxIcon(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), buttons, parent);
  box.setTextFormat(Qt::PlainText);  // a field's text is shown as typed, never as markup
  return box.exec();
}

QString StartPath(const FileDialogRequest& request) {
  return QDir(QString::fromStdString(request.folder))
      .filePath(QString::fromStdString(request.name));
}

std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

void DialogPrompter::Show(const Message& message) {
  Run(parent_, message, QMessageBox::Ok);
}

bool DialogPrompter::Ask(const Message& question) {
  return Run(parent_, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

SaveChoice DialogPrompter::AskSave(const Message& question) {
  switch (Run(parent_, question, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
    case QMessageBox::Save:
      return SaveChoice::Save;
    case QMessageBox::Discard:
      return SaveChoice::Discard;
    default:
      return SaveChoice::Cancel;
  }
}

bool DialogPrompter::AskSaveOver(const Message& question) {
  return Run(parent_, question, QMessageBox::Save | QMessageBox::Cancel) == QMessageBox::Save;
}

std::optional<std::string> DialogPrompter::ChooseOpenFile(const FileDialogRequest& request) {
  return Chosen(QFileDialog::getOpenFileName(parent_, QString::fromStdString(request.title),
                                             StartPath(request), ToDialogFilter(request.filter)));
}

std::optional<std::string> DialogPrompter::ChooseSaveFile(const FileDialogRequest& request) {
  // The dialog asks before overwriting; no extension is added to a bare name.
  return Chosen(QFileDialog::getSaveFileName(parent_, QString::fromStdString(request.title),
                                             StartPath(request), ToDialogFilter(request.filter)));
}

QString ToDialogFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const qsizetype bracket = description.indexOf('(');
    if (bracket >= 0) description.truncate(bracket);
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    // "*.*" means every file, also one without a dot in its name.
    for (auto& pattern : patterns) {
      if (pattern == "*.*") pattern = "*";
    }
    entries << description.trimmed() + " (" + patterns.join(' ') + ")";
  }
  return entries.join(";;");
}

}  // namespace kova
