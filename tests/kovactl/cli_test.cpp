// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl as a user runs it, without a unit: a separate process, its output
// streams, its files and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include "child.h"
#include "test_files.h"

namespace {

using namespace kova::test;

// Usage, files, refusals and a standard output that takes nothing each have
// their status; every message line starts "kovactl: ", and nothing is
// written where a value was refused or the disk was full. Rows run in order.
TEST(Kovactl, ExitStatusesTellUsageFromFilesFromRefusals) {
  QTemporaryDir dir;
  const auto P = [&dir](const char* name) { return dir.filePath(name); };
  ASSERT_TRUE(Put(P("bad.json"), R"({"Zones": [{}, {}, {"CloseRIC1": "abc"}]})"));
  ASSERT_TRUE(Put(P("broken.json"), R"({"Zones": [)"));
  ASSERT_TRUE(Put(P("vc.json"), R"({"NumericVC": 1, "VC": "ABC"})"));
  ASSERT_TRUE(Put(P("edit.json"), R"({"Zones": [{}, {"OpenRIC2": "77"}]})"));
  ASSERT_TRUE(Put(P("old.kova"), Bytes(Fixture("commented.kova"))));
  const QString L = Fixture("image_layout.kova"), legacy = Fixture("legacy_full.kova");
  const QString x = P("x.kova"), port = P("p"), none = P("none.kova");
  const QByteArray text = Bytes(L);
  ASSERT_TRUE(Put(P("site.kova"), Bytes(L)));
  ASSERT_TRUE(QFile::link(P("site.kova"), P("alias.kova")));
  ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
  const QString settings = P("config/Kova Pro Configuration.conf");
  ASSERT_EQ(mkfifo(settings.toLocal8Bit().constData(), 0600), 0);
  const Child full{.output = "/dev/full"}, pipeHome{.env = {{"XDG_CONFIG_HOME", P("config")}}};
  const QString noSpace = "kovactl: could not write to standard output: No space left on device";
  struct Case {
    QStringList args;
    int status;
    QString errHas;
    QString outHas = {};
    Child how = {};
  };
  // clang-format off
  const std::vector<Case> cases{
      {{}, 2, ""},
      {{"frobnicate"}, 2, "unknown verb"},
      {{"--bogus"}, 2, "unknown option '--bogus'"},
      {{"help", "help"}, 0, "", "Verbs:"},
      {{"--help"}, 0, "", "6  the port could not be opened"},
      {{"verfy"}, 2, "did you mean 'verify'? See 'kovactl --help'"},
      {{"help", "prob"}, 2, "did you mean 'probe'?"},
      {{"ports"}, 0, ""},
      {{"ports", "extra"}, 2, "ports: unexpected argument 'extra'"},
      {{"probe", "--port", port, "extra"}, 2, "probe: unexpected argument 'extra'"},
      {{"get", "--port", "", "-o", x}, 2, "--port DEVICE is required"},
      {{"get", "--port", port, "--baud", "fast", "-o", x}, 2, "2400, 1200 or auto"},
      {{"get", "--port", port, "--json", "-o", "-"}, 2, "standard output"},
      {{"put", "--port", port, "--json", "--backup", "-", x}, 2, "standard output"},
      // Refused before the port is opened, whatever name reaches the file.
      {{"put", "--port", port, "--backup", P("alias.kova"), P("site.kova")}, 2, "file to send"},
      // The whole --json result, in its order, of a put that never reached the unit.
      {{"put", "--port", port, "--json", none}, 3, "none.kova", "{\"format\": \"kova-device/1\", \"ok\": false, \"exit\": 3, "
       "\"port\": \"" + port + "\", \"device\": \"" + port + "\", \"baud\": 9600, \"versions\": "
       "[\"\",\"\",\"\"], \"message\": \"Could not read \\\"" + none + "\\\"; nothing was loaded.\\nThe "
       "file cannot be opened: the file does not exist.\", \"differences\": [], "
       "\"unit\": \"unchanged\", \"warnings\": []}\n"},
      // A settings file that is a pipe is said and never read: that would block.
      {{"get", "--port", port, "-o", x, "--json"}, 6, "kovactl: the settings file \"" + settings +
       "\" cannot be used (it is a named pipe", "\"warnings\": [\"the settings file", pipeHome},
      {{"show"}, 2, "expected 1 file argument"},
      {{"show", "--colour", L}, 2, "Unknown option"},
      {{"convert", L}, 2, "-o FILE is required"},
      {{"show", none}, 3, "none.kova"},
      {{"show", "-"}, 3, "standard input", "", {.input = "not a configuration\n"}},
      {{"pack", P("broken.json"), "-o", x}, 3, "not a JSON object"},
      {{"pack", P("bad.json"), "-o", x}, 1, "Zones[2].CloseRIC1: abc is not a whole number"},
      {{"pack", P("vc.json"), "-o", x}, 1, "VC: ABC has characters a numeric"},
      // --set's refusals are usage errors, those of values only together too.
      {{"pack", "-o", x, "--set", "NumericVC=1", "--set", "VC=ABC"}, 2, "kovactl: VC: ABC has"},
      // A release-1 file's empty RIC texts are refused unless asked to fill them.
      {{"convert", legacy, "-o", x}, 1, "is not a number"},
      {{"convert", "--fill-empty", legacy, "-o", P("filled.kova")}, 0, "filled 60 empty texts"},
      // The input is read whole before anything is written.
      {{"convert", P("site.kova"), "-o", P("site.kova")}, 0, ""},
      // "-" is standard input for a file argument and standard output for -o.
      {{"convert", "-", "-o", "-"}, 0, "", "[EEprom]", {.input = text}},
      {{"diff", L, "-"}, 0, "", "", {.input = text}},
      {{"diff", L, "-"}, 1, "", "ComPort: 3 | 2\n", {.input = Bytes(Fixture("commented.kova"))}},
      // JSON, --base and --set meet in one pack; each field's round trip is tested where it lives.
      {{"pack", P("edit.json"), "--base", "-", "-o", P("edited.kova"), "--set", "ResetRIC=0077"}, 0, "", "", {.input = text}},
      {{"diff", L, P("edited.kova")}, 1, "", "ResetRIC: 1999999 | 77\nZones[1].OpenRIC2: 0 | 77\n"},
      // A disk that takes nothing (kovactl must not die of SIGXFSZ).
      {{"convert", L, "-o", P("old.kova")}, 3, "kovactl: Could not save \"" + P("old.kova") +
       "\"; nothing was written.\nkovactl: File too large.", "", {.fileSizeLimit = 0}},
      // Results that standard output refuses are a failure, never a success.
      {{"show", L}, 3, noSpace, "", full},
      {{"fields"}, 3, noSpace, "", full},
      {{"--help"}, 3, noSpace, "", full},
      // Differences that cannot reach their reader are a file error, not "they differ".
      {{"diff", L, Fixture("commented.kova")}, 3, noSpace, "", full},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Ran run = Kovactl(c.args, c.how);
    EXPECT_EQ(run.status, c.status) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.errHas)) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(c.outHas)) << run.out.toStdString();
    EXPECT_TRUE(run.err.isEmpty() || run.err.startsWith("kovactl: ")) << run.err.toStdString();
    if (!c.how.output.isEmpty()) {
      EXPECT_EQ(run.err.count("kovactl:"), 1);
    }
  }
  EXPECT_EQ(Bytes(P("old.kova")), Bytes(Fixture("commented.kova")));
  EXPECT_EQ(Bytes(P("site.kova")), Bytes(L));  // nothing but a file's own form changed
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"alias.kova", "bad.json", "broken.json", "config", "edit.json",
                         "edited.kova", "filled.kova", "old.kova", "site.kova", "vc.json"}));
}

