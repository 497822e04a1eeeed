#include "window/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <stdexcept>

#include "diag/program_identity.h"
#include "diag/trace.h"
#include "files/backups.h"
#include "files/latin1.h"
#include "image/clear_form.h"
#include "image/field_checks.h"
#include "image/field_names.h"
#include "image/frequency.h"
#include "image/value_rules.h"
#include "window/port_device_box.h"
#include "window/tab_grid.h"
#include "window/window_pages.h"

namespace kova {
namespace {

struct StepButton {
  const char* name;
  FreqStep step;
};
constexpr StepButton kStepButtons[] = {
    {"cmdFAdd", FreqStep::Add},   {"cmdFSub", FreqStep::Sub},   {"cmdFAdd2", FreqStep::Add2},
    {"cmdFSub2", FreqStep::Sub2}, {"cmdFAdd3", FreqStep::Add3}, {"cmdFSub3", FreqStep::Sub3},
    {"cmdFAdd4", FreqStep::Add4}, {"cmdFSub4", FreqStep::Sub4},
};

// "txtCloseRIC1(3)" raises "txtCloseRIC1_Validate": arrays share one handler.
std::string HandlerName(const std::string& control, std::string_view event) {
  return control.substr(0, control.find('(')) + "_" + std::string(event);
}

// The character a key types, or -1 for keys that type none: movement keys,
// Tab (which moves the focus) and shortcuts are never filtered.
int TypedCode(const QKeyEvent& key) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return -1;
  if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) return -1;
  if (key.text().isEmpty()) return -1;
  return key.text().at(0).unicode();
}

// Fields checked when the focus leaves them.
bool Validated(FieldRule rule) {
  return rule == FieldRule::Ric || rule == FieldRule::RepeaterRic || rule == FieldRule::Time ||
         rule == FieldRule::RepeatList;
}

// Fields whose keys or leaving the window watches.
bool Filtered(FieldRule rule) {
  return Validated(rule) || rule == FieldRule::Sequence;
}

void ShowText(QLineEdit* edit, const QString& text) {
  if (edit->text() != text) edit->setText(text);
}

void ShowCheck(QCheckBox* box, int value) {
  box->setTristate(value == 2);
  box->setCheckState(value == 2 ? Qt::PartiallyChecked : value == 1 ? Qt::Checked : Qt::Unchecked);
}

int CheckValue(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

void ShowList(QComboBox* list, int index) {
  list->setCurrentIndex(index < list->count() ? index : -1);
}

// A group may have nothing selected (a legacy file can do that), which an
// exclusive group only allows while it is not exclusive.
void ShowOption(QRadioButton* option, bool selected) {
  if (option->isChecked() == selected) return;
  if (selected) {
    option->setChecked(true);
    return;
  }
  option->setAutoExclusive(false);
  option->setChecked(false);
  option->setAutoExclusive(true);
}

// "v 3.1.0".
std::string VersionCaption() {
  return "v " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

}  // namespace

frmMain::frmMain(const WindowContext& context, QWidget* parent)
    : QMainWindow(parent),
      prompter_(context.prompter),
      reporter_(context.prompter),
      settings_(context.settings),
      ports_(context.ports),
      backupFolder_(context.backupFolder.isEmpty() ? DefaultBackupFolder() : context.backupFolder),
      programFolder_(context.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : context.programFolder),
      timings_(context.timings),
      bindings_(MakeBindings()),
      caption_(kProgramTitle),
      worker_(context.runner ? std::make_unique<OperationWorker>(context.runner)
                             : std::make_unique<OperationWorker>()) {
  setObjectName("frmMain");
  setWindowTitle(kProgramTitle);
  BuildMenu();
  BuildCentral();
  portDevice_ = new PortDeviceBox(*qobject_cast<QComboBox*>(Control("lstPortDevice")), ports_,
                                  context.devices, this);
  ConnectBindings();
  ConnectButtons();
  connect(worker_.get(), &OperationWorker::progress, this, &frmMain::OnProgress);
  connect(worker_.get(), &OperationWorker::finished, this, &frmMain::OnFinished);
  // A device plugged in since the Comms tab was last in front is offered there.
  connect(tabs_, &TabGrid::currentChanged, this, [this](int index) {
    if (index == kCommsTab) portDevice_->Rescan();
  });
  Form_Load();
}

frmMain::~frmMain() = default;

QWidget* frmMain::Control(const std::string& name) const {
  auto* widget = findChild<QWidget*>(QString::fromStdString(name));
  if (!widget) throw std::logic_error("frmMain has no control " + name);
  return widget;
}

void frmMain::BuildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("MenuFile");
  const auto add = [&](const char* name, const char* caption, const char* keys, auto handler) {
    QAction* action = file->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(QKeySequence(keys));
    connect(action, &QAction::triggered, this, handler);
  };
  add("MenuFileNew", "&New", "Ctrl+N", &frmMain::MenuFileNew_Click);
  add("MenuFileOpen", "&Open", "Ctrl+O", &frmMain::MenuFileOpen_Click);
  add("MenuFileOpenBackup", "Open &Backup...", "", &frmMain::MenuFileOpenBackup_Click);
  add("MenuFileSave", "&Save", "Ctrl+S", &frmMain::MenuFileSave_Click);
  add("MenuFileSaveAs", "Save &As", "Ctrl+A", &frmMain::MenuFileSaveAs_Click);
  file->addSeparator()->setObjectName("Seperator");
  add("MenuFileExit", "E&xit", "Ctrl+X", &frmMain::MenuFileExit_Click);
}

