// SPDX-License-Identifier: GPL-3.0-or-later
// The fields verb: every key path of the JSON form, what it holds and where it lives.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli.h"
#include "image/field_input.h"
#include "image/field_table.h"
#include "image/verification_code.h"

namespace kova::ctl {
namespace {

const char* Home(FieldHome home) {
  switch (home) {
    case FieldHome::Unit:
      return "unit";
    case FieldHome::Pc:
      return "pc";
    case FieldHome::ReadOnly:
      return "read-only";
  }
  return "";
}

// The JSON type of the value 'show --json' prints and pack reads.
const char* Type(const Field& field) {
  switch (field.kind) {
    case FieldKind::Text:
      return "string";
    case FieldKind::CheckBox:
      return "integer";
    case FieldKind::List:
    case FieldKind::Options:
      return field.numericItems ? "integer" : "string";
    case FieldKind::Number:
      return "integer";
  }
  return "";
}

// The text listing's short form of the type.
std::string Shape(const Field& field) {
  if (field.kind == FieldKind::CheckBox) return "check";
  if (!field.items.empty()) return "list";
  if (field.kind == FieldKind::Text) return field.range ? "text (number)" : "text";
  return "number";
}

QJsonValue OrNull(std::string_view text) {
  if (text.empty()) return QJsonValue::Null;
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Where the value lives in the image: the run of bits, counted from the
// zone's first byte for a zone's field.
QJsonValue Bits(const Field& field) {
  if (field.codec == Codec::None) return QJsonValue::Null;
  return QJsonObject{{"byte", field.bits.byte},
                     {"first", field.bits.first},
                     {"width", field.bits.width},
                     {"inZone", field.zoned() && field.codec != Codec::ZoneBit}};
}

// "Zones[0..9].CloseRIC1", "Ver[0..2]", "RlyTime".
std::string Path(const Field& field) {
  const std::string key(field.key);
  if (field.zoned()) return "Zones[0.." + std::to_string(kZoneCount - 1) + "]." + key;
  if (field.count() > 1) return key + "[0.." + std::to_string(field.count() - 1) + "]";
  return key;
}

QJsonValue Items(const Field& field) {
  if (field.kind == FieldKind::CheckBox) return QJsonArray{0, 1, 2};
  if (field.items.empty()) return QJsonValue::Null;
  QJsonArray items;
  for (const FieldItem& item : field.items) {
    items.append(field.numericItems ? QJsonValue(std::stod(item.text))
                                    : QJsonValue(QString::fromStdString(item.text)));
  }
  return items;
}

QJsonValue Range(const Field& field) {
  if (!field.range) return QJsonValue::Null;
  return QJsonObject{{"min", field.range->min}, {"max", field.range->max}};
}

// "0..2097151", "A, B, C, D, ALL", "0 (off), 1 (on), 2 (greyed)".
std::string Values(const Field& field) {
  if (field.kind == FieldKind::CheckBox) return "0/1/2 (off, on, greyed) or false/true";
  if (field.range) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f..%.0f", field.range->min, field.range->max);
    return text;
  }
  std::string items;
  for (const FieldItem& item : field.items)
    items += (items.empty() ? "" : ", ") + item.text;
  return items;
}

QJsonObject Describe(const Field& field, const std::string& path) {
  const bool setOnlyByUnit = WhyNotSettable(field).has_value();
  QJsonObject entry{{"path", QString::fromStdString(path)},
                    {"label", OrNull(field.label)},
                    {"tab", OrNull(field.tab)},
                    {"type", Type(field)},
                    {"nullable", field.kind == FieldKind::List || field.kind == FieldKind::Options},
                    {"unit", OrNull(field.unit)},
                    {"range", Range(field)},
                    {"step", field.step > 1 ? QJsonValue(field.step) : QJsonValue::Null},
                    {"length", field.length > 0 ? QJsonValue(field.length) : QJsonValue::Null},
                    {"chars", OrNull(field.chars)},
                    {"items", Items(field)},
                    {"lives", Home(field.home)},
                    {"bits", Bits(field)},
                    {"readOnly", setOnlyByUnit}};
  if (const auto why = WhyNotSettable(field)) entry.insert("why", QString::fromStdString(*why));
  if (std::holds_alternative<double Configuration::*>(field.member))
    entry.insert("raster", "ChanSpace");
  if (field.key == "VC") entry.insert("alphaLength", kMaxAlphaChars);
  return entry;
}

}  // namespace

Verb Fields() {
  static const QCommandLineOption json(
      "json", "Print the list as one JSON object (\"format\": \"kova-fields/1\").");
  return {"fields",
          "List every key path of 'show --json' with its type, unit, values and where it lives.",
          [](QCommandLineParser& p) { p.addOption(json); },
          [](const QCommandLineParser& p) {
            if (!p.positionalArguments().isEmpty()) return UsageError("fields", "takes no file");
            QJsonArray list;
            std::string text;
            for (const Field& field : kova::Fields()) {
              if (field.key.empty()) continue;
              list.append(Describe(field, Path(field)));
              char row[160];
              std::snprintf(row, sizeof row, "%-26s %-14s %-8s %-9s ", Path(field).c_str(),
                            Shape(field).c_str(), std::string(field.unit).c_str(),
                            Home(field.home));
              text += row + Values(field) + "\n";
            }
            const QJsonObject described{{"format", "kova-fields/1"}, {"fields", list}};
            PrintOut(p.isSet(json)
                         ? QJsonDocument(described).toJson(QJsonDocument::Indented).toStdString()
                         : text);
            return int{kOk};
          },
          "'unit': packed into the unit's image; 'pc': kept by this computer (BaudPC,\n"
          "ComPort, FileName); 'read-only': read from the unit and never written (ETI,\n"
          "Ver). 'pack --set PATH=VALUE' takes these paths with a zone number for i."};
}

}  // namespace kova::ctl
