// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl as a user runs it: a separate process, its output streams and exit status.
#include "cli.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include "config_json.h"
#include "every_field.h"

namespace {

struct Outcome {
  int status;
  QString out;
  QString err;
};

Outcome Kovactl(const QStringList& args, const QByteArray& input = {}) {
  QProcess process;
  process.start(KOVACTL, args);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(30000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

QString Fixture(const char* name) {
  return QString(KOVA_FIXTURES) + "/" + name;
}

void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class CliTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

// A device verb's exit status follows how the link says it ended, never the
// words of its message.
TEST(DeviceExit, FollowsTheOutcome) {
  using kova::Outcome;
  using namespace kova::ctl;
  const std::pair<Outcome, int> cases[] = {
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

TEST_F(CliTest, ExitStatusesTellUsageFromFilesFromRefusals) {
  WriteText(Path("bad.json"), R"({"Zones": [{}, {}, {"CloseRIC1": "abc"}]})");
  WriteText(Path("unknown.json"), R"({"Colour": "red"})");
  WriteText(Path("broken.json"), R"({"Zones": [)");
  struct Case {
    QStringList args;
    int status;
    QString stderrHas;
  };
  const std::vector<Case> cases{
      {{}, 2, ""},
      {{"frobnicate"}, 2, "unknown verb"},
      {{"--bogus"}, 2, "unknown option '--bogus'"},
      {{"help", "help"}, 0, ""},
      {{"verfy"}, 2, "did you mean 'verify'? See 'kovactl --help'"},
      {{"help", "prob"}, 2, "did you mean 'probe'?"},
      {{"get", "--port", "", "-o", Path("x.kova")}, 2, "--port DEVICE is required"},
      {{"get", "--port", Path("p"), "--baud", "fast", "-o", Path("x.kova")},
       2,
       "use one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200 or auto"},
      {{"get", "--port", Path("p"), "--json", "-o", "-"}, 2, "standard output"},
      {{"put", "--port", Path("p"), "--json", "--backup", "-", Path("x.kova")},
       2,
       "standard output"},
      {{"put", "--port", Path("p"), Path("missing.kova")}, 3, "missing.kova"},
      {{"show"}, 2, "expected 1 file argument"},
      {{"show", "--colour", Fixture("image_layout.kova")}, 2, "Unknown option"},
      {{"convert", Fixture("image_layout.kova")}, 2, "-o FILE is required"},
      {{"show", Path("missing.kova")}, 3, "missing.kova"},
      {{"show", Fixture("image_bad_hex.kova")}, 3, "Contents"},
      {{"pack", Path("broken.json"), "-o", Path("x.kova")}, 3, "not a JSON object"},
      {{"pack", Path("bad.json"), "-o", Path("x.kova")},
       1,
       "Zones[2].CloseRIC1: abc is not a whole number"},
      {{"pack", Path("unknown.json"), "-o", Path("x.kova")}, 1, "Colour: unknown field"},
      {{"ports"}, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Outcome run = Kovactl(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(run.err.contains(c.stderrHas)) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty() || run.err.startsWith("kovactl: ")) << run.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(Path("x.kova")));  // nothing is written when a value is refused
}

TEST_F(CliTest, EveryVerbExplainsItself) {
  const Outcome program = Kovactl({"--help"});
  EXPECT_EQ(program.status, 0);
  EXPECT_TRUE(program.out.contains("6  the port could not be opened")) << program.out.toStdString();
  for (const char* verb : {"ports", "probe", "get", "put", "verify", "reset", "show", "fields",
                           "pack", "diff", "convert"}) {
    EXPECT_TRUE(program.out.contains(QString("  ") + verb + " ")) << verb;
    const Outcome help = Kovactl({verb, "--help"});
    EXPECT_EQ(help.status, 0) << verb;
    EXPECT_TRUE(help.out.startsWith(QString("Usage: kovactl ") + verb)) << help.out.toStdString();
    EXPECT_EQ(Kovactl({"help", verb}).out, help.out) << verb;
  }
  EXPECT_TRUE(Kovactl({"help", "put"}).out.contains("The rate the unit talks at now"));
}

// Every field the table has, generated, goes through pack and comes back from
// show; the fields a file does not take from JSON are left out.
TEST_F(CliTest, PackThenShowGivesBackEveryFieldItSet) {
  QJsonObject given = kova::ctl::ToJson(kova::testing::EveryField());
  for (const char* derived : {"Ver", "ETI", "Hunting", "SynthN", "FileName", "ClkJog", "ClkInc",
                              "ClkJogLpos", "ClkJogLneg"})
    given.remove(derived);
  WriteText(Path("unit.json"), QJsonDocument(given).toJson());
  const Outcome pack = Kovactl({"pack", Path("unit.json"), "-o", Path("unit.kova")});
  ASSERT_EQ(pack.status, 0) << pack.err.toStdString();
  const Outcome show = Kovactl({"show", "--json", Path("unit.kova")});
  ASSERT_EQ(show.status, 0) << show.err.toStdString();
  QJsonObject shown = QJsonDocument::fromJson(show.out.toUtf8()).object();
  EXPECT_EQ(shown.take("format"), QJsonValue("kova-config/1"));
  for (auto it = given.begin(); it != given.end(); ++it)
    EXPECT_EQ(shown[it.key()], it.value()) << it.key().toStdString();
}

TEST_F(CliTest, DiffAndConvert) {
  const Outcome same =
      Kovactl({"diff", Fixture("image_layout.kova"), Fixture("image_layout.kova")});
  EXPECT_EQ(same.status, 0);
  EXPECT_TRUE(same.out.isEmpty());

  // A release 1 file that leaves RIC keys out has empty RIC texts, which packing refuses.
  const Outcome refused = Kovactl({"convert", Fixture("legacy_full.kova"), "-o", Path("new.kova")});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(refused.err.contains("is not a number")) << refused.err.toStdString();
  EXPECT_FALSE(QFile::exists(Path("new.kova")));

  const Outcome convert =
      Kovactl({"convert", Fixture("image_layout.kova"), "-o", Path("new.kova")});
  ASSERT_EQ(convert.status, 0) << convert.err.toStdString();
  const Outcome converted = Kovactl({"diff", Fixture("image_layout.kova"), Path("new.kova")});
  // Saving packs, which forces the clock jog; nothing else may change.
  for (const QString& line : converted.out.split('\n', Qt::SkipEmptyParts)) {
    EXPECT_TRUE(line.startsWith("ClkJog:")) << line.toStdString();
  }

  WriteText(Path("edit.json"), R"({"Zones": [{}, {"OpenRIC2": "77"}], "Polarity": "Normal"})");
  ASSERT_EQ(
      Kovactl({"pack", Path("edit.json"), "--base", Path("new.kova"), "-o", Path("edited.kova")})
          .status,
      0);
  const Outcome diff = Kovactl({"diff", Path("new.kova"), Path("edited.kova")});
  EXPECT_EQ(diff.status, 1);
  EXPECT_TRUE(diff.out.contains("Zones[1].OpenRIC2: ")) << diff.out.toStdString();
  EXPECT_TRUE(diff.out.endsWith(" | 77\n")) << diff.out.toStdString();
  // Differences that cannot reach their reader are a file error, not "they differ".
  QProcess full;
  full.setStandardOutputFile("/dev/full");
  full.start(KOVACTL, {"diff", Path("new.kova"), Path("edited.kova")});
  full.waitForFinished(30000);
  EXPECT_EQ(full.exitCode(), 3);
  EXPECT_EQ(QString::fromUtf8(full.readAllStandardError()).count("kovactl:"), 1);
}

// Every path that fields lists is one show --json prints and --set takes, and
// show --json prints nothing else beyond "Zones" and "format".
TEST_F(CliTest, FieldsListsThePathsThatShowPrintsAndSetTakes) {
  const Outcome fields = Kovactl({"fields", "--json"});
  ASSERT_EQ(fields.status, 0) << fields.err.toStdString();
  const QJsonObject described = QJsonDocument::fromJson(fields.out.toUtf8()).object();
  EXPECT_EQ(described["format"], QJsonValue("kova-fields/1"));
  const QJsonArray list = described["fields"].toArray();
  const QJsonObject shown =
      QJsonDocument::fromJson(
          Kovactl({"show", "--json", Fixture("image_layout.kova")}).out.toUtf8())
          .object();
  QMap<QString, QJsonObject> byPath;
  for (const auto& entry : list) {
    QString path = entry.toObject()["path"].toString();
    byPath[path] = entry.toObject();
    path.replace("[0..9]", "[9]").replace("[0..2]", "[2]");
    const QString key = path.section('.', -1).section('[', 0, 0);
    const QJsonValue value = path.startsWith("Zones[") ? shown["Zones"][9][key]
                             : path.contains('[')      ? shown[key][2]
                                                       : shown[key];
    EXPECT_FALSE(value.isUndefined()) << path.toStdString();
  }
  EXPECT_EQ(list.size(), shown.size() - 2 + shown["Zones"][0].toObject().size());
  EXPECT_EQ(byPath["Zones[0..9].CloseRIC1"]["range"].toObject()["max"], QJsonValue(2097151));
  EXPECT_EQ(byPath["Zones[0..9].CloseRIC1"]["lives"], QJsonValue("unit"));
  EXPECT_EQ(byPath["ETI"]["lives"], QJsonValue("read-only"));
  EXPECT_EQ(byPath["BaudPC"]["lives"], QJsonValue("pc"));
  EXPECT_EQ(byPath["BaudKova"]["unit"], QJsonValue("bit/s"));
  EXPECT_EQ(byPath["Freq"]["unit"], QJsonValue("Hz"));
  EXPECT_EQ(byPath["BaudKova"]["items"].toArray().size(), 8);
  EXPECT_EQ(byPath["Zones[0..9].CloseTMax"]["step"], QJsonValue(10));
  EXPECT_EQ(byPath["Zones[0..9].CloseTMax"]["bits"].toObject()["byte"], QJsonValue(6));
  EXPECT_EQ(byPath["VC"]["length"], QJsonValue(20));
  EXPECT_EQ(byPath["Ver[0..2]"]["readOnly"], QJsonValue(true));
  EXPECT_EQ(byPath["Zones[0..9].CloseFunc"]["type"], QJsonValue("string"));
}

// One field at a time from the command line, kept exactly or refused with
// the path, the value and what the field takes; nothing is written then.
TEST_F(CliTest, PackSetsSingleFieldsOrRefusesThem) {
  struct Case {
    QStringList sets;
    int status;
    QString path;      // in show --json, "" when nothing is saved
    QJsonValue value;  // null: as a file packed without --set holds it
    QString stderrHas;
  };
  // What each value may be is the field rows' (tests/image); here the wiring:
  // text reaches them, a refusal exits 2 naming the path and writes nothing.
  const std::vector<Case> cases{
      {{"BaudKova=19200"}, 0, "BaudKova", 19200, ""},
      {{"Zones[0].CloseRIC1=007"}, 0, "Zones[0].CloseRIC1", "7", ""},
      {{"NumericVC=1", "VC=12345678901234567890"}, 0, "VC", "12345678901234567890", ""},
      {{"Ver[0]=FORGED"}, 2, "", {}, "Ver[0]: cannot be set: it is read from the unit"},
      {{"Zones[10].CloseRIC1=1"}, 2, "", {}, "Zones[10].CloseRIC1: no such field"},
      {{"BaudKova"}, 2, "", {}, "kovactl: --set BaudKova: expected PATH=VALUE"},
      {{"Zones[0].CloseTMax=15"},
       2,
       "",
       {},
       "kovactl: Zones[0].CloseTMax: 15 is not a whole 10 s step (10 or 20)"},
      {{"NumericVC=1", "VC=ABC"}, 2, "", {}, "VC: ABC has characters a numeric sequence"},
  };
  const auto show = [](const QString& path) {
    return QJsonDocument::fromJson(Kovactl({"show", "--json", path}).out.toUtf8()).object();
  };
  ASSERT_EQ(Kovactl({"pack", "-o", Path("plain.kova")}).status, 0);
  const QJsonObject plain = show(Path("plain.kova"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sets.join(' ').toStdString());
    QFile::remove(Path("set.kova"));
    QStringList args{"pack", "-o", Path("set.kova")};
    for (const QString& set : c.sets)
      args << "--set" << set;
    const Outcome pack = Kovactl(args);
    EXPECT_EQ(pack.status, c.status) << pack.err.toStdString();
    EXPECT_TRUE(pack.err.contains(c.stderrHas)) << pack.err.toStdString();
    EXPECT_FALSE(pack.err.contains("--set --set")) << pack.err.toStdString();
    EXPECT_EQ(QFile::exists(Path("set.kova")), c.status == 0);
    if (c.path.isEmpty()) continue;
    const QJsonObject shown = show(Path("set.kova"));
    EXPECT_EQ(shown["format"], QJsonValue("kova-config/1"));
    const QJsonValue got =
        c.path.startsWith("Zones[0].") ? shown["Zones"][0][c.path.mid(9)] : shown[c.path];
    EXPECT_EQ(got, c.value.isNull() ? plain[c.path] : c.value);
  }
  // A JSON file is read as leniently, and a release-1 file's empty texts are
  // filled only when asked.
  WriteText(Path("ric.json"), R"({"ResetRIC": 1234, "ResetEnable": true})");
  ASSERT_EQ(Kovactl({"pack", Path("ric.json"), "-o", Path("ric.kova")}).status, 0);
  EXPECT_TRUE(Kovactl({"show", Path("ric.kova")}).out.contains("1234"));
  const Outcome filled =
      Kovactl({"convert", "--fill-empty", Fixture("legacy_full.kova"), "-o", Path("filled.kova")});
  EXPECT_EQ(filled.status, 0) << filled.err.toStdString();
  EXPECT_TRUE(filled.err.contains("filled 60 empty texts")) << filled.err.toStdString();
}

// "-" is standard input for a file argument and standard output for -o; a
// fresh document on standard output never reads it first.
TEST_F(CliTest, ADashIsTheStandardStreams) {
  QFile fixture(Fixture("image_layout.kova"));
  ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
  const QByteArray text = fixture.readAll();
  const Outcome fromFile = Kovactl({"show", Fixture("image_layout.kova")});
  const Outcome fromInput = Kovactl({"show", "-"}, text);
  EXPECT_EQ(fromInput.status, 0) << fromInput.err.toStdString();
  // Standard input has no file name to show; everything else is the same.
  const auto withoutName = [](const QString& shown) {
    QStringList lines = shown.split('\n');
    lines.removeIf([](const QString& line) { return line.contains("FileName"); });
    return lines;
  };
  EXPECT_EQ(withoutName(fromInput.out), withoutName(fromFile.out));

  const Outcome converted = Kovactl({"convert", "-", "-o", "-"}, text);
  ASSERT_EQ(converted.status, 0) << converted.err.toStdString();
  EXPECT_TRUE(converted.out.contains("[EEprom]"));
  WriteText(Path("c.kova"), converted.out.toUtf8());
  EXPECT_EQ(Kovactl({"diff", Path("c.kova"), Fixture("image_layout.kova")}).out,
            Kovactl({"diff", Path("c.kova"), "-"}, text).out);

  const Outcome garbage = Kovactl({"show", "-"}, "not a configuration\n");
  EXPECT_EQ(garbage.status, 3);
  EXPECT_TRUE(garbage.err.contains("standard input")) << garbage.err.toStdString();
}

}  // namespace
