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

// kovactl in a child that may create files but not write a byte into one.
Ran Kovactl(const QStringList& args, bool fullDisk = false) {
  QProcess process;
  if (fullDisk) {
    process.setChildProcessModifier([] {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = 0;
      setrlimit(RLIMIT_FSIZE, &limit);
    });
  }
  process.start(KOVACTL, args);
  process.waitForFinished(30000);
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

TEST(KovactlFiles, ReadingRefusesWhatIsNotAFileAtOnceAndTellsSameNamedFilesApart) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("b"));
  Put(dir.filePath("a/unit.kova"), Bytes(Fixture("image_layout.kova")));
  Put(dir.filePath("b/unit.kova"), Bytes(Fixture("image_bad_hex.kova")));
  ASSERT_EQ(mkfifo(dir.filePath("pipe.kova").toLocal8Bit().constData(), 0600), 0);

  const Ran pipe = Kovactl({"show", dir.filePath("pipe.kova")});
  EXPECT_EQ(pipe.status, 3);
  EXPECT_TRUE(pipe.err.contains("it is a named pipe (FIFO), not a file")) << pipe.err.toStdString();

  const Ran diff = Kovactl({"diff", dir.filePath("a/unit.kova"), dir.filePath("b/unit.kova")});
  EXPECT_EQ(diff.status, 3);
  EXPECT_TRUE(diff.err.contains("\"" + dir.filePath("b/unit.kova") + "\""))
      << diff.err.toStdString();
  EXPECT_FALSE(diff.err.contains("a/unit.kova"));
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
