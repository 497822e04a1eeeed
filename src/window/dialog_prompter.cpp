// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/dialog_prompter.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>

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
  if (!message.details.empty()) box.setDetailedText(QString::fromStdString(message.details));
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

bool DialogPrompter::ShowDifferences(const std::string& heading,
                                     const std::vector<FieldDifference>& differences) {
  QDialog dialog(parent_);
  dialog.setObjectName("dlgCompare");
  dialog.setWindowTitle("Compare with Unit");
  auto* layout = new QVBoxLayout(&dialog);
  auto* label = new QLabel(QString::fromStdString(heading));
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  if (!differences.empty()) {
    auto* table = new QTableWidget(static_cast<int>(differences.size()), 4);
    table->setObjectName("tblDifferences");
    table->setHorizontalHeaderLabels({"Field", "Tab", "Form", "Unit"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < table->rowCount(); ++row) {
      const FieldDifference& d = differences[static_cast<std::size_t>(row)];
      int column = 0;
      for (const std::string* text : {&d.label, &d.tab, &d.ours, &d.theirs})
        table->setItem(row, column++, new QTableWidgetItem(QString::fromStdString(*text)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
  }
  auto* buttons = new QDialogButtonBox;
  QPushButton* load = buttons->addButton("&Load unit values", QDialogButtonBox::AcceptRole);
  load->setObjectName("cmdLoadUnitValues");
  load->setEnabled(!differences.empty());
  buttons->addButton(QDialogButtonBox::Close)->setObjectName("cmdClose");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  // Wide enough for the values, never larger than the screen.
  const QScreen* screen = parent_ ? parent_->screen() : nullptr;
  const QSize room = screen ? screen->availableSize() * 9 / 10 : QSize(800, 600);
  dialog.resize(dialog.sizeHint().expandedTo({560, 360}).boundedTo(room));
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kova
