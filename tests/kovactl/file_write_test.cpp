// SPDX-License-Identifier: GPL-3.0-or-later
// kovactl's files on a hostile machine: a disk that takes nothing, things that
// are not files, same-named files, and values crafted to drive a terminal.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <csignal>

#include "config_json.h"
#include "image/clear_form.h"

namespace {

struct Ran {
  int status;
  QString err;
  QString out;
};

// kovactl in a child that may create files but not write a byte into one
// (and does not ignore SIGXFSZ: kovactl must itself), with its settings in
// configHome when given.
Ran Kovactl(const QStringList& args, bool fullDisk = false, const QString& configHome = {},
            const QString& program = KOVACTL) {
  QProcess process;
  if (!configHome.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    process.setProcessEnvironment(env);
  }
  if (fullDisk) {
    process.setChildProcessModifier([] {
      std::signal(SIGXFSZ, SIG_DFL);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 0;
      setrlimit(RLIMIT_FSIZE, &limit);
    });
  }
  process.start(program, args);
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished();
    return {-2, "(still running after 10 s)", {}};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError()),
          QString::fromUtf8(process.readAllStandardOutput())};
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString Fixture(const char* name) {
  return QString(KOVA_FIXTURES) + "/" + name;
}

// Results that standard output cannot take are a failure, never a success.
TEST(KovactlFiles, ResultsThatStandardOutputRefusesExitThree) {
  const QStringList cases[] = {{"show", Fixture("image_layout.kova")},
                               {"show", "--json", Fixture("image_layout.kova")},
                               {"fields"},
                               {"--help"}};
  for (const QStringList& args : cases) {
    SCOPED_TRACE(args.join(' ').toStdString());
    QProcess process;
    process.setStandardOutputFile("/dev/full");
    process.start(KOVACTL, args);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_TRUE(
        QString::fromUtf8(process.readAllStandardError())
            .contains("kovactl: could not write to standard output: No space left on device"));
  }
}

TEST(KovactlFiles, AWriteThatFailsExitsThreeNamingThePathAndLeavesTheOldFile) {
  QTemporaryDir dir;
  Put(dir.filePath("edit.json"), R"({"ResetRIC": "77"})");
  Put(dir.filePath("old.kova"), Bytes(Fixture("commented.kova")));
  struct Case {
    QStringList args;
    QString target;
  };
  const Case cases[] = {
      {{"convert", Fixture("image_layout.kova"), "-o", dir.filePath("old.kova")},
       dir.filePath("old.kova")},
      {{"convert", Fixture("image_lowercase.kova"), "-o", dir.filePath("new.kova")},
       dir.filePath("new.kova")},
      {{"pack", dir.filePath("edit.json"), "-o", dir.filePath("old.kova")},
       dir.filePath("old.kova")},
  };
  const QStringList files = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const QByteArray before = Bytes(c.target);
    const Ran run = Kovactl(c.args, true);
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(run.err.contains("Could not save \"" + c.target +
                                 "\"; nothing was written.\nkovactl: File too large."))
        << run.err.toStdString();
    EXPECT_EQ(Bytes(c.target), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
  }
}

