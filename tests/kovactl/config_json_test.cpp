// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_json.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "config_fields.h"
#include "every_field.h"
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

// Every field, generated from the table, and the forms only a file brings
// (greyed, nothing selected, Latin-1 text).
TEST(ConfigJson, EveryFieldSurvivesAJsonRoundTrip) {
  Configuration cfg = testing::EveryField();
  cfg.PocsagBaud = PocsagRate::None;
  cfg.AlphaVC = 2;
  cfg.Ver[2] = "\xe9t\xe9";
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
  // What each value may be is the field rows' (tests/image); here only that
  // JSON reaches them under the value's path.
  const std::vector<std::pair<const char*, std::string>> cases{
      {R"({"Foo": 1})", "Foo: unknown field"},
      {R"({"CloseRIC1": "1"})", "CloseRIC1: unknown field"},
      {R"({"Zones": [{"ResetRIC": "1"}]})", "Zones[0].ResetRIC: unknown field"},
      {R"({"Zones": [{}, {"CloseTMax": 15}]})",
       "Zones[1].CloseTMax: 15 is not a whole 10 s step (10 or 20)"},
      {R"({"SynthRx": 0.5})", "SynthRx: 0.5 is not 0, 1, 2 (greyed), true or false"},
      {R"({"Freq": 459051000})",
       "Freq: 459051000 is not on the 6250 Hz raster (459050000 or 459056250)"},
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
  EXPECT_NE(text.find("  Zones[9].CloseFunc       A\n"), std::string::npos);
  EXPECT_NE(text.find("  Ver[2]   "), std::string::npos);
}

TEST(ConfigText, DifferencesNameTheZoneAndBothValues) {
  Configuration a = StartupConfiguration();
  Configuration b = a;
  b.Zones[2].CloseRIC1 = "1000";
  b.Polarity = PolarityMode::Inverted;
  b.Sign1Func = kNoSelection;
  b.FileName = "other.kova";
  const std::vector<std::string> expected{"Polarity: Normal | Inverted", "Sign1Func: A | (none)",
                                          "Zones[2].CloseRIC1: 0 | 1000"};
  EXPECT_EQ(Differences(a, b), expected);
}

}  // namespace
}  // namespace kova::ctl
