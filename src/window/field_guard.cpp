// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/field_guard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace kova {

int TypedCode(const QKeyEvent& key) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return -1;
  if (key.key() == Qt::Key_Backspace) return 8;
  if (key.text().isEmpty()) return -1;
  const char16_t code = key.text().at(0).unicode();
  // Delete types 127, Return 13, Escape 27: they edit or act, they insert nothing.
  if (code < 32 || code == 127) return -1;
  return code;
}

FieldGuard::FieldGuard(Check check, KeyFilter keys, QObject* parent)
    : QObject(parent), check_(std::move(check)), keys_(std::move(keys)) {}

void FieldGuard::watch(QWidget* field, bool checkOnLeave) {
  field->installEventFilter(this);
  if (checkOnLeave) checked_.insert(field);
}

bool FieldGuard::ReadyToAct(const QWidget* source) {
  if (!ValidatePending()) return false;
  // A button's shortcut clicks a moment after it took the focus; when that
  // move was refused, the late click must not act either.
  if (source && source == refusedMove_) {
    refusedMove_ = nullptr;
    return false;
  }
  return true;
}

bool FieldGuard::ValidatePending() {
  if (!pending_) return true;
  QWidget* field = pending_;
  pending_ = nullptr;
  if (check_(field)) {
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

bool FieldGuard::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QWidget*>(watched);
  if (!field) return false;
  if (event->type() == QEvent::KeyPress) return keys_(field, *static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::FocusOut && !refocusing_ && checked_.contains(watched)) {
    // Leaving for a menu, a list's popup or another application is not leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return false;
    if (!ValidatePending()) return false;
    pending_ = field;
    // The check runs once the focus has settled, unless a click needs it sooner.
    QMetaObject::invokeMethod(
        this, [this] { ValidatePending(); }, Qt::QueuedConnection);
  }
  return false;
}

}  // namespace kova