// What kovactl checks itself, and that the file layer's refusals reach the
// user at once and name the file: a settings file that is a pipe, a backup
// over the file being sent, a read-only output, a name that is not UTF-8,
// things that are not files, same-named files in two folders.
TEST(KovactlFiles, RefusesAtOnceNamingTheFileAndNeverWaitsOnASettingsPipe) {
  QTemporaryDir dir;
  const QString layout = Fixture("image_layout.kova");
  Put(dir.filePath("site.kova"), Bytes(layout));
  ASSERT_TRUE(QFile::link(dir.filePath("site.kova"), dir.filePath("alias.kova")));
  Put(dir.filePath("ro.kova"), Bytes(layout));
  ASSERT_EQ(chmod(dir.filePath("ro.kova").toLocal8Bit().constData(), 0444), 0);
  ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
  const QString config = dir.filePath("config/Kova Pro Configuration.conf");
  ASSERT_EQ(mkfifo(config.toLocal8Bit().constData(), 0600), 0);
  ASSERT_EQ(mkfifo(dir.filePath("pipe.kova").toLocal8Bit().constData(), 0600), 0);
  ASSERT_TRUE(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("b"));
  Put(dir.filePath("a/unit.kova"), Bytes(layout));
  Put(dir.filePath("b/unit.kova"), Bytes(Fixture("image_bad_hex.kova")));
  struct Case {
    QStringList args;
    int status;
    QString err;
    QString out;
  };
  const Case cases[] = {
      {{"get", "--port", "/dev/ttyNOPE", "-o", dir.filePath("x.kova"), "--json"},
       6,
       "kovactl: the settings file \"" + config +
           "\" cannot be used (it is a named pipe (FIFO), not a file)",
       "\"warnings\": [\"the settings file"},
      // Refused before the port is opened, whatever name reaches the file.
      {{"put", "--port", "/dev/ttyNOPE", "--backup", dir.filePath("alias.kova"),
        dir.filePath("site.kova")},
       2,
       "is the file to send",
       ""},
      // The input is read whole before anything is written.
      {{"convert", dir.filePath("site.kova"), "-o", dir.filePath("site.kova")}, 0, "", ""},
      {{"convert", layout, "-o", dir.filePath("ro.kova")},
       3,
       "\"; nothing was written.\nkovactl: It is read-only.",
       ""},
      {{"show", dir.filePath("pipe.kova")}, 3, "it is a named pipe (FIFO), not a file", ""},
      {{"diff", dir.filePath("a/unit.kova"), dir.filePath("b/unit.kova")},
       3,
       "Could not read \"" + dir.filePath("b/unit.kova") + "\"",
       ""},
      {{"-c", "exec \"$0\" convert \"$1\" -o \"$2/caf$(printf '\\351').kova\"", KOVACTL, layout,
        dir.path()},
       3,
       "nothing was written.\nkovactl: The file name is not valid UTF-8.",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Ran run = Kovactl(c.args, false, dir.filePath("config"),
                            c.args[0] == "-c" ? QString("/bin/sh") : QString(KOVACTL));
    EXPECT_EQ(run.status, c.status) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(c.out)) << run.out.toStdString();
  }
  EXPECT_EQ(Bytes(dir.filePath("ro.kova")), Bytes(layout));
  EXPECT_EQ(QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            (QStringList{"a", "alias.kova", "b", "config", "pipe.kova", "ro.kova", "site.kova"}));
}

TEST(KovactlFiles, ShowPrintsWholeLinesThatCannotDriveTheTerminal) {
  kova::Configuration cfg = kova::StartupConfiguration();
  cfg.ResetRIC = std::string(3000, '9');
  cfg.VC = "\x1b]0;owned\x07\t\\\x7f\x9b";
  const std::string text = kova::ctl::ShowText(cfg);
  EXPECT_NE(text.find(std::string(3000, '9') + "\n  "), std::string::npos);
  EXPECT_NE(text.find(" \\x1b]0;owned\\x07\\t\\\\\\x7f\\x9b\n"), std::string::npos);
  for (const char c : text)
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);

  const QByteArray json = QByteArray::fromStdString(
      kova::ctl::TerminalSafeJson(QJsonDocument(kova::ctl::ToJson(cfg)).toJson()));
  EXPECT_FALSE(json.contains('\x1b'));
  EXPECT_FALSE(json.contains('\x7f'));
  EXPECT_FALSE(json.contains("\xC2\x9B"));
  EXPECT_TRUE(json.contains("\\u007f\\u009b"));
  const QJsonDocument parsed = QJsonDocument::fromJson(json);
  ASSERT_TRUE(parsed.isObject());
  EXPECT_EQ(parsed.object()["VC"].toString().toLatin1().toStdString(), cfg.VC);
}

}  // namespace
