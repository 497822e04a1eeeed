// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_session.h"
#include "image/document.h"
#include "window/dialog_reporter.h"
#include "window/window_context.h"

class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace kova {

class FieldGuard;
class FormBinder;
class PortDeviceBox;
class TabGrid;

// The main window. It owns the Document; its controls show the
// configuration through the form binder, and every user action changes
// the model first and then refreshes the view from it.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Runs the start-up of the window: captions, the place and the last file
  // location from the settings, lists and selections.
  explicit MainWindow(const WindowContext& context, QWidget* parent = nullptr);
  ~MainWindow() override;

  Document& document() { return doc_; }
  const FileSession& session() const { return session_; }
  Prompter& prompter() { return prompter_; }
  ErrorReporter& reporter() { return reporter_; }
  TabGrid& tabs() { return *tabs_; }
  const FormBinder& binder() const { return *binder_; }
  QLabel& busyLabel() { return *busyLabel_; }
  QProgressBar& progressBar() { return *progress_; }

  // Shows the model: every control's value, what is shown or hidden, the
  // captions that follow values, the title. Call it after changing
  // document() directly.
  void Refresh();

  // Unsaved changes: the document differs from what was last opened, saved
  // or started anew. The title carries a "*" while it does.
  bool isModified() const { return session_.IsModified(doc_); }

  // The File menu. New, Open and Exit ask before dropping unsaved changes.
  void OnFileNew();
  void OnFileOpen();
  void OnFileOpenBackup();
  void OnFileSave();
  void OnFileSaveAs();
  void OnFileExit();
  // File > Open's work on a path already chosen: a file named on the command
  // line opens this way. One that cannot be read says why and leaves the form.
  void OpenFile(const QString& path);

  // The device buttons. An operation runs on a thread of its own; until it
  // has ended the device buttons, the File menu and the pages are disabled.
  void OnGetClicked();
  void OnPutClicked();
  void OnResetClicked();
  // Device > Compare with Unit: reads the unit as Get does and lists the
  // fields whose values differ from the form's, which stays as it is unless
  // the user loads the unit's values.
  void OnCompareClicked();
  // Find beside the PC rate list: asks for the unit's version at each rate,
  // the one it was last seen at first, and selects the rate that answered.
  void OnFindRateClicked();
  // The Cancel button beside the busy caption, and Escape: the running
  // operation stops between two bytes and says what the unit holds.
  void CancelOperation();
  bool isBusy() const { return busy_; }

  // Brings the control's tab to the front and gives it the focus.
  void GoToControl(const std::string& control);

  // Runs the check of the field the user has just left, if it has not run
  // yet. False when the field was refused: it has the focus back, and
  // whatever the user did next must not happen.
  bool ValidatePending();
  // The same before the source's click or tab change acts. False: it must not.
  bool ReadyToAct(const QWidget* source);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void BuildCentral();
  void ConnectBindings();
  void ConnectButtons();
  void FillLists();
  void Load();
  void Unload();
  void RestoreSettings();
  void StoreSettings();
  // The room the window manager's frame takes around the window.
  QSize FrameAllowance() const;

  template <class Body>
  bool Handle(std::string_view procedure, Body&& body);
  void OnUserChange(std::size_t binding);
  void OnTextEdited(std::size_t binding, const QString& text);
  bool OnKeyPress(QWidget* field, const QKeyEvent& key);
  bool ValidateField(QWidget* field);
  void RepeaterOverlap();
  void UpdateTitle();
  QWidget* Control(const std::string& name) const;

  // The File menu's work once a path is known (file_menu.cpp).
  bool ConfirmDiscard();
  bool SaveDocument();
  bool SaveDocumentAs();
  void ShowOutcome(const FileOutcome& outcome);
  void ShowWarnings(const std::vector<std::string>& warnings);
  void ShowEmptyFields();
  // Before Save, Save As and Put: every field that cannot be packed, in one
  // message, with the offer to fill the empty ones. False: do not go on.
  bool ReadyToPack(std::string_view command);

  // The device operations (device_buttons.cpp).
  void StartOperation(Operation kind);
  void OnProgress(int done, int expected, const QString& phase);
  void OnFinished(const OperationResult& result);
  void SetBusy(bool busy, const QString& phase = {});
  // A failure's message with what the window knows beside it: the device and
  // rate tried, the bytes that came, the fields a verification found changed.
  Message Explained(const Message& message, const OperationResult& result) const;
  void ShowComparison(const Document& unit);
  // "COM3 (/dev/ttyUSB0)": where the last operation went.
  std::string Where() const;
  // The quiet line at the foot of the window: what was last done, and when.
  void ShowStatus(const std::string& command, const std::string& outcome);

  Prompter& prompter_;
  DialogReporter reporter_;
  SettingsStore& settings_;
  QSettings& ports_;
  QString backupFolder_;
  QString programFolder_;
  LinkTimings timings_;
  Document doc_;
  FileSession session_;

  FormBinder* binder_ = nullptr;
  FieldGuard* guard_ = nullptr;
  TabGrid* tabs_ = nullptr;
  QLabel* busyLabel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  PortDeviceBox* portDevice_ = nullptr;
  std::string caption_;
  bool busy_ = false;
  // The user closed the window during an operation and let it be cancelled.
  bool closeWhenIdle_ = false;
  // The Get running is a Compare with Unit's read.
  bool comparing_ = false;
  // Where the running operation went, for its messages.
  std::string device_, port_;
  int pcRate_ = 0;
  QLabel* status_ = nullptr;
  std::function<ProbeResult(const std::string&, const std::string&, const std::vector<int>&,
                            const std::atomic<bool>*)>
      probe_;
  std::atomic<bool> stopProbe_{false};
  void OnProbeFinished(const ProbeResult& result);
  bool unloaded_ = false;
  // Declared last so that it goes first: a running operation has ended
  // before anything it reports to is gone.
  std::unique_ptr<OperationWorker> worker_;
  std::unique_ptr<QThread> prober_;  // Find's thread, while it runs
};

// A user's action as the named handler: a failure is reported with the
// question whether to go on, and the view follows the model.
template <class Body>
bool MainWindow::Handle(std::string_view procedure, Body&& body) {
  const bool finished = RunHandler(reporter_, procedure, std::forward<Body>(body));
  Refresh();
  return finished;
}

}  // namespace kova