TEST(Kovactl, EveryVerbExplainsItself) {
  const Ran program = Kovactl({"--help"});
  for (const char* verb : {"ports", "probe", "get", "put", "verify", "reset", "show", "fields",
                           "pack", "diff", "convert"}) {
    EXPECT_TRUE(program.out.contains(QString("  ") + verb + " ")) << verb;
    const Ran help = Kovactl({verb, "--help"});
    EXPECT_EQ(help.status, 0) << verb;
    EXPECT_TRUE(help.out.startsWith(QString("Usage: kovactl ") + verb)) << help.out.toStdString();
    EXPECT_EQ(Kovactl({"help", verb}).out, help.out) << verb;
  }
}

// Every path that fields lists is one show --json prints and --set takes, and
// show --json prints nothing else beyond "Zones" and "format".
TEST(Kovactl, FieldsListsThePathsThatShowPrintsAndSetTakes) {
  const Ran fields = Kovactl({"fields", "--json"});
  ASSERT_EQ(fields.status, 0) << fields.err.toStdString();
  const QJsonObject described = fields.Json();
  EXPECT_EQ(described["format"], QJsonValue("kova-fields/1"));
  const QJsonArray list = described["fields"].toArray();
  const QJsonObject shown = Kovactl({"show", "--json", Fixture("image_layout.kova")}).Json();
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
  const std::tuple<const char*, const char*, QJsonValue> facts[] = {
      {"Zones[0..9].CloseRIC1", "lives", "unit"},
      {"ETI", "lives", "read-only"},
      {"BaudPC", "lives", "pc"},
      {"BaudKova", "unit", "bit/s"},
      {"Zones[0..9].CloseTMax", "step", 10},
      {"VC", "length", 20},
      {"Ver[0..2]", "readOnly", true},
      {"Zones[0..9].CloseFunc", "type", "string"},
  };
  for (const auto& [path, key, value] : facts)
    EXPECT_EQ(byPath[path][key], value) << path << " " << key;
  EXPECT_EQ(byPath["Zones[0..9].CloseRIC1"]["range"].toObject()["max"], QJsonValue(2097151));
  EXPECT_EQ(byPath["BaudKova"]["items"].toArray().size(), 8);
  EXPECT_EQ(byPath["Zones[0..9].CloseTMax"]["bits"].toObject()["byte"], QJsonValue(6));
}

}  // namespace