void frmMain::BuildCentral() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* title = new QLabel("Kova Pro Configuration Utility");
  title->setObjectName("Label21");
  QFont titleFont = title->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(9.75);
  title->setFont(titleFont);
  layout->addWidget(title);

  auto* body = new QHBoxLayout;
  tabs_ = new TabGrid(kTabsPerRow);
  tabs_->setObjectName("SSTab1");
  BuildTabs(*tabs_);
  tabs_->setLeaveGuard([this](int index) { return ReadyToAct(tabs_->tabButton(index)); });
  body->addWidget(tabs_, 1);

  auto* side = new QVBoxLayout;
  const auto button = [&](const char* name, const char* caption, const char* tip) {
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    b->setToolTip(tip);
    side->addWidget(b);
    return b;
  };
  button("cmdGet", "&Get", "Get configuration data from Kova Pro");
  button("cmdPut", "&Put", "Send configuration data to Kova Pro");
  button("cmdReset", "&Reset Kova", "Causes the Kova Pro to perform a system reset")->hide();
  lblBusy_ = new QLabel;
  lblBusy_->setObjectName("lblBusy");
  lblBusy_->setAlignment(Qt::AlignCenter);
  lblBusy_->setAutoFillBackground(true);
  QPalette busyPalette = lblBusy_->palette();
  busyPalette.setColor(QPalette::Window, Qt::red);
  lblBusy_->setPalette(busyPalette);
  QFont busyFont = lblBusy_->font();
  busyFont.setBold(true);
  busyFont.setPointSize(12);
  lblBusy_->setFont(busyFont);
  lblBusy_->hide();
  side->addWidget(lblBusy_);
  progress_ = new QProgressBar;
  progress_->setObjectName("prgBusy");
  progress_->setFormat("%v / %m");
  progress_->setToolTip("Bytes exchanged with the Kova Pro");
  progress_->hide();
  side->addWidget(progress_);
  side->addStretch(1);
  body->addLayout(side);
  layout->addLayout(body, 1);
  setCentralWidget(central);

  for (const auto& rule : MakeVisibilityRules()) {
    Shown shown{{}, rule.shown};
    for (const auto& name : rule.controls) {
      shown.widgets.push_back(Control(name));
    }
    visibility_.push_back(std::move(shown));
  }
  for (const auto& rule : MakeCaptionRules()) {
    captions_.emplace_back(qobject_cast<QLabel*>(Control(rule.control)), rule);
  }
}

void frmMain::ConnectBindings() {
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const Binding& b = bindings_[i];
    QWidget* widget = Control(b.control);
    bound_.push_back(widget);
    bindingOf_[widget] = i;
    if (Filtered(b.rule)) widget->installEventFilter(this);
    switch (b.kind) {
      case BindKind::Text:
        connect(qobject_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
                [this, i](const QString& text) { OnTextEdited(i, text); });
        break;
      case BindKind::CheckBox:
      case BindKind::OptionBox:
        connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, i] { OnUserChange(i); });
        break;
      case BindKind::List:
        connect(qobject_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, i] { OnUserChange(i); });
        break;
      case BindKind::Display:
        break;
    }
  }
}

