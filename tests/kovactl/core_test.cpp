// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl's own code called directly: exit statuses, --set, the JSON form and
// the listings. What each value may be is the field rows' (tests/image).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "cli.h"
#include "config_fields.h"
#include "config_json.h"
#include "every_field.h"
#include "image/clear_form.h"
#include "set_option.h"

namespace kova::ctl {
namespace {

QJsonObject Parse(const char* text) {
  return QJsonDocument::fromJson(text).object();
}

// A device verb's exit status follows how the link says it ended, never the
// words of its message.
TEST(KovactlExit, FollowsTheOutcome) {
  const std::pair<Outcome, Exit> cases[] = {
      {Outcome::None, kOk},
      {Outcome::NoAnswer, kNoAnswer},
      {Outcome::Differences, kDifferences},
      {Outcome::PortProblem, kPortUnavailable},
      {Outcome::UnexpectedData, kFailed},
      {Outcome::HangUp, kFailed},
      {Outcome::Interrupted, kFailed},
      {Outcome::Refused, kFailed},
  };
  for (const auto& [outcome, status] : cases)
    EXPECT_EQ(ExitFor(outcome), status) << static_cast<int>(outcome);
}

// --set's PATH=VALUE: one field changed, its text kept exactly, or refused
// naming the path with the configuration left as it was.
TEST(KovactlSet, KeepsTheValueExactlyOrRefusesNamingThePath) {
  struct Case {
    const char* assignment;
    const char* kept;  // the value as the listing shows it; "" when refused
    const char* refusal = "";
  };
  // clang-format off
  const Case cases[] = {
      {"VC=12345678901234567890", "12345678901234567890"},
      {"Zones[0].CloseRIC1=007", "7"},
      {"Zones[9].CloseFunc=null", "(none)"},
      {"ResetRIC=12.5", "", "ResetRIC: 12.5 is not a whole number"},
      {"BaudKova", "", "--set BaudKova: expected PATH=VALUE (BaudKova=19200)"},
      {"CloseRIC1=1", "", "CloseRIC1: no such field; 'kovactl fields' lists them"},
      {"Colour=red", "", "Colour: no such field; 'kovactl fields' lists them"},
      {"Ver[0]=FORGED", "", "Ver[0]: cannot be set: it is read from the unit, never written"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.assignment);
    const Configuration before = StartupConfiguration();
    Configuration cfg = before;
    try {
      const std::string path = ApplySetting(c.assignment, cfg);
      const auto changed = Differences(before, cfg);
      ASSERT_EQ(changed.size(), 1u);
      EXPECT_EQ(changed[0].rfind(path + ": ", 0), 0u) << changed[0];
      EXPECT_TRUE(changed[0].ends_with(std::string(" | ") + c.kept)) << changed[0];
      EXPECT_EQ(std::string(c.refusal), "");
    } catch (const FieldError& e) {
      EXPECT_EQ(std::string(e.what()), c.refusal);
      EXPECT_EQ(cfg, before);
    }
  }
}

// Every field, generated from the table, and the forms only a file brings
// (greyed, no selection, Latin-1); then forms a symmetric fault would keep.
TEST(KovactlJson, EveryFieldSurvivesARoundTripInTheFormOfItsControl) {
  for (const int seed : {0, 7}) {
    Configuration cfg = testing::EveryField(seed);
    if (seed) {
      cfg.PocsagBaud = PocsagRate::None;
      cfg.AlphaVC = 2;
      cfg.Sign1Func = kNoSelection;
      cfg.Ver[2] = "\xe9t\xe9";
    }
    Configuration read = StartupConfiguration();
    ApplyJson(ToJson(cfg), read);
    EXPECT_EQ(read, cfg) << seed;
  }
  Configuration cfg = StartupConfiguration();
  cfg.Zones[2].CloseFunc = 4;
  cfg.ETI = "1234:05";
  const QJsonObject json = ToJson(cfg);
  EXPECT_EQ(
      QJsonArray({json["ComPort"], json["PocsagBaud"], json["ETI"], json["Zones"][2]["CloseFunc"]}),
      QJsonArray({1, 1200, "1234:05", "ALL"}));
}

// Fields left out keep their values, null clears a selection, a number is a
// RIC's text too, and no click rule runs. Differences name each value by its
// path, but not the file name.
TEST(KovactlJson, AssignsOnlyWhatItNamesAndDirectly) {
  Configuration cfg = StartupConfiguration();
  cfg.ResetRIC = "77";
  const Configuration before = cfg;
  ApplyJson(Parse(R"({"Sign2RIC": 5, "Polarity": null, "Sign1Func": null, "ClkJog": "9",
                      "Ver": ["", "X", ""], "FileName": "other.kova",
                      "Zones": [{"OpenFunc": null}, {"CloseTMax": "600"}]})"),
            cfg);
  EXPECT_EQ(
      Differences(before, cfg),
      (std::vector<std::string>{"Ver[1]:  | X", "Polarity: Normal | (none)", "ClkJog: 8 | 9",
                                "Sign1Func: A | (none)", "Sign2RIC: 0 | 5",
                                "Zones[0].OpenFunc: A | (none)", "Zones[1].CloseTMax: 0 | 600"}));
  ApplyJson(Parse(R"({"PocsagBaud": 2400, "Polarity": "Auto"})"), cfg);
  EXPECT_EQ(cfg.Polarity, PolarityMode::Auto);  // the 2400 rule would have dropped it
}

TEST(KovactlJson, RefusalsNameTheFieldAndChangeNothing) {
  // clang-format off
  const std::vector<std::pair<const char*, std::string>> cases{
      {R"({"Foo": 1})", "Foo: unknown field"},
      {R"({"CloseRIC1": "1"})", "CloseRIC1: unknown field"},
      {R"({"Zones": [{"ResetRIC": "1"}]})", "Zones[0].ResetRIC: unknown field"},
      {R"({"SynthRx": 0.5})", "SynthRx: 0.5 is not 0, 1, 2 (greyed), true or false"},
      {R"({"ResetRIC": [1]})", "ResetRIC: expected a single value"},
      {R"({"Ver": ["a", "b"]})", "Ver: expected an array of three strings"},
      {R"({"Zones": [1]})", "Zones[0]: expected an object"},
      {R"({"Zones": {}})", "Zones: expected an array of at most ten objects"},
  };
  // clang-format on
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

// The listing groups by tab and zone, and a crafted value can neither drive
// the terminal nor break a line, in the listing or in --json.
TEST(KovactlText, ShowsTabsAndZonesInLinesThatCannotDriveTheTerminal) {
  Configuration cfg = StartupConfiguration();
  cfg.ResetRIC = std::string(3000, '9');
  cfg.VC = "\x1b]0;owned\x07\t\\\x7f\x80\x9b";
  const std::string text = ShowText(cfg);
  for (const std::string& has : std::vector<std::string>{
           "General\n", "\nChan 10\n", "459.050 000 MHz", "  Zones[9].CloseFunc       A\n",
           "  Ver[2]   ", std::string(3000, '9') + "\n  ",
           " \\x1b]0;owned\\x07\\t\\\\\\x7f\\x80\\x9b\n"})
    EXPECT_NE(text.find(has), std::string::npos) << has;
  for (const char c : text)
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);

  const QByteArray json =
      QByteArray::fromStdString(TerminalSafeJson(QJsonDocument(ToJson(cfg)).toJson()));
  for (const char* raw : {"\x1b", "\x7f", "\xC2\x80", "\xC2\x9B"})
    EXPECT_FALSE(json.contains(raw)) << int(raw[0]);
  EXPECT_TRUE(json.contains("\\u007f\\u0080\\u009b"));
  EXPECT_EQ(QJsonDocument::fromJson(json).object()["VC"].toString().toLatin1().toStdString(),
            cfg.VC);
}

}  // namespace
}  // namespace kova::ctl
