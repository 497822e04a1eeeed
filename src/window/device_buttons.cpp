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
#include <QStatusBar>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <utility>

#include "files/backups.h"
#include "image/field_differences.h"
#include "image/field_names.h"
#include "image/interpret.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "window/main_window.h"
#include "window/port_device_box.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"

namespace kova {
namespace {

struct OperationName {
  Operation kind;
  const char* phase;    // the busy caption until the first progress report
  const char* handler;  // where its failures are reported
  const char* command;  // in the status line
};
constexpr OperationName kOperations[] = {
    {Operation::Get, "GET", "cmdGet_Click", "Get"},
    {Operation::Put, "PUT", "cmdPut_Click", "Put"},
    {Operation::Reset, "RESET", "cmdReset_Click", "Reset"},
};

const OperationName& NameOf(Operation kind) {
  for (const auto& name : kOperations) {
    if (name.kind == kind) return name;
  }
  return kOperations[0];
}

constexpr const char* kWaiting = "Waiting for the unit to store the configuration …";

std::string Hex(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 15], kDigits[value & 15]};
}

// The fields as the image holds them, so that a text typed "007" and the
// unit's "7" are the same value. A form that does not pack is taken as it is.
Configuration AsPacked(const Document& doc) {
  Document packed = doc;
  try {
    PackEEprom(packed);
    InterpretEEprom(packed);
    return packed.cfg;
  } catch (const std::exception&) {
    return doc.cfg;
  }
}

// The read-back that failed: the fields it changed, then its bytes.
std::string VerificationDetails(const OperationResult& result) {
  std::string text;
  if (result.document) {
    Document written = *result.document, read = *result.document;
    for (const ByteDifference& d : result.differences)
      read.image[static_cast<std::size_t>(d.address)] = static_cast<std::uint8_t>(d.got);
    InterpretEEprom(written);
    InterpretEEprom(read);
    const std::vector<FieldDifference> fields = FieldDifferences(written.cfg, read.cfg);
    if (!fields.empty()) text += "Fields that differ (written, read back):\n";
    for (const FieldDifference& f : fields)
      text += f.label + " (" + f.tab + "): " + f.ours + ", " + f.theirs + "\n";
    if (!fields.empty()) text += "\n";
  }
  text += "Bytes that differ (address: written, read back):\n";
  for (const ByteDifference& d : result.differences)
    text += "0x" + Hex(d.address) + ": " + Hex(d.expected) + ", " + Hex(d.got) + "\n";
  return text;
}

std::string UnitOutcome(const OperationResult& result) {
  const std::string rate = " bit/s";
  const std::string at =
      result.unitBaud ? ", unit at " + std::to_string(result.unitBaud) + rate : "";
  switch (result.kind) {
    case Operation::Get:
      return result.document ? "read" + at : "nothing read, the form is as it was";
    case Operation::Reset:
      return result.succeeded ? "reset sent" : "the reset may not have reached the unit";
    case Operation::Put:
      break;
  }
  switch (result.unit) {
    case UnitState::Unchanged:
      return "not written, the unit is unchanged";
    case UnitState::Partial:
      return "stopped part way: run Put again";
    case UnitState::Written:
      return "sent in full but not confirmed: the unit may be at its new rate or its old one";
    case UnitState::Differs:
      return "written, but the read-back differs" + at;
    case UnitState::Verified:
      return "written and verified" + at;
  }
  return {};
}

}  // namespace

std::string MainWindow::Where() const {
  return port_.empty() ? device_ : port_ + " (" + device_ + ")";
}

void MainWindow::OnCompareClicked() {
  if (busy_ || !ValidatePending()) return;
  Handle("MenuDeviceCompare_Click", [this] {
    comparing_ = true;
    StartOperation(Operation::Get);
    comparing_ = busy_;
  });
}