void frmMain::ConnectButtons() {
  const auto onClick = [this](const char* name, auto body) {
    connect(qobject_cast<QPushButton*>(Control(name)), &QPushButton::clicked, this,
            [this, name, body] {
              if (!ReadyToAct(Control(name))) return;
              Handle(std::string(name) + "_Click", body);
            });
  };
  for (const StepButton& step : kStepButtons) {
    onClick(step.name, [this, step] { StepFreq(doc_.cfg, step.step); });
  }
  onClick("cmdCpyRly2Sndr", [this] { CopyRelayToSounder(doc_.cfg); });
  const std::pair<const char*, void (frmMain::*)()> device[] = {
      {"cmdGet", &frmMain::cmdGet_Click},
      {"cmdPut", &frmMain::cmdPut_Click},
      {"cmdReset", &frmMain::cmdReset_Click}};
  for (const auto& [name, command] : device) {
    QWidget* button = Control(name);
    const auto handler = command;  // clang 14 cannot capture a structured binding
    connect(qobject_cast<QPushButton*>(button), &QPushButton::clicked, this,
            [this, button, handler] {
              if (ReadyToAct(button)) (this->*handler)();
            });
  }
}

void frmMain::FillLists() {
  // The port list shows "COM1" .. "COM16"; a function list's item data is the
  // function code, which is also the item's index.
  const Field& port = FieldOf(&Configuration::ComPort);
  for (const Field& field : Fields()) {
    if (field.kind != FieldKind::List) continue;
    for (int i = 0; i < field.count(); ++i) {
      auto* list =
          qobject_cast<QComboBox*>(Control(ControlName(field, field.count() > 1 ? i : -1)));
      for (const FieldItem& item : field.items) {
        const QString text = QString::fromStdString(item.text);
        if (&field == &port) {
          list->addItem("COM" + text);
        } else if (field.numericItems) {
          list->addItem(text);
        } else {
          list->addItem(text, item.value);
        }
      }
    }
  }
}

void frmMain::Form_Load() {
  const std::function<void()> steps[] = {
      [] { log("+++ Program started", 1); },
      [this] {
        caption_ = ProgramCaption();
        UpdateTitle();
        qobject_cast<QGroupBox*>(Control("frmVersion"))->setTitle(VersionCaption().c_str());
      },
      [this] { RestoreSettings(); },
      [this] { doc_.cfg = StartupConfiguration(); },
      [this] {
        tabs_->setCurrentIndex(kGeneralTab);
        tabs_->setTabEnabled(kPllTab, false);
      },
      [this] { FillLists(); },
  };
  for (const auto& step : steps) {
    if (!RunHandler(reporter_, "Form_Load", step)) break;
  }
  // What start-up shows is nobody's unsaved work.
  session_.MarkSaved(doc_);
  Refresh();
}

void frmMain::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  RunProcedure(reporter_, "Form_Unload", [this] { StoreSettings(); });
  log("+++ Program finished", 1);
}

void frmMain::Refresh() {
  Configuration& cfg = doc_.cfg;
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const Binding& b = bindings_[i];
    QWidget* widget = bound_[i];
    switch (b.kind) {
      case BindKind::Text:
      case BindKind::Display:
        ShowText(qobject_cast<QLineEdit*>(widget), b.control == "txtFileName"
                                                       ? session_.ShownFileName(doc_)
                                                       : FromLatin1(b.text(cfg)));
        break;
      case BindKind::CheckBox:
        ShowCheck(qobject_cast<QCheckBox*>(widget), b.value(cfg));
        break;
      case BindKind::List:
        ShowList(qobject_cast<QComboBox*>(widget), b.value(cfg));
        break;
      case BindKind::OptionBox:
        ShowOption(qobject_cast<QRadioButton*>(widget), b.value(cfg) == 1);
        break;
    }
  }
  for (const Shown& rule : visibility_) {
    const bool shown = rule.shown(cfg);
    for (QWidget* widget : rule.widgets) {
      if (widget->isHidden() == shown) widget->setVisible(shown);
    }
  }
  for (const auto& [label, rule] : captions_)
    label->setText(QString::fromStdString(rule.caption(cfg)));
  portDevice_->Show(cfg.ComPort);
  UpdateTitle();
}

void frmMain::UpdateTitle() {
  setWindowTitle(QString::fromStdString(caption_) + (isModified() ? " *" : ""));
}

void frmMain::GoToControl(const std::string& control) {
  auto* widget = findChild<QWidget*>(QString::fromStdString(control));
  if (!widget) return;
  for (int tab = 0; tab < tabs_->count(); ++tab) {
    if (tabs_->widget(tab)->isAncestorOf(widget)) tabs_->setCurrentIndex(tab);
  }
  widget->setFocus(Qt::OtherFocusReason);
}

