// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_json.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "config_fields.h"
#include "image/clear_form.h"

namespace kova::ctl {
namespace {

QJsonObject Parse(const char* text) {
  return QJsonDocument::fromJson(text).object();
}

// The forms a JSON file gives are checked end to end by pack and show; these
// are the ones a file written by hand rarely holds.
TEST(ConfigJson, FieldsTakeTheFormsOfTheirControls) {
  Configuration cfg = StartupConfiguration();
  cfg.Zones[2].CloseFunc = 4;
  cfg.Sign1Func = kNoSelection;
  cfg.ETI = "1234:05";
  const QJsonObject json = ToJson(cfg);
  EXPECT_EQ(json["ComPort"], QJsonValue(1));
  EXPECT_EQ(json["ETI"], QJsonValue("1234:05"));
  EXPECT_EQ(json["Sign1Func"], QJsonValue(QJsonValue::Null));
  EXPECT_EQ(json["Zones"].toArray()[2].toObject()["CloseFunc"], QJsonValue("ALL"));
  EXPECT_EQ(json["Zones"].toArray().size(), kZoneCount);
}

TEST(ConfigJson, EveryFieldSurvivesAJsonRoundTrip) {
  Configuration cfg = StartupConfiguration();
  cfg.PocsagBaud = PocsagRate::None;
  cfg.Polarity = PolarityMode::Inverted;
  cfg.Hunting = HuntingMode::On;
  cfg.SndrMode = OutputMode::Timed;
  cfg.BaudPC = 7;
  cfg.ComPort = 15;
  cfg.ChanSpaceOption = 0;
  cfg.ChanSpace = 5000;
  cfg.Freq = 152000000;
  cfg.SynthN = 21400;
  cfg.Ver = {"KOVA PRO", "3.15", "\xe9t\xe9"};  // Latin-1 survives
  cfg.VC = "A~B";
  cfg.AlphaVC = 2;
  for (int i = 0; i < kZoneCount; ++i) {
    cfg.Zones[i].ToggleRIC2 = std::to_string(i * 1111);
    cfg.Zones[i].OpenFunc = i % 5;
    cfg.Zones[i].RlyChan = i % 2;
  }
  Configuration read = StartupConfiguration();
  ApplyJson(ToJson(cfg), read);
  EXPECT_EQ(read, cfg);
  EXPECT_TRUE(Differences(read, cfg).empty());
}

TEST(ConfigJson, FieldsLeftOutKeepTheirValuesAndNullClearsASelection) {
  Configuration cfg = StartupConfiguration();
  cfg.ResetRIC = "77";
  ApplyJson(Parse(R"({"Sign2RIC": "5", "Polarity": null, "Sign1Func": null,
                      "Zones": [{"OpenFunc": null}, {"CloseTMax": "600"}]})"),
            cfg);
  EXPECT_EQ(cfg.ResetRIC, "77");
  EXPECT_EQ(cfg.Sign2RIC, "5");
  EXPECT_EQ(cfg.Zones[1].CloseTMax, "600");
  EXPECT_EQ(cfg.Zones[0].CloseTMax, "0");
  EXPECT_EQ(cfg.Polarity, PolarityMode::None);
  EXPECT_EQ(cfg.Sign1Func, kNoSelection);
  EXPECT_EQ(cfg.Zones[0].OpenFunc, kNoSelection);
}

TEST(ConfigJson, AssignsDirectlyWithoutClickRules) {
  Configuration cfg = StartupConfiguration();
  ApplyJson(Parse(R"({"PocsagBaud": 2400, "Polarity": "Auto", "ClkJog": "9"})"), cfg);
  EXPECT_EQ(cfg.Polarity, PolarityMode::Auto);  // the 2400 rule would have dropped it
  EXPECT_EQ(cfg.ClkJog, "9");
}

TEST(ConfigJson, RefusalsNameTheFieldAndChangeNothing) {
  const std::vector<std::pair<const char*, std::string>> cases{
      {R"({"Foo": 1})", "Foo: unknown field"},
      {R"({"CloseRIC1": "1"})", "CloseRIC1: unknown field"},
      {R"({"Zones": [{"ResetRIC": "1"}]})", "Zones[0].ResetRIC: unknown field"},
      {R"({"ResetRIC": 5})", "ResetRIC: expected a string"},
      {R"({"Zones": [{}, {}, {"CloseFunc": "E"}]})",
       "Zones[2].CloseFunc: expected A, B, C, D, ALL or null"},
      {R"({"ResetFunc": "ALL"})", "ResetFunc: expected A, B, C, D or null"},
      {R"({"EnableClose": 1})", "EnableClose: unknown field"},
      {R"({"SynthRx": 3})", "SynthRx: expected 0, 1 or 2"},
      {R"({"SynthRx": 0.5})", "SynthRx: expected 0, 1 or 2"},
      {R"({"PocsagBaud": 600})", "PocsagBaud: expected 512, 1200, 2400 or null"},
      {R"({"BaudKova": "9600"})",
       "BaudKova: expected 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200 or null"},
      {R"({"ComPort": 17})",
       "ComPort: expected 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 or null"},
      {R"({"ChanSpace": 12500})", "ChanSpace: expected 5000 or 6250"},
      {R"({"Freq": "459"})", "Freq: expected a number"},
      {R"({"SynthN": 262144})", "SynthN: expected a whole number 0..262143"},
      {R"({"Ver": ["a", "b"]})", "Ver: expected an array of three strings"},
      {R"({"Zones": [1]})", "Zones[0]: expected an object"},
      {R"({"Zones": {}})", "Zones: expected an array of at most ten objects"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    Configuration cfg = StartupConfiguration();
    const Configuration before = cfg;
    // Keys are applied in sorted order, so this valid one goes first and must not stick.
    QJsonObject json = Parse(text);
    json.insert("AlphaVC", 1);
    try {
      ApplyJson(json, cfg);
      ADD_FAILURE() << "accepted";
    } catch (const FieldError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(cfg, before);
  }
}

TEST(ConfigText, ShowsTabsZonesAndTheFrequencyInMegahertz) {
  const std::string text = ShowText(StartupConfiguration());
  EXPECT_NE(text.find("General\n"), std::string::npos);
  EXPECT_NE(text.find("\nChan 10\n"), std::string::npos);
  EXPECT_NE(text.find("459.050 000 MHz"), std::string::npos);
  EXPECT_NE(text.find("  CloseFunc            A\n"), std::string::npos);
}

TEST(ConfigText, DifferencesNameTheZoneAndBothValues) {
  Configuration a = StartupConfiguration();
  Configuration b = a;
  b.Zones[2].CloseRIC1 = "1000";
  b.Polarity = PolarityMode::Inverted;
  b.Sign1Func = kNoSelection;
  b.FileName = "other.kova";
  const std::vector<std::string> expected{"Polarity: Normal | Inverted", "Sign1Func: A | (none)",
                                          "Chan 3 CloseRIC1: 0 | 1000"};
  EXPECT_EQ(Differences(a, b), expected);
}

}  // namespace
}  // namespace kova::ctl
