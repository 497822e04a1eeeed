// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>
#include <stdexcept>

#include "diag/program_identity.h"
#include "diag/trace.h"
#include "files/backups.h"
#include "files/latin1.h"
#include "image/clear_form.h"
#include "image/conversions.h"
#include "image/field_checks.h"
#include "image/field_names.h"
#include "image/frequency.h"
#include "image/value_rules.h"
#include "window/field_guard.h"
#include "window/form_binder.h"
#include "window/port_device_box.h"
#include "window/tab_grid.h"
#include "window/window_context.h"
#include "window/window_pages.h"

namespace kova {
namespace {

struct StepButton {
  const char* name;
  FreqStep step;
};
constexpr StepButton kStepButtons[] = {
    {control::kFreqAdd, FreqStep::Add},   {control::kFreqSub, FreqStep::Sub},
    {control::kFreqAdd2, FreqStep::Add2}, {control::kFreqSub2, FreqStep::Sub2},
    {control::kFreqAdd3, FreqStep::Add3}, {control::kFreqSub3, FreqStep::Sub3},
    {control::kFreqAdd4, FreqStep::Add4}, {control::kFreqSub4, FreqStep::Sub4},
};

// "txtCloseRIC1(3)" raises "txtCloseRIC1_Validate": arrays share one handler.
std::string HandlerName(const std::string& control, std::string_view event) {
  return control.substr(0, control.find('(')) + "_" + std::string(event);
}

bool Converts(const std::string& text) {
  try {
    ToLong(text);
    return true;
  } catch (const Failure&) {
    return false;
  }
}

// Fields checked when the focus leaves them.
bool Validated(FieldCheck rule) {
  return rule == FieldCheck::Ric || rule == FieldCheck::RepeaterRic || rule == FieldCheck::Time ||
         rule == FieldCheck::RepeatList;
}

// Fields whose keys or leaving the window watches.
bool Filtered(FieldCheck rule) {
  return Validated(rule) || rule == FieldCheck::Sequence;
}

// "v 3.1.0".
std::string VersionCaption() {
  return "v " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

}  // namespace

MainWindow::MainWindow(const WindowContext& context, QWidget* parent)
    : QMainWindow(parent),
      prompter_(context.prompter),
      reporter_(context.prompter),
      settings_(context.settings),
      ports_(context.ports),
      backupFolder_(context.backupFolder.isEmpty() ? DefaultBackupFolder() : context.backupFolder),
      programFolder_(context.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : context.programFolder),
      timings_(context.timings),
      caption_(kProgramTitle),
      probe_(context.probe
                 ? context.probe
                 : [timings = context.timings](
                       const std::string& device, const std::string& port,
                       const std::vector<int>& rates,
                       const std::atomic<bool>*
                           stop) { return ProbeUnit(device, port, rates, timings, stop); }),
      worker_(context.runner ? std::make_unique<OperationWorker>(context.runner)
                             : std::make_unique<OperationWorker>()) {
  setObjectName(kMainFormName);
  setWindowTitle(kProgramTitle);
  BuildMenu();
  BuildCentral();
  portDevice_ = new PortDeviceBox(*qobject_cast<QComboBox*>(Control(control::kPortDevice)), ports_,
                                  context.devices, this);
  ConnectBindings();
  ConnectButtons();
  connect(worker_.get(), &OperationWorker::progress, this, &MainWindow::OnProgress);
  connect(worker_.get(), &OperationWorker::finished, this, &MainWindow::OnFinished);
  // A device plugged in since the Comms tab was last in front is offered there.
  connect(tabs_, &TabGrid::currentChanged, this, [this](int index) {
    if (index == kCommsTab) portDevice_->Rescan();
  });
  Load();
}

MainWindow::~MainWindow() {
  if (!prober_) return;
  stopProbe_ = true;
  prober_->wait();
}

QWidget* MainWindow::Control(const std::string& name) const {
  auto* widget = findChild<QWidget*>(QString::fromStdString(name));
  if (!widget) throw std::logic_error("frmMain has no control " + name);
  return widget;
}

void MainWindow::BuildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("MenuFile");
  const auto add = [&](const char* name, const char* caption, const char* keys, auto handler) {
    QAction* action = file->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(QKeySequence(keys));
    connect(action, &QAction::triggered, this, handler);
  };
  add("MenuFileNew", "&New", "Ctrl+N", &MainWindow::OnFileNew);
  add("MenuFileOpen", "&Open", "Ctrl+O", &MainWindow::OnFileOpen);
  add("MenuFileOpenBackup", "Open &Backup...", "", &MainWindow::OnFileOpenBackup);
  add("MenuFileSave", "&Save", "Ctrl+S", &MainWindow::OnFileSave);
  add("MenuFileSaveAs", "Save &As", "Ctrl+A", &MainWindow::OnFileSaveAs);
  file->addSeparator()->setObjectName("Seperator");
  add("MenuFileExit", "E&xit", "Ctrl+X", &MainWindow::OnFileExit);
  QMenu* device = menuBar()->addMenu("&Device");
  device->setObjectName("MenuDevice");
  QAction* compare = device->addAction("&Compare with Unit…");
  compare->setObjectName("MenuDeviceCompare");
  compare->setToolTip("Read the Kova Pro and list the fields that differ from the form");
  connect(compare, &QAction::triggered, this, &MainWindow::OnCompareClicked);
}

void MainWindow::BuildCentral() {
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
  QWidget* get = button(control::kGet, "&Get", "Get configuration data from Kova Pro");
  QWidget* put = button(control::kPut, "&Put", "Send configuration data to Kova Pro");
  QWidget* reset =
      button(control::kReset, "&Reset Kova", "Causes the Kova Pro to perform a system reset");
  reset->hide();
  busyLabel_ = new QLabel;
  busyLabel_->setObjectName("lblBusy");
  busyLabel_->setAlignment(Qt::AlignCenter);
  busyLabel_->setAutoFillBackground(true);
  QPalette busyPalette = busyLabel_->palette();
  busyPalette.setColor(QPalette::Window, Qt::red);
  busyLabel_->setPalette(busyPalette);
  QFont busyFont = busyLabel_->font();
  busyFont.setBold(true);
  busyFont.setPointSize(12);
  busyLabel_->setFont(busyFont);
  busyLabel_->hide();
  side->addWidget(busyLabel_);
  progress_ = new QProgressBar;
  progress_->setObjectName("prgBusy");
  progress_->setFormat("%v / %m");
  progress_->setToolTip("Bytes exchanged with the Kova Pro");
  progress_->hide();
  side->addWidget(progress_);
  cancel_ = new QPushButton("Cancel");
  cancel_->setObjectName("cmdCancel");
  cancel_->setToolTip("Stop the operation between two bytes (Esc)");
  cancel_->setShortcut(QKeySequence(Qt::Key_Escape));
  cancel_->hide();
  side->addWidget(cancel_);
  side->addStretch(1);
  // The column keeps one width whatever the busy label and the progress say,
  // so that the window never widens during an operation.
  const int sideWidth = std::max({QFontMetrics(busyFont).horizontalAdvance(" VERIFY "),
                                  progress_->fontMetrics().horizontalAdvance(" 256 / 256 ") + 24,
                                  get->sizeHint().width(), put->sizeHint().width()});
  for (QWidget* widget : {get, put, reset, static_cast<QWidget*>(busyLabel_),
                          static_cast<QWidget*>(progress_), static_cast<QWidget*>(cancel_)})
    widget->setFixedWidth(sideWidth);
  busyLabel_->setWordWrap(true);
  body->addLayout(side);
  layout->addLayout(body, 1);
  setCentralWidget(central);
  status_ = new QLabel;
  status_->setObjectName("lblStatus");
  status_->setContentsMargins(4, 0, 0, 0);  // in line with the bar's passing messages
  statusBar()->addWidget(status_, 1);
  // Every page shows whole where the screen has room for it; on a smaller
  // screen (or a larger font) the window fits the screen and the pages scroll.
  const QScreen* screen = QGuiApplication::primaryScreen();
  setMinimumSize(screen ? sizeHint().boundedTo(screen->availableSize() - FrameAllowance())
                        : sizeHint());
}

void MainWindow::ConnectBindings() {
  binder_ = new FormBinder(
      MakeBindings(), [this](const std::string& name) { return Control(name); }, this);
  guard_ = new FieldGuard(
      [this](QWidget* field) { return ValidateField(field); },
      [this](QWidget* field, const QKeyEvent& key) { return OnKeyPress(field, key); }, this);
  for (std::size_t i = 0; i < binder_->size(); ++i) {
    const FieldCheck rule = binder_->binding(i).rule;
    if (Filtered(rule)) guard_->watch(binder_->widget(i), Validated(rule));
  }
  connect(binder_, &FormBinder::clicked, this, &MainWindow::OnUserChange);
  connect(binder_, &FormBinder::textEdited, this, &MainWindow::OnTextEdited);
}

void MainWindow::ConnectButtons() {
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
  onClick(control::kCopyRelayToSounder, [this] { CopyRelayToSounder(doc_.cfg); });
  connect(cancel_, &QPushButton::clicked, this, &MainWindow::CancelOperation);
  const std::pair<const char*, void (MainWindow::*)()> device[] = {
      {control::kGet, &MainWindow::OnGetClicked},
      {control::kPut, &MainWindow::OnPutClicked},
      {control::kReset, &MainWindow::OnResetClicked},
      {control::kFindRate, &MainWindow::OnFindRateClicked}};
  for (const auto& [name, command] : device) {
    QWidget* button = Control(name);
    const auto handler = command;  // clang 14 cannot capture a structured binding
    connect(qobject_cast<QPushButton*>(button), &QPushButton::clicked, this,
            [this, button, handler] {
              if (ReadyToAct(button)) (this->*handler)();
            });
  }
}

void MainWindow::FillLists() {
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

void MainWindow::Load() {
  const std::function<void()> steps[] = {
      [] { Log("+++ Program started", 1); },
      [this] {
        caption_ = ProgramCaption();
        UpdateTitle();
        qobject_cast<QGroupBox*>(Control(control::kVersionFrame))
            ->setTitle(VersionCaption().c_str());
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

void MainWindow::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  RunProcedure(reporter_, "Form_Unload", [this] { StoreSettings(); });
  Log("+++ Program finished", 1);
}

void MainWindow::Refresh() {
  binder_->updateWidgets(doc_.cfg, session_.ShownFileName(doc_));
  portDevice_->Show(doc_.cfg.ComPort);
  UpdateTitle();
}

void MainWindow::UpdateTitle() {
  setWindowTitle(QString::fromStdString(caption_) + (isModified() ? " *" : ""));
}

void MainWindow::GoToControl(const std::string& control) {
  auto* widget = findChild<QWidget*>(QString::fromStdString(control));
  if (!widget) return;
  for (int tab = 0; tab < tabs_->count(); ++tab) {
    if (tabs_->widget(tab)->isAncestorOf(widget)) tabs_->setCurrentIndex(tab);
  }
  widget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::OnUserChange(std::size_t index) {
  const Binding& b = binder_->binding(index);
  // Read before the pending check, whose refresh shows the model's value again.
  const std::optional<int> value = binder_->widgetValue(index);
  if (!value) return;
  if (!ReadyToAct(binder_->widget(index))) {
    Refresh();  // the click is undone along with the focus move
    return;
  }
  Handle(HandlerName(b.control, "Click"), [&] {
    binder_->updateSetting(doc_.cfg, index, *value);
    if (b.rule == FieldCheck::RepeatEnable) RepeaterOverlap();
  });
}

void MainWindow::OnTextEdited(std::size_t index, const QString& text) {
  Handle(HandlerName(binder_->binding(index).control, "Change"),
         [&] { binder_->updateSetting(doc_.cfg, index, text); });
}

bool MainWindow::OnKeyPress(QWidget* field, const QKeyEvent& key) {
  const Binding& b = binder_->binding(*binder_->indexOf(field));
  const int code = TypedCode(key);
  if (code < 0) return false;
  if (b.rule == FieldCheck::Sequence) {
    bool pass = true;
    Handle(HandlerName(b.control, "KeyPress"), [&] {
      const KeyVerdict verdict = FilterVcKey(doc_.cfg, code);
      if (verdict.text) doc_.cfg.VC = *verdict.text;
      pass = verdict.pass;
    });
    return !pass;
  }
  if (b.rule == FieldCheck::RepeatList) return false;
  return !DigitKeyPasses(code);
}

bool MainWindow::ValidateField(QWidget* field) {
  const Binding& b = binder_->binding(*binder_->indexOf(field));
  bool accepted = true;
  Handle(HandlerName(b.control, "Validate"), [&] {
    if (b.rule == FieldCheck::RepeatList) {
      RepeaterOverlap();
      return;
    }
    const FieldVerdict verdict = b.rule == FieldCheck::Time ? CheckCloseTMax(b.text(doc_.cfg))
                                                            : RicInvalid(b.text(doc_.cfg));
    b.setText(doc_.cfg, verdict.text);
    if (verdict.refusal) {
      accepted = false;
      prompter_.Show(Latin1Message(*verdict.refusal));
      return;
    }
    if (b.rule == FieldCheck::RepeaterRic) RepeaterOverlap();
  });
  return accepted;
}

void MainWindow::RepeaterOverlap() {
  RunProcedure(reporter_, "RepeaterOverlap", [this] {
    try {
      if (const auto warning = kova::RepeaterOverlap(doc_.cfg)) prompter_.Show(*warning);
    } catch (const Failure&) {
      // A range a file left empty (or a pasted text): say which, not "Error 13".
      for (const auto member : {&Configuration::RepeatRIC1, &Configuration::RepeatRIC2,
                                &Configuration::RepeatRIC3, &Configuration::RepeatRIC4}) {
        const Field& field = FieldOf(member);
        const std::string text = GetText(doc_.cfg, field);
        if (Converts(text)) continue;
        prompter_.Show({.text = "The alpha and numeric output ranges cannot be checked for an "
                                "overlap: " +
                                FieldLabel(field) +
                                (text.empty() ? " is empty." : " '" + text + "' is not a RIC.")});
        return;
      }
      throw;
    }
  });
}

bool MainWindow::ReadyToAct(const QWidget* source) {
  return guard_->ReadyToAct(source);
}

bool MainWindow::ValidatePending() {
  return guard_->ValidatePending();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // The unit is halfway through an exchange: it is stopped between two
    // bytes, and the window closes once the user has read what the unit holds.
    event->ignore();
    const Message question{.text = "The Kova Pro is still busy (" +
                                   busyLabel_->text().toStdString() +
                                   ").\n\nCancel the operation and close the window once it "
                                   "has stopped?",
                           .icon = MessageIcon::Warning};
    if (prompter_.Ask(question)) {
      closeWhenIdle_ = true;
      CancelOperation();
    }
    return;
  }
  if (!ConfirmDiscard()) {
    event->ignore();
    return;
  }
  Unload();
  event->accept();
}

}  // namespace kova
