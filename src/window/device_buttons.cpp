// SPDX-License-Identifier: GPL-3.0-or-later
// Get, Put and Reset: each runs on the worker's thread while the window
// stays live, shows its phase and the bytes done, and keeps the user from
// editing, filing or starting another operation until it has ended.
#include <QAction>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include "files/backups.h"
#include "image/field_names.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "window/main_window.h"
#include "window/port_device_box.h"
#include "window/tab_grid.h"

namespace kova {
namespace {

struct OperationName {
  Operation kind;
  const char* phase;    // the busy caption until the first progress report
  const char* handler;  // where its failures are reported
};
constexpr OperationName kOperations[] = {
    {Operation::Get, "GET", "cmdGet_Click"},
    {Operation::Put, "PUT", "cmdPut_Click"},
    {Operation::Reset, "RESET", "cmdReset_Click"},
};

const OperationName& NameOf(Operation kind) {
  for (const auto& name : kOperations) {
    if (name.kind == kind) return name;
  }
  return kOperations[0];
}

}  // namespace

void MainWindow::OnGetClicked() {
  Handle("cmdGet_Click", [this] { StartOperation(Operation::Get); });
}

void MainWindow::OnPutClicked() {
  Handle("cmdPut_Click", [this] {
    if (busy_ || !ReadyToPack("Nothing was sent to the Kova Pro")) return;
    // What goes to the unit is recorded first; a configuration that does not
    // pack is neither recorded nor sent.
    Document packed = doc_;
    try {
      PackEEprom(packed);
    } catch (const FieldFailure& refusal) {
      prompter_.Show(NothingSent(refusal.what()));
      GoToControl(refusal.control());
      return;
    }
    const BackupOutcome backup =
        WriteBackup(backupFolder_, packed, "put", QDateTime::currentDateTime());
    if (backup.failure) prompter_.Show(*backup.failure);
    StartOperation(Operation::Put);
  });
}

void MainWindow::OnResetClicked() {
  Handle("cmdReset_Click", [this] { StartOperation(Operation::Reset); });
}

void MainWindow::StartOperation(Operation kind) {
  if (busy_) return;  // one operation at a time
  OperationRequest request{.kind = kind, .document = doc_, .timings = timings_};
  if (const auto problem = ResolvePort(request, portDevice_->Map())) {
    prompter_.Show(*problem);
    return;
  }
  SetBusy(true, NameOf(kind).phase);
  if (!worker_->Start(std::move(request))) SetBusy(false);
}

void MainWindow::SetBusy(bool busy, const QString& phase) {
  busy_ = busy;
  for (int tab = 0; tab < tabs_->count(); ++tab)
    tabs_->widget(tab)->setEnabled(!busy);
  for (const char* name : {"cmdGet", "cmdPut", "cmdReset"})
    Control(name)->setEnabled(!busy);
  for (QAction* action : findChild<QMenu*>("MenuFile")->actions())
    action->setEnabled(!busy);
  busyLabel_->setText(phase);
  busyLabel_->setVisible(busy);
  progress_->reset();
  progress_->setVisible(busy);
}

void MainWindow::OnProgress(int done, int expected, const QString& phase) {
  if (!busy_) return;
  busyLabel_->setText(phase);
  progress_->setMaximum(expected);
  progress_->setValue(done);
}

void MainWindow::OnFinished(const OperationResult& result) {
  SetBusy(false);
  RunHandler(reporter_, NameOf(result.kind).handler, [&] {
    if (result.document) doc_ = *result.document;
    Refresh();
    // The image exactly as the unit gave it, before anything can change it.
    if (result.kind == Operation::Get && result.document) {
      const BackupOutcome backup =
          WriteBackup(backupFolder_, *result.document, "get", QDateTime::currentDateTime());
      if (backup.failure) prompter_.Show(*backup.failure);
    }
    for (const Message& message : result.messages)
      prompter_.Show(message);
    ShowWarnings(result.warnings);
    if (!result.refusedControl.empty()) GoToControl(result.refusedControl);
  });
}

}  // namespace kova
