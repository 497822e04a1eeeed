#include "config_fields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <array>
#include <utility>

namespace kova::ctl {
namespace {

// The record a field lives in: the configuration itself or one of its zones.
template <class Record>
Record& In(Configuration& cfg, int zone) {
  if constexpr (std::is_same_v<Record, Zone>) {
    return cfg.Zones.at(static_cast<std::size_t>(zone));
  } else {
    return cfg;
  }
}

template <class Record>
const Record& In(const Configuration& cfg, int zone) {
  return In<Record>(const_cast<Configuration&>(cfg), zone);
}

[[noreturn]] void Expected(const std::string& what) {
  throw FieldError("expected " + what);
}

template <class Record>
ConfigField Text(const char* name, const char* tab, std::string Record::*member) {
  return {name, tab, std::is_same_v<Record, Zone>,
          [=](const Configuration& cfg, int zone) {
            return QJsonValue(QString::fromLatin1(In<Record>(cfg, zone).*member));
          },
          [=](Configuration& cfg, int zone, const QJsonValue& value) {
            if (!value.isString()) Expected("a string");
            In<Record>(cfg, zone).*member = value.toString().toLatin1().toStdString();
          }};
}

template <class Record>
ConfigField CheckBox(const char* name, const char* tab, Check Record::*member) {
  return {
      name, tab, std::is_same_v<Record, Zone>,
      [=](const Configuration& cfg, int zone) { return QJsonValue(In<Record>(cfg, zone).*member); },
      [=](Configuration& cfg, int zone, const QJsonValue& value) {
        const int v = value.toInt(-1);
        if (!value.isDouble() || value.toDouble() != v || v < 0 || v > 2) Expected("0, 1 or 2");
        In<Record>(cfg, zone).*member = v;
      }};
}

// A list or option group shown as one of a few names (or numbers), null for no selection.
template <class Record, class T>
ConfigField Choice(const char* name, const char* tab, T Record::*member,
                   std::vector<std::pair<T, QJsonValue>> choices, T none) {
  std::string allowed;
  for (const auto& [v, json] : choices) {
    allowed += (allowed.empty() ? "" : ", ") + ValueText(json);
  }
  return {name, tab, std::is_same_v<Record, Zone>,
          [=](const Configuration& cfg, int zone) {
            for (const auto& [v, json] : choices) {
              if (In<Record>(cfg, zone).*member == v) return json;
            }
            return QJsonValue(QJsonValue::Null);
          },
          [=](Configuration& cfg, int zone, const QJsonValue& value) {
            if (value.isNull()) {
              In<Record>(cfg, zone).*member = none;
              return;
            }
            for (const auto& [v, json] : choices) {
              if (json == value) {
                In<Record>(cfg, zone).*member = v;
                return;
              }
            }
            Expected(allowed + " or null");
          }};
}

template <class Record>
ConfigField Function(const char* name, const char* tab, ListIndex Record::*member, int count) {
  std::vector<std::pair<ListIndex, QJsonValue>> choices;
  for (int code = 0; code < count; ++code)
    choices.emplace_back(code, QJsonValue(kFunctionNames[code]));
  return Choice(name, tab, member, choices, kNoSelection);
}

ConfigField Rate(const char* name, ListIndex Configuration::*member) {
  std::vector<std::pair<ListIndex, QJsonValue>> choices;
  for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i)
    choices.emplace_back(i, kBaudRates[i]);
  return Choice(name, "Comms", member, choices, kNoSelection);
}

ConfigField ComPort() {
  std::vector<std::pair<ListIndex, QJsonValue>> choices;
  for (int i = 0; i < 16; ++i)
    choices.emplace_back(i, i + 1);
  return Choice("ComPort", "Comms", &Configuration::ComPort, choices, kNoSelection);
}

ConfigField Mode(const char* name, OutputMode Configuration::*member) {
  return Choice<Configuration, OutputMode>(
      name, "Options", member,
      {{OutputMode::Timed, QJsonValue("Timed")}, {OutputMode::WireOrd, QJsonValue("WireOrd")}},
      OutputMode::None);
}

// The spacing is both a number and the option button that shows it.
ConfigField ChanSpace() {
  return {"ChanSpace", "Engineering", false,
          [](const Configuration& cfg, int) { return QJsonValue(cfg.ChanSpace); },
          [](Configuration& cfg, int, const QJsonValue& value) {
            const int hertz = value.toInt();
            if (hertz != 5000 && hertz != 6250) Expected("5000 or 6250");
            cfg.ChanSpace = hertz;
            cfg.ChanSpaceOption = hertz == 5000 ? 0 : 1;
          }};
}

ConfigField Number(const char* name, std::function<double&(Configuration&)> field, bool whole) {
  return {name, "Engineering", false,
          [=](const Configuration& cfg, int) {
            return QJsonValue(field(const_cast<Configuration&>(cfg)));
          },
          [=](Configuration& cfg, int, const QJsonValue& value) {
            if (!value.isDouble()) Expected("a number");
            if (whole && value.toDouble() != static_cast<double>(value.toInteger()))
              Expected("a whole number");
            field(cfg) = value.toDouble();
          }};
}

ConfigField SynthN() {
  return {"SynthN", "Engineering", false,
          [](const Configuration& cfg, int) { return QJsonValue(cfg.SynthN); },
          [](Configuration& cfg, int, const QJsonValue& value) {
            const auto n = value.toInteger(-1);
            if (!value.isDouble() || value.toDouble() != static_cast<double>(n) || n < 0 ||
                n > 262143) {
              Expected("a whole number 0..262143");
            }
            cfg.SynthN = static_cast<int>(n);
          }};
}

ConfigField Versions() {
  return {"Ver", "General", false,
          [](const Configuration& cfg, int) {
            QJsonArray texts;
            for (const auto& v : cfg.Ver)
              texts.append(QString::fromLatin1(v));
            return QJsonValue(texts);
          },
          [](Configuration& cfg, int, const QJsonValue& value) {
            const QJsonArray texts = value.toArray();
            if (!value.isArray() || texts.size() != 3) Expected("an array of three strings");
            for (int i = 0; i < 3; ++i) {
              if (!texts[i].isString()) Expected("an array of three strings");
              cfg.Ver[static_cast<std::size_t>(i)] = texts[i].toString().toLatin1().toStdString();
            }
          }};
}

std::vector<ConfigField> MakeFields() {
  using C = Configuration;
  using Z = Zone;
  const int two = kTwoBitFunctions;
  const int three = kThreeBitFunctions;
  return {
      Text("FileName", "General", &C::FileName),
      Versions(),
      Choice<C, PocsagRate>(
          "PocsagBaud", "General", &C::PocsagBaud,
          {{PocsagRate::R512, 512}, {PocsagRate::R1200, 1200}, {PocsagRate::R2400, 2400}},
          PocsagRate::None),
      Choice<C, PolarityMode>("Polarity", "General", &C::Polarity,
                              {{PolarityMode::Auto, QJsonValue("Auto")},
                               {PolarityMode::Normal, QJsonValue("Normal")},
                               {PolarityMode::Inverted, QJsonValue("Inverted")}},
                              PolarityMode::None),
      Text("ETI", "Engineering", &C::ETI),
      CheckBox("SynthRx", "Engineering", &C::SynthRx),
      ChanSpace(),
      Number(
          "Freq", [](C& c) -> double& { return c.Freq; }, true),
      SynthN(),
      CheckBox("FrmZero", "Engineering", &C::FrmZero),
      CheckBox("SingleMsg", "Engineering", &C::SingleMsg),
      CheckBox("SpeedLetter", "Engineering", &C::SpeedLetter),
      ComPort(),
      Rate("BaudPC", &C::BaudPC),
      Rate("BaudKova", &C::BaudKova),
      Choice<C, HuntingMode>(
          "Hunting", "PLL", &C::Hunting,
          {{HuntingMode::On, QJsonValue("On")}, {HuntingMode::Off, QJsonValue("Off")}},
          HuntingMode::None),
      Text("ClkJog", "PLL", &C::ClkJog),
      Text("ClkJogLpos", "PLL", &C::ClkJogLpos),
      Text("ClkJogLneg", "PLL", &C::ClkJogLneg),
      Text("ClkInc", "PLL", &C::ClkInc),
      CheckBox("Sign1Enable", "Serial Data", &C::Sign1Enable),
      Text("Sign1RIC", "Serial Data", &C::Sign1RIC),
      Function("Sign1Func", "Serial Data", &C::Sign1Func, two),
      CheckBox("Sign2Enable", "Serial Data", &C::Sign2Enable),
      Text("Sign2RIC", "Serial Data", &C::Sign2RIC),
      Function("Sign2Func", "Serial Data", &C::Sign2Func, two),
      CheckBox("EnableAlphaRepeat", "Serial Data", &C::EnableAlphaRepeat),
      Text("RepeatRIC1", "Serial Data", &C::RepeatRIC1),
      Text("RepeatRIC2", "Serial Data", &C::RepeatRIC2),
      Function("AlphaRepeatFunc", "Serial Data", &C::AlphaRepeatFunc, three),
      CheckBox("EnableAlphaCode", "Serial Data", &C::EnableAlphaCode),
      CheckBox("EnableAlphaSub", "Serial Data", &C::EnableAlphaSub),
      Text("AlphaSubRIC", "Serial Data", &C::AlphaSubRIC),
      Function("AlphaSubFunc", "Serial Data", &C::AlphaSubFunc, two),
      CheckBox("EnableNumericRepeat", "Serial Data", &C::EnableNumericRepeat),
      Text("RepeatRIC3", "Serial Data", &C::RepeatRIC3),
      Text("RepeatRIC4", "Serial Data", &C::RepeatRIC4),
      Function("NumericRepeatFunc", "Serial Data", &C::NumericRepeatFunc, three),
      CheckBox("EnableNumericCode", "Serial Data", &C::EnableNumericCode),
      CheckBox("EnableNumericSub", "Serial Data", &C::EnableNumericSub),
      Text("NumericSubRIC", "Serial Data", &C::NumericSubRIC),
      Function("NumericSubFunc", "Serial Data", &C::NumericSubFunc, two),
      Text("CloseRIC1", "Chan", &Z::CloseRIC1),
      Function("CloseFunc", "Chan", &Z::CloseFunc, three),
      Text("CloseRIC2", "Chan", &Z::CloseRIC2),
      CheckBox("EnableClose", "Chan", &Z::EnableClose),
      Text("CloseTMax", "Chan", &Z::CloseTMax),
      CheckBox("TxMonitor", "Chan", &Z::TxMonitor),
      Text("OpenRIC1", "Chan", &Z::OpenRIC1),
      Function("OpenFunc", "Chan", &Z::OpenFunc, three),
      Text("OpenRIC2", "Chan", &Z::OpenRIC2),
      CheckBox("EnableOpen", "Chan", &Z::EnableOpen),
      Text("ToggleRIC1", "Chan", &Z::ToggleRIC1),
      Function("ToggleFunc", "Chan", &Z::ToggleFunc, three),
      Text("ToggleRIC2", "Chan", &Z::ToggleRIC2),
      CheckBox("EnableToggle", "Chan", &Z::EnableToggle),
      CheckBox("SndrChan", "Chan", &Z::SndrChan),
      CheckBox("RlyChan", "Chan", &Z::RlyChan),
      CheckBox("ResetEnable", "Options", &C::ResetEnable),
      Text("ResetRIC", "Options", &C::ResetRIC),
      Function("ResetFunc", "Options", &C::ResetFunc, two),
      Mode("SndrMode", &C::SndrMode),
      Text("SndrTime", "Options", &C::SndrTime),
      Mode("RlyMode", &C::RlyMode),
      Text("RlyTime", "Options", &C::RlyTime),
      Text("RepeatFilter", "Options", &C::RepeatFilter),
      CheckBox("NumericVC", "Verification", &C::NumericVC),
      CheckBox("AlphaVC", "Verification", &C::AlphaVC),
      Text("VC", "Verification", &C::VC),
  };
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
