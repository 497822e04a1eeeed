// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <unordered_set>

class QKeyEvent;
class QWidget;

namespace kova {

// The character a key would insert, or -1 for a key that inserts none:
// Delete, Insert, arrows, Home/End, function keys, Tab, Return, Escape and
// shortcuts. Backspace is 8. Only inserted characters go through key filters.
int TypedCode(const QKeyEvent& key);

// Watches fields whose keys are filtered and whose leaving is checked. A left
// field is checked once the focus has settled, or sooner when a click, a tab
// change or a shortcut needs the answer first. A refused field takes the focus
// back, and whatever the user did next does not happen.
class FieldGuard : public QObject {
  Q_OBJECT

 public:
  // True when the field may be left; on false the guard gives it the focus back.
  using Check = std::function<bool(QWidget* field)>;
  // True when the key must be dropped.
  using KeyFilter = std::function<bool(QWidget* field, const QKeyEvent& key)>;

  FieldGuard(Check check, KeyFilter keys, QObject* parent = nullptr);

  // Filters the field's keys, and checks it when left if checkOnLeave.
  void watch(QWidget* field, bool checkOnLeave);

  // Runs the check of the field just left, if it has not run yet. False when
  // the field was refused.
  bool ValidatePending();
  // The same before the source's click or tab change acts. False: it must not.
  bool ReadyToAct(const QWidget* source);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Check check_;
  KeyFilter keys_;
  std::unordered_set<const QObject*> checked_;  // fields checked when left
  QPointer<QWidget> pending_;                   // left, not yet checked
  QPointer<QWidget> refusedMove_;               // where the focus went when a field was refused
  bool refocusing_ = false;
};

}  // namespace kova
