// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_fields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <optional>

#include "image/field_table.h"

namespace kova::ctl {
namespace {

[[noreturn]] void Expected(const std::string& what) {
  throw FieldError("expected " + what);
}

QJsonValue ItemJson(const Field& field, const FieldItem& item) {
  if (field.numericItems) return QJsonValue(std::stod(item.text));
  return QJsonValue(QString::fromStdString(item.text));
}

// "512, 1200, 2400"
std::string Allowed(const Field& field) {
  std::string allowed;
  for (const auto& item : field.items)
    allowed += (allowed.empty() ? "" : ", ") + item.text;
  return allowed;
}

// The number a JSON value holds when it is a whole number, nothing otherwise.
std::optional<double> Whole(const QJsonValue& value) {
  if (!value.isDouble() || value.toDouble() != static_cast<double>(value.toInteger()))
    return std::nullopt;
  return value.toDouble();
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

// Stores directly: JSON runs no click rule.
ConfigField::Set Setter(const Field& field) {
  const Field* f = &field;
  switch (field.kind) {
    case FieldKind::Text:
      if (field.count() == 3) {
        return [f](Configuration& cfg, int, const QJsonValue& value) {
          const QJsonArray texts = value.toArray();
          if (!value.isArray() || texts.size() != f->count()) Expected("an array of three strings");
          for (int i = 0; i < f->count(); ++i) {
            if (!texts[i].isString()) Expected("an array of three strings");
          }
          for (int i = 0; i < f->count(); ++i)
            SetText(cfg, *f, i, texts[i].toString().toLatin1().toStdString());
        };
      }
      return [f](Configuration& cfg, int zone, const QJsonValue& value) {
        if (!value.isString()) Expected("a string");
        SetText(cfg, *f, zone, value.toString().toLatin1().toStdString());
      };
    case FieldKind::CheckBox:
      return [f](Configuration& cfg, int zone, const QJsonValue& value) {
        const auto v = Whole(value);
        if (!v || *v < 0 || *v > 2) Expected("0, 1 or 2");
        SetNumber(cfg, *f, zone, *v);
      };
    case FieldKind::List:
    case FieldKind::Options:
      return [f](Configuration& cfg, int zone, const QJsonValue& value) {
        if (value.isNull()) return SetNumber(cfg, *f, zone, f->none);
        for (const auto& item : f->items) {
          if (ItemJson(*f, item) == value) return SetNumber(cfg, *f, zone, item.value);
        }
        Expected(Allowed(*f) + " or null");
      };
    case FieldKind::Number:
      break;
  }
  return [f](Configuration& cfg, int zone, const QJsonValue& value) {
    const auto v = Whole(value);
    if (!f->items.empty()) {
      // "5000 or 6250"
      std::string allowed = Allowed(*f);
      if (const auto comma = allowed.rfind(", "); comma != std::string::npos)
        allowed.replace(comma, 2, " or ");
      const bool listed = v && std::any_of(f->items.begin(), f->items.end(),
                                           [&](const FieldItem& item) { return item.value == *v; });
      if (!listed) Expected(allowed);
    } else if (f->range) {
      if (!v || *v < f->range->min || *v > f->range->max) {
        Expected("a whole number " + std::to_string(static_cast<long long>(f->range->min)) + ".." +
                 std::to_string(static_cast<long long>(f->range->max)));
      }
    } else {
      if (!value.isDouble()) Expected("a number");
      if (!v) Expected("a whole number");
    }
    SetNumber(cfg, *f, zone, *v);
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