void MainWindow::OnFindRateClicked() {
  if (busy_) return;
  Handle("cmdFindRate_Click", [this] {
    OperationRequest request{.kind = Operation::Get, .document = doc_, .timings = timings_};
    if (const auto problem = ResolvePort(request, portDevice_->Map())) {
      prompter_.Show(*problem);
      return;
    }
    device_ = request.device;
    port_ = request.port;
    const std::vector<int> rates = ProbeOrder(PortRates(ports_).LastSeen(device_));
    if (prober_) prober_->wait();
    stopProbe_ = false;
    SetBusy(true, "FIND");
    progress_->setRange(0, 0);  // no bytes to count, only rates to try
    prober_.reset(QThread::create([this, device = device_, port = port_, rates] {
      const ProbeResult result = probe_(device, port, rates, &stopProbe_);
      QMetaObject::invokeMethod(
          this, [this, result] { OnProbeFinished(result); }, Qt::QueuedConnection);
    }));
    prober_->start();
  });
}

void MainWindow::OnProbeFinished(const ProbeResult& result) {
  SetBusy(false);
  RunHandler(reporter_, "cmdFindRate_Click", [&] {
    const std::string where = Where();
    if (result.failure) {
      prompter_.Show(*result.failure);
      ShowStatus("Find", "stopped");
    } else if (result.rate) {
      const auto at = std::find(kBaudRates.begin(), kBaudRates.end(), *result.rate);
      doc_.cfg.BaudPC = static_cast<ListIndex>(at - kBaudRates.begin());
      PortRates(ports_).Remember(device_, *result.rate);
      Refresh();
      ShowStatus("Find", "the unit answered at " + std::to_string(*result.rate) + " bit/s");
    } else {
      std::string tried;
      for (const int rate : result.tried)
        tried += (tried.empty() ? "" : ", ") + std::to_string(rate);
      prompter_.Show({.text = "The Kova Pro on " + where + " did not answer at any rate (tried " +
                              tried +
                              " bit/s).\n\nCheck the cable and that the unit is switched on.",
                      .icon = MessageIcon::Warning});
      ShowStatus("Find", "no answer at any rate");
    }
  });
  if (closeWhenIdle_) {
    closeWhenIdle_ = false;
    close();
  }
}

void MainWindow::OnGetClicked() {
  // What the unit holds replaces the form: unsaved edits are the user's to let go.
  if (busy_ || !ConfirmDiscard()) return;
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
  device_ = request.device;
  port_ = request.port;
  const ListIndex baudPC = doc_.cfg.BaudPC;
  pcRate_ = baudPC >= 0 && baudPC < static_cast<ListIndex>(kBaudRates.size())
                ? kBaudRates[static_cast<std::size_t>(baudPC)]
                : 0;
  SetBusy(true, NameOf(kind).phase);
  if (!worker_->Start(std::move(request))) SetBusy(false);
}

void MainWindow::CancelOperation() {
  if (!busy_) return;
  worker_->Cancel();
  stopProbe_ = true;
  cancel_->setEnabled(false);  // once is enough; the result says when it has stopped
}

void MainWindow::SetBusy(bool busy, const QString& phase) {
  busy_ = busy;
  for (int tab = 0; tab < tabs_->count(); ++tab)
    tabs_->widget(tab)->setEnabled(!busy);
  for (const char* name : {control::kGet, control::kPut, control::kReset})
    Control(name)->setEnabled(!busy);
  for (const char* menu : {"MenuFile", "MenuDevice"}) {
    for (QAction* action : findChild<QMenu*>(menu)->actions())
      action->setEnabled(!busy);
  }
  busyLabel_->setText(phase);
  busyLabel_->setVisible(busy);
  progress_->reset();
  progress_->setVisible(busy);
  cancel_->setVisible(busy);
  cancel_->setEnabled(busy);
}

