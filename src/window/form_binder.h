// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "window/view_bindings.h"

class QLabel;
class QWidget;

namespace kova {

// Joins the window's controls to the Configuration through the binding
// table: updateWidgets shows the model, a user's edit is reported as a
// signal with its binding, and updateSetting puts the edited value into the
// model. The binder keeps no copy of the values; the model is the truth.
class FormBinder : public QObject {
  Q_OBJECT

 public:
  // Finds a control by its object name; throws when there is none.
  using Lookup = std::function<QWidget*(const std::string&)>;

  FormBinder(std::vector<Binding> bindings, const Lookup& control, QObject* parent = nullptr);

  std::size_t size() const { return bindings_.size(); }
  const Binding& binding(std::size_t index) const { return bindings_[index]; }
  QWidget* widget(std::size_t index) const { return widgets_[index]; }
  // The binding of a bound control.
  std::optional<std::size_t> indexOf(const QObject* widget) const;

  // Shows the model: every control's value, what is shown or hidden and the
  // captions that follow values. fileName is what txtFileName shows.
  void updateWidgets(const Configuration& cfg, const QString& fileName);
  // What the user has just set the control to, before the model has it: a
  // check box's value, a list's index, 1 for a selected option button and
  // nothing for one that was just deselected (its partner reports the change).
  std::optional<int> widgetValue(std::size_t index) const;
  // Puts a value into the model through the rule a click runs.
  void updateSetting(Configuration& cfg, std::size_t index, int value) const;
  void updateSetting(Configuration& cfg, std::size_t index, const QString& text) const;
  // True while a control shows something other than the model holds.
  bool hasChanged(const Configuration& cfg) const;

 signals:
  void clicked(std::size_t index);  // a check box, option button or list
  void textEdited(std::size_t index, const QString& text);

 private:
  struct Shown {
    std::vector<QWidget*> widgets;
    std::function<bool(const Configuration&)> shown;
  };

  std::vector<Binding> bindings_;
  std::vector<QWidget*> widgets_;
  std::unordered_map<const QObject*, std::size_t> indexOf_;
  std::vector<Shown> visibility_;
  std::vector<std::pair<QLabel*, CaptionRule>> captions_;
};

}  // namespace kova
