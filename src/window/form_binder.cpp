// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/form_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "files/latin1.h"

namespace kova {
namespace {

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

// The file name box shows the name of the file, which the form does not hold.
bool ShowsFileName(const Binding& b) {
  static const std::string name = ControlName(FieldOf(&Configuration::FileName));
  return b.control == name;
}

}  // namespace

FormBinder::FormBinder(std::vector<Binding> bindings, const Lookup& control, QObject* parent)
    : QObject(parent), bindings_(std::move(bindings)) {
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const Binding& b = bindings_[i];
    QWidget* widget = control(b.control);
    widgets_.push_back(widget);
    indexOf_[widget] = i;
    switch (b.kind) {
      case FieldKind::Text:
        connect(qobject_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
                [this, i](const QString& text) { emit textEdited(i, text); });
        break;
      case FieldKind::CheckBox:
      case FieldKind::Options:
        connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, i] { emit clicked(i); });
        break;
      case FieldKind::List:
        connect(qobject_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, i] { emit clicked(i); });
        break;
      case FieldKind::Number:
        break;
    }
  }
  for (const auto& rule : MakeVisibilityRules()) {
    Shown shown{{}, rule.shown};
    for (const auto& name : rule.controls)
      shown.widgets.push_back(control(name));
    visibility_.push_back(std::move(shown));
  }
  for (const auto& rule : MakeCaptionRules())
    captions_.emplace_back(qobject_cast<QLabel*>(control(rule.control)), rule);
}

std::optional<std::size_t> FormBinder::indexOf(const QObject* widget) const {
  const auto found = indexOf_.find(widget);
  if (found == indexOf_.end()) return std::nullopt;
  return found->second;
}

void FormBinder::updateWidgets(const Configuration& cfg, const QString& fileName) {
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const Binding& b = bindings_[i];
    QWidget* widget = widgets_[i];
    switch (b.kind) {
      case FieldKind::Text:
      case FieldKind::Number:
        ShowText(qobject_cast<QLineEdit*>(widget),
                 ShowsFileName(b) ? fileName : FromLatin1(b.text(cfg)));
        break;
      case FieldKind::CheckBox:
        ShowCheck(qobject_cast<QCheckBox*>(widget), b.value(cfg));
        break;
      case FieldKind::List:
        ShowList(qobject_cast<QComboBox*>(widget), b.value(cfg));
        break;
      case FieldKind::Options:
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
}

std::optional<int> FormBinder::widgetValue(std::size_t index) const {
  QWidget* widget = widgets_[index];
  switch (bindings_[index].kind) {
    case FieldKind::CheckBox:
      return CheckValue(qobject_cast<QCheckBox*>(widget));
    case FieldKind::List:
      return qobject_cast<QComboBox*>(widget)->currentIndex();
    case FieldKind::Options:
      if (!qobject_cast<QRadioButton*>(widget)->isChecked()) return std::nullopt;
      return 1;
    case FieldKind::Text:
    case FieldKind::Number:
      break;
  }
  return std::nullopt;
}

void FormBinder::updateSetting(Configuration& cfg, std::size_t index, int value) const {
  bindings_[index].setValue(cfg, value);
}

void FormBinder::updateSetting(Configuration& cfg, std::size_t index, const QString& text) const {
  bindings_[index].setText(cfg, ToLatin1(text));
}

bool FormBinder::hasChanged(const Configuration& cfg) const {
  for (std::size_t i = 0; i < bindings_.size(); ++i) {
    const Binding& b = bindings_[i];
    switch (b.kind) {
      case FieldKind::Text:
        if (!ShowsFileName(b) &&
            qobject_cast<QLineEdit*>(widgets_[i])->text() != FromLatin1(b.text(cfg)))
          return true;
        break;
      case FieldKind::CheckBox:
      case FieldKind::List:
        if (widgetValue(i) != b.value(cfg)) return true;
        break;
      case FieldKind::Options:
        if (widgetValue(i).value_or(0) != b.value(cfg)) return true;
        break;
      case FieldKind::Number:
        break;
    }
  }
  return false;
}

}  // namespace kova