void MainWindow::OnProgress(int done, int expected, const QString& phase) {
  if (!busy_) return;
  busyLabel_->setText(phase);
  // The pause before the read-back: nothing moves on the line, the unit is busy.
  const bool waiting = phase == "VERIFY" && done == 0;
  progress_->setRange(0, waiting ? 0 : expected);
  progress_->setValue(done);
  if (waiting) {
    statusBar()->showMessage(kWaiting);
  } else if (statusBar()->currentMessage() == kWaiting) {
    statusBar()->clearMessage();
  }
}

void MainWindow::ShowStatus(const std::string& command, const std::string& outcome) {
  statusBar()->clearMessage();
  status_->setText(QString::fromStdString(command) + " " + QTime::currentTime().toString("HH:mm") +
                   " — " + QString::fromStdString(outcome));
}

Message MainWindow::Explained(const Message& message, const OperationResult& result) const {
  Message explained = message;
  if (message == CommunicationsError()) {
    const std::string where = Where();
    const int rate = result.unitBaud ? result.unitBaud : pcRate_;
    explained.text += "\nTried " + where + " at " + std::to_string(rate) + " bit/s: " +
                      (result.bytesReceived == 0 ? "nothing came back."
                                                 : std::to_string(result.bytesReceived) +
                                                       " bytes came back, then nothing.");
  } else if (message == VerificationError() && !result.differences.empty()) {
    explained.details = VerificationDetails(result);
  }
  return explained;
}

void MainWindow::ShowComparison(const Document& unit) {
  const std::vector<FieldDifference> differences = FieldDifferences(AsPacked(doc_), unit.cfg);
  const std::string where = Where();
  const std::size_t n = differences.size();
  const std::string heading =
      n == 0 ? "The form and the Kova Pro on " + where + " hold the same configuration."
             : std::to_string(n) + (n == 1 ? " field differs" : " fields differ") +
                   " between the form and the Kova Pro on " + where + ":";
  ShowStatus("Compare", n == 0
                            ? "the unit holds the form's configuration"
                            : std::to_string(n) + (n == 1 ? " field differs" : " fields differ"));
  if (prompter_.ShowDifferences(heading, differences)) {
    Handle("cmdLoadUnitValues_Click", [&] { doc_ = unit; });
  }
}

void MainWindow::OnFinished(const OperationResult& result) {
  const bool comparing = std::exchange(comparing_, false);
  bool findRate = false;
  SetBusy(false);
  RunHandler(reporter_, comparing ? "MenuDeviceCompare_Click" : NameOf(result.kind).handler, [&] {
    if (result.document && !comparing) doc_ = *result.document;
    Refresh();
    // The image exactly as the unit gave it, before anything can change it.
    if (result.kind == Operation::Get && result.document) {
      const BackupOutcome backup =
          WriteBackup(backupFolder_, *result.document, "get", QDateTime::currentDateTime());
      if (backup.failure) prompter_.Show(*backup.failure);
    }
    // Not a byte came back: the unit may be listening at another rate.
    const bool silent = result.bytesReceived == 0 &&
                        (result.kind == Operation::Get ||
                         (result.kind == Operation::Put && result.unit == UnitState::Unchanged));
    for (const Message& message : result.messages) {
      Message explained = Explained(message, result);
      if (!silent || message != CommunicationsError()) {
        prompter_.Show(explained);
        continue;
      }
      explained.text += "\n\nFind the rate the Kova Pro answers at?";
      findRate = prompter_.Ask(explained);
    }
    ShowWarnings(result.warnings);
    if (!result.refusedControl.empty()) GoToControl(result.refusedControl);
    ShowStatus(comparing ? "Compare" : NameOf(result.kind).command, UnitOutcome(result));
    if (comparing && result.document) ShowComparison(*result.document);
  });
  if (closeWhenIdle_) {
    closeWhenIdle_ = false;
    close();
  } else if (findRate) {
    OnFindRateClicked();
  }
}

}  // namespace kova
