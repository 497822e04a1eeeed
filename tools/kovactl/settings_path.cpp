// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_path.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <optional>

#include "config_fields.h"
#include "config_json.h"
#include "image/clear_form.h"
#include "image/field_table.h"

namespace kova::ctl {
namespace {

// One step of a key path: a key, and an index when it names an array item.
struct Step {
  QString key;
  int index = -1;
};

std::optional<std::vector<Step>> ParsePath(const std::string& path) {
  static const QRegularExpression step(R"(^([A-Za-z][A-Za-z0-9]*)(?:\[(\d{1,3})\])?$)");
  std::vector<Step> steps;
  for (const QString& part : QString::fromStdString(path).split('.')) {
    const QRegularExpressionMatch match = step.match(part);
    if (!match.hasMatch()) return std::nullopt;
    steps.push_back(
        {match.captured(1), match.captured(2).isEmpty() ? -1 : match.captured(2).toInt()});
  }
  return steps;
}

QJsonValue At(const QJsonValue& from, const Step& step) {
  const QJsonValue value = from.toObject().value(step.key);
  if (step.index < 0) return value;
  if (!value.isArray() || step.index >= value.toArray().size()) return QJsonValue::Undefined;
  return value.toArray()[step.index];
}

// The object that sets only the value at `steps`, shaped like `current`.
QJsonValue Setting(const QJsonValue& current, const std::vector<Step>& steps, std::size_t at,
                   const QJsonValue& value) {
  if (at == steps.size()) return value;
  const Step& step = steps[at];
  const QJsonValue inner = Setting(At(current, step), steps, at + 1, value);
  QJsonObject object;
  if (step.index < 0) {
    object.insert(step.key, inner);
    return object;
  }
  // Zones take objects naming only what changes; other arrays are whole.
  QJsonArray array = current.toObject().value(step.key).toArray();
  if (step.key == "Zones") {
    array = QJsonArray();
    for (int i = 0; i < step.index; ++i)
      array.append(QJsonObject());
    array.append(inner);
  } else {
    array[step.index] = inner;
  }
  object.insert(step.key, array);
  return object;
}

std::optional<double> Number(const QString& text) {
  bool ok = false;
  const double number = text.trimmed().toDouble(&ok);
  if (!ok || text.trimmed().isEmpty()) return std::nullopt;
  return number;
}

QString NumberText(double number) {
  return QString::number(number, 'g', 17);
}

// `given` made to fit the type `current` has, where that is unambiguous.
QJsonValue Fit(const QJsonValue& given, const QJsonValue& current) {
  if (current.isString() && given.isDouble()) return NumberText(given.toDouble());
  if (current.isDouble() && given.isBool()) return given.toBool() ? 1 : 0;
  if (current.isDouble() && given.isString()) {
    if (const auto number = Number(given.toString())) return *number;
  }
  if (current.isObject() && given.isObject()) {
    return Lenient(given.toObject(), current.toObject());
  }
  if (current.isArray() && given.isArray()) {
    QJsonArray fitted;
    const QJsonArray items = given.toArray();
    const QJsonArray currentItems = current.toArray();
    for (int i = 0; i < items.size(); ++i)
      fitted.append(i < currentItems.size() ? Fit(items[i], currentItems[i]) : items[i]);
    return fitted;
  }
  return given;
}

// VALUE as typed: a JSON scalar when it reads as one, else the text itself.
QJsonValue Literal(const QString& text) {
  const QJsonDocument doc = QJsonDocument::fromJson(("[" + text + "]").toUtf8());
  if (doc.isArray() && doc.array().size() == 1 && !doc.array()[0].isArray() &&
      !doc.array()[0].isObject()) {
    return doc.array()[0];
  }
  return text;
}

}  // namespace

QJsonObject Lenient(const QJsonObject& given, const QJsonObject& current) {
  QJsonObject fitted;
  for (auto it = given.begin(); it != given.end(); ++it)
    fitted.insert(it.key(), Fit(it.value(), current.value(it.key())));
  return fitted;
}

QJsonValue ValueAt(const QJsonObject& json, const std::string& path) {
  const auto steps = ParsePath(path);
  if (!steps) return QJsonValue::Undefined;
  QJsonValue value = json;
  for (const Step& step : *steps)
    value = At(value, step);
  return value;
}

std::string ApplySetting(const std::string& assignment, Configuration& cfg) {
  const auto equals = assignment.find('=');
  if (equals == std::string::npos) {
    throw FieldError("--set " + assignment + ": expected PATH=VALUE (BaudKova=19200)");
  }
  const std::string path = assignment.substr(0, equals);
  const QString text = QString::fromStdString(assignment.substr(equals + 1));
  const QJsonObject current = ToJson(cfg);
  const auto steps = ParsePath(path);
  const QJsonValue old = steps ? ValueAt(current, path) : QJsonValue::Undefined;
  if (old.isUndefined() || old.isObject() || (old.isArray() && path.find('[') == path.npos)) {
    throw FieldError(path + ": no such field; 'kovactl fields' lists them");
  }
  // A text that must hold a number is checked against its range here, so
  // that the refusal names the path rather than the window's label.
  const FieldAt at = FindByKey(path);
  if (at && at.field->kind == FieldKind::Text && at.field->range) {
    const auto number = Number(text);
    if (number && (*number < at.field->range->min || *number > at.field->range->max)) {
      throw FieldError(
          path + ": expected a number " + NumberText(at.field->range->min).toStdString() + ".." +
          NumberText(at.field->range->max).toStdString() + ", not " + text.toStdString());
    }
  }
  // What VALUE most plainly means first; then, for lists whose items are
  // numbers or names, the other reading.
  std::vector<QJsonValue> readings{Fit(Literal(text), old), text};
  if (const auto number = Number(text)) readings.push_back(*number);
  std::optional<FieldError> first;
  for (const QJsonValue& reading : readings) {
    try {
      ApplyJson(Setting(current, *steps, 0, reading).toObject(), cfg);
      return path;
    } catch (const FieldError& refusal) {
      if (!first) first = refusal;
    }
  }
  throw *first;
}

}  // namespace kova::ctl
