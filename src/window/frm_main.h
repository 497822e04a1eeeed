#pragma once

#include <QMainWindow>
#include <QPointer>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "image/document.h"
#include "window/dialog_reporter.h"
#include "window/prompter.h"
#include "window/view_bindings.h"
#include "window/window_hooks.h"

class QKeyEvent;
class QLabel;

namespace kova {

class TabGrid;

constexpr const char* kTitle = "Kova Pro Configuration";
constexpr int kVersionMajor = 3;
constexpr int kVersionMinor = 1;
constexpr int kVersionRevision = 0;

// "Kova Pro Configuration 3.1" and "v 3.1.0".
std::string WindowCaption();
std::string VersionCaption();

// The main window. It owns the Document; its controls show the
// configuration through the binding table, and every user action changes
// the model first and then refreshes the view from it.
class frmMain : public QMainWindow {
  Q_OBJECT

 public:
  // Runs the start-up of the window (captions, lists, selections). Without
  // hooks the files, settings and device commands do nothing.
  explicit frmMain(Prompter& prompter, WindowHooks* hooks = nullptr, QWidget* parent = nullptr);
  ~frmMain() override;

  Document& document() { return doc_; }
  Prompter& prompter() { return prompter_; }
  ErrorReporter& reporter() { return reporter_; }
  TabGrid& tabs() { return *tabs_; }
  QLabel& busyLabel() { return *lblBusy_; }

  // Shows the model: every control's value, what is shown or hidden, the
  // captions that follow values. Call it after changing document() directly.
  void Refresh();

  // Unsaved changes: the title carries a "*" while there are any.
  bool isModified() const { return modified_; }
  void setModified(bool modified);

  // The File menu. New, Open and Exit ask before dropping unsaved changes.
  void MenuFileNew_Click();
  void MenuFileOpen_Click();
  void MenuFileSave_Click();
  void MenuFileSaveAs_Click();
  void MenuFileExit_Click();

  // Runs the check of the field the user has just left, if it has not run
  // yet. False when the field was refused: it has the focus back, and
  // whatever the user did next must not happen.
  bool ValidatePending();
  // The same before the source's click or tab change acts. False: it must not.
  bool ReadyToAct(const QWidget* source);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void BuildCentral();
  void ConnectBindings();
  void ConnectButtons();
  void FillLists();
  void Form_Load();
  void Form_Unload();

  template <class Body>
  bool Handle(std::string_view procedure, Body&& body);
  void OnUserChange(std::size_t binding);
  void OnTextEdited(std::size_t binding, const QString& text);
  bool OnKeyPress(std::size_t binding, const QKeyEvent& key);
  bool ValidateField(std::size_t binding);
  void RepeaterOverlap();
  bool ConfirmDiscard();
  void UpdateTitle();
  QWidget* Control(const std::string& name) const;

  Prompter& prompter_;
  DialogReporter reporter_;
  WindowHooks noHooks_;
  WindowHooks* hooks_;
  Document doc_;

  std::vector<Binding> bindings_;
  std::vector<QWidget*> bound_;
  std::unordered_map<const QObject*, std::size_t> bindingOf_;
  struct Shown {
    std::vector<QWidget*> widgets;
    std::function<bool(const Configuration&)> shown;
  };
  std::vector<Shown> visibility_;
  std::vector<std::pair<QLabel*, CaptionRule>> captions_;

  TabGrid* tabs_ = nullptr;
  QLabel* lblBusy_ = nullptr;
  std::string caption_ = kTitle;
  bool modified_ = false;
  bool unloaded_ = false;
  QPointer<QWidget> pending_;      // left, not yet checked
  QPointer<QWidget> refusedMove_;  // where the focus went when a field was refused
  bool refocusing_ = false;
};

}  // namespace kova