void frmMain::OnUserChange(std::size_t index) {
  const Binding& b = bindings_[index];
  QWidget* widget = bound_[index];
  // Read before the pending check, whose refresh shows the model's value again.
  int value = 1;
  if (b.kind == BindKind::CheckBox) value = CheckValue(qobject_cast<QCheckBox*>(widget));
  if (b.kind == BindKind::List) value = qobject_cast<QComboBox*>(widget)->currentIndex();
  if (b.kind == BindKind::OptionBox && !qobject_cast<QRadioButton*>(widget)->isChecked()) return;
  if (!ReadyToAct(widget)) {
    Refresh();  // the click is undone along with the focus move
    return;
  }
  Handle(HandlerName(b.control, "Click"), [&] {
    b.setValue(doc_.cfg, value);
    if (b.rule == FieldRule::RepeatEnable) RepeaterOverlap();
  });
}

void frmMain::OnTextEdited(std::size_t index, const QString& text) {
  const Binding& b = bindings_[index];
  Handle(HandlerName(b.control, "Change"), [&] { b.setText(doc_.cfg, ToLatin1(text)); });
}

bool frmMain::OnKeyPress(std::size_t index, const QKeyEvent& key) {
  const Binding& b = bindings_[index];
  const int code = TypedCode(key);
  if (code < 0) return false;
  if (b.rule == FieldRule::Sequence) {
    bool pass = true;
    Handle("txtVC_KeyPress", [&] {
      const KeyVerdict verdict = txtVC_KeyPress(doc_.cfg, code);
      if (verdict.text) doc_.cfg.VC = *verdict.text;
      pass = verdict.pass;
    });
    return !pass;
  }
  if (b.rule == FieldRule::RepeatList) return false;
  return !DigitKeyPasses(code);
}

bool frmMain::ValidateField(std::size_t index) {
  const Binding& b = bindings_[index];
  bool accepted = true;
  Handle(HandlerName(b.control, "Validate"), [&] {
    if (b.rule == FieldRule::RepeatList) {
      RepeaterOverlap();
      return;
    }
    const FieldVerdict verdict =
        b.rule == FieldRule::Time ? CheckCloseTMax(b.text(doc_.cfg)) : RICinvalid(b.text(doc_.cfg));
    b.setText(doc_.cfg, verdict.text);
    if (verdict.refusal) {
      accepted = false;
      prompter_.Show(Latin1Message(*verdict.refusal));
      return;
    }
    if (b.rule == FieldRule::RepeaterRic) RepeaterOverlap();
  });
  return accepted;
}

void frmMain::RepeaterOverlap() {
  RunProcedure(reporter_, "RepeaterOverlap", [this] {
    if (const auto warning = kova::RepeaterOverlap(doc_.cfg)) prompter_.Show(*warning);
  });
}

bool frmMain::ReadyToAct(const QWidget* source) {
  if (!ValidatePending()) return false;
  // A button's shortcut clicks a moment after it took the focus; when that
  // move was refused, the late click must not act either.
  if (source && source == refusedMove_) {
    refusedMove_ = nullptr;
    return false;
  }
  return true;
}

bool frmMain::ValidatePending() {
  if (!pending_) return true;
  QWidget* field = pending_;
  pending_ = nullptr;
  if (ValidateField(bindingOf_.at(field))) {
    refusedMove_ = nullptr;
    return true;
  }
  // The refused field takes the focus back; a list that was being opened stays shut.
  refusedMove_ = QApplication::focusWidget();
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  refocusing_ = true;
  field->setFocus(Qt::OtherFocusReason);
  refocusing_ = false;
  return false;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  const auto found = bindingOf_.find(watched);
  if (found == bindingOf_.end()) return QMainWindow::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    return OnKeyPress(found->second, *static_cast<QKeyEvent*>(event));
  }
  if (event->type() == QEvent::FocusOut && !refocusing_ &&
      Validated(bindings_[found->second].rule)) {
    // Leaving for a menu, a list's popup or another application is not leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
    if (!ValidatePending()) return false;
    pending_ = qobject_cast<QWidget*>(watched);
    // The check runs once the focus has settled, unless a click needs it sooner.
    QMetaObject::invokeMethod(
        this, [this] { ValidatePending(); }, Qt::QueuedConnection);
  }
  return false;
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The unit is halfway through an exchange; the window waits for it.
    event->ignore();
    prompter_.Show({.text = "The Kova Pro is still busy (" + lblBusy_->text().toStdString() +
                            "). Close the window once it has finished."});
    return;
  }
  if (!ConfirmDiscard()) {
    event->ignore();
    return;
  }
  Form_Unload();
  event->accept();
}

}  // namespace kova
