// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_fields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <optional>

#include "image/field_input.h"
#include "image/field_table.h"

namespace kova::ctl {
namespace {

QJsonValue ItemJson(const Field& field, const FieldItem& item) {
  if (field.numericItems) return QJsonValue(std::stod(item.text));
  return QJsonValue(QString::fromStdString(item.text));
}

ConfigField::Get Getter(const Field& field) {
  const Field* f = &field;
  switch (field.kind) {
    case FieldKind::Text:
      if (field.count() == 3) {
        return [f](const Configuration& cfg, int) {
          QJsonArray texts;
          for (int i = 0; i < f->count(); ++i)
            texts.append(QString::fromLatin1(GetText(cfg, *f, i)));
          return QJsonValue(texts);
        };
      }
      return [f](const Configuration& cfg, int zone) {
        return QJsonValue(QString::fromLatin1(GetText(cfg, *f, zone)));
      };
    case FieldKind::List:
    case FieldKind::Options:
      // A list or option group shows as one of its items, null for no selection.
      return [f](const Configuration& cfg, int zone) {
        const double value = GetNumber(cfg, *f, zone);
        for (const auto& item : f->items) {
          if (item.value == value) return ItemJson(*f, item);
        }
        return QJsonValue(QJsonValue::Null);
      };
    case FieldKind::CheckBox:
    case FieldKind::Number:
      break;
  }
  // Freq is kept as a double; every other number is whole.
  const bool real = std::holds_alternative<double Configuration::*>(field.member);
  return [f, real](const Configuration& cfg, int zone) {
    const double value = GetNumber(cfg, *f, zone);
    return real ? QJsonValue(value) : QJsonValue(static_cast<int>(value));
  };
}

// A JSON value in the form the field rows read.
FieldInput Input(const QJsonValue& value) {
  if (value.isNull()) return {.form = FieldInput::Form::Null};
  if (value.isBool()) return {.form = FieldInput::Form::Boolean, .boolean = value.toBool()};
  if (value.isString())
    return {.form = FieldInput::Form::Text, .text = value.toString().toLatin1().toStdString()};
  const double number = value.toDouble();
  // Whole numbers as their digits, so that "19200" and 19200 name the same item.
  const bool whole = number == static_cast<double>(value.toInteger());
  return {.form = FieldInput::Form::Number,
          .text = whole ? std::to_string(value.toInteger())
                        : QString::number(number, 'g', 17).toStdString(),
          .number = number};
}

// Stores directly: JSON runs no click rule. Refusals name the path.
ConfigField::Set Setter(const Field& field) {
  const Field* f = &field;
  if (field.count() == 3) {
    return [f](Configuration& cfg, int, const QJsonValue& value) {
      const QJsonArray texts = value.toArray();
      bool strings = value.isArray() && texts.size() == f->count();
      for (int i = 0; strings && i < f->count(); ++i)
        strings = texts[i].isString();
      if (!strings) throw FieldError(std::string(f->key) + ": expected an array of three strings");
      for (int i = 0; i < f->count(); ++i)
        SetText(cfg, *f, i, texts[i].toString().toLatin1().toStdString());
    };
  }
  return [f](Configuration& cfg, int zone, const QJsonValue& value) {
    if (value.isArray() || value.isObject())
      throw FieldError(KeyPath(*f, zone) + ": expected a single value");
    try {
      SetFieldValue(cfg, *f, zone, Input(value));
    } catch (const FieldRefused& refusal) {
      throw FieldError(refusal.what());
    }
  };
}

std::vector<ConfigField> MakeFields() {
  std::vector<ConfigField> fields;
  for (const Field& field : Fields()) {
    if (field.key.empty()) continue;
    fields.push_back({std::string(field.key), std::string(field.tab), field.zoned(), Getter(field),
                      Setter(field)});
  }
  return fields;
}

}  // namespace

const std::vector<ConfigField>& ConfigFields() {
  static const std::vector<ConfigField> fields = MakeFields();
  return fields;
}

std::string ValueText(const QJsonValue& value) {
  if (value.isNull() || value.isUndefined()) return "(none)";
  if (value.isString()) return value.toString().toStdString();
  if (value.isDouble()) return QString::number(value.toDouble(), 'f', 0).toStdString();
  if (value.isArray()) {
    return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact).toStdString();
  }
  return value.toBool() ? "true" : "false";
}

}  // namespace kova::ctl
