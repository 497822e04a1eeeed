// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer against what a hostile machine offers: things that are not
// files, wide encodings, old line ends, and disks that take nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cctype>
#include <fstream>
#include <functional>
#include <string>

#include "files/backups.h"
#include "files/file_access.h"
#include "files/profile.h"
#include "full_disk.h"
#include "image/clear_form.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace test;

QStringList Listing(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

// The text as UTF-16 with its byte order mark, as Notepad saves "Unicode".
QByteArray Utf16(const QByteArray& latin1) {
  return QStringEncoder(QStringEncoder::Utf16LE,
                        QStringEncoder::Flag::WriteBom)(QString::fromLatin1(latin1));
}

// Makes at `p` the thing that is not a file a case names; false when it names none.
bool MakeSpecial(const std::string& name, const std::string& p) {
  if (name == "pipe") return mkfifo(p.c_str(), 0600) == 0;
  if (name == "device") return symlink("/dev/null", p.c_str()) == 0;
  if (name == "folder") return mkdir(p.c_str(), 0700) == 0;
  if (name == "loop") return symlink(p.c_str(), p.c_str()) == 0;
  if (name == "socket") {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    p.copy(address.sun_path, sizeof address.sun_path - 1);
    return bind(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&address),
                sizeof address) == 0;
  }
  // A Latin-1 name reaches Qt with a replacement character; encoding that
  // again would name another file.
  if (name == "caf\xEF\xBF\xBD.kova")
    return std::ofstream(p.substr(0, p.rfind('/')) + "/caf\xE9.kova").good();
  return false;
}

TEST(HostileFiles, OnlyRegularSingleByteFilesAreReadOrSavedIntoAndNothingBlocks) {
  alarm(60);  // a read that blocks on a pipe ends the test here instead of hanging it
  const QByteArray layout = Bytes(Fixture("image_layout.kova"));
  struct Case {
    const char* name;  // a thing that is not a file, or a file of these bytes:
    QByteArray bytes;
    const char* readError;  // nullptr: the file loads
    // nullptr: saving into it works; "": the read error as a sentence.
    const char* saveError = "";
    mode_t mode = 0;  // given to the file written from bytes
  };
  const Case cases[] = {
      {"pipe", {}, "it is a named pipe (FIFO), not a file"},
      {"socket", {}, "it is a socket, not a file"},
      {"device", {}, "it is a character device, not a file"},
      {"folder", {}, "it is a folder, not a file"},
      {"loop", {}, "too many levels of symbolic links"},
      {"caf\xEF\xBF\xBD.kova", {}, "the file name is not valid UTF-8"},
      {"utf16", Utf16(layout),
       "The file is saved as UTF-16 text; save it as plain (ANSI/Latin-1) text."},
      {"utf16 without a mark", Utf16(layout).mid(2), "saved as UTF-16 text",
       "saved as UTF-16 text"},
      {"utf32", QByteArray("\xFF\xFE\0\0[\0\0\0", 8), "saved as UTF-32 text",
       "saved as UTF-32 text"},
      {"too large", QByteArray(kMaxProfileBytes + 1, ';'), "it is larger than 4194304 bytes",
       "It is larger than 4194304 bytes"},
      {"NUL", QByteArray(layout).replace("Kova=", QByteArray("Ko\0va=", 6)),
       "Line 3 holds a NUL byte; the file is not plain text.", "Line 3 holds a NUL byte"},
      {"old Mac line ends", QByteArray(layout).replace("\r\n", "\r"), nullptr, nullptr},
      {"read-only", layout, nullptr, "\nIt is read-only.", 0444},  // by its mode, for root too
  };
  for (const auto& c : cases) {
    QTemporaryDir temp;
    const QString path = temp.filePath(c.name);
    const bool special = MakeSpecial(c.name, path.toStdString());
    if (!special) {
      ASSERT_TRUE(Put(path, c.bytes)) << c.name;
      ASSERT_EQ(c.mode ? chmod(path.toLocal8Bit().constData(), c.mode) : 0, 0);
    }
    const QStringList before = Listing(temp.path());
    const ProfileLoad load = ReadProfile(path, StartupDocument());
    if (c.readError) {
      ASSERT_FALSE(load.ok()) << c.name;
      EXPECT_NE(load.failure->text.find("\"" + path.toStdString() + "\""), std::string::npos);
      EXPECT_NE(load.failure->text.find(c.readError), std::string::npos) << load.failure->text;
    } else {
      ASSERT_TRUE(load.ok()) << c.name << load.failure->text;
      EXPECT_EQ(load.document->image,
                ReadProfile(Fixture("image_layout.kova"), {}).document->image);
    }
    Document doc = StartupDocument();
    doc.cfg.ComPort = 7;
    const ProfileSave save = WriteProfile(path, doc);
    EXPECT_EQ(Listing(temp.path()), before) << c.name;  // nothing left beside it
    if (c.saveError) {
      std::string sentence = c.saveError;
      if (sentence.empty()) {
        sentence = c.readError;
        sentence[0] = static_cast<char>(std::toupper(sentence[0]));
        if (!sentence.ends_with('.')) sentence += '.';
      }
      ASSERT_FALSE(save.ok()) << c.name;
      EXPECT_NE(save.failure->text.find(sentence), std::string::npos) << save.failure->text;
      if (!special) {
        EXPECT_EQ(Bytes(path), c.bytes) << c.name;
      }
    } else {
      ASSERT_TRUE(save.ok()) << c.name;
      const QByteArray saved = Bytes(path);
      EXPECT_TRUE(saved.contains("\rPort=7\r"));  // its own line ends kept
      EXPECT_FALSE(saved.contains('\n'));
    }
  }
  alarm(0);
}

TEST(HostileFiles, ALinkIsFollowedOnSavingAndStaysALink) {
  QTemporaryDir temp;
  ASSERT_TRUE(Put(temp.filePath("real.kova"), Bytes(Fixture("image_layout.kova"))));
  ASSERT_EQ(symlink("real.kova", temp.filePath("link.kova").toLocal8Bit().constData()), 0);
  Document doc = *ReadProfile(temp.filePath("link.kova"), StartupDocument()).document;
  doc.cfg.ComPort = 9;
  ASSERT_TRUE(WriteProfile(temp.filePath("link.kova"), doc).ok());
  EXPECT_TRUE(QFileInfo(temp.filePath("link.kova")).isSymLink());
  EXPECT_TRUE(Bytes(temp.filePath("real.kova")).contains("Port=9"));
  // A link to a file not made yet makes that file, through a chain of links.
  ASSERT_EQ(symlink("dangling.kova", temp.filePath("first.kova").toLocal8Bit().constData()), 0);
  ASSERT_EQ(symlink(temp.filePath("made.kova").toLocal8Bit().constData(),
                    temp.filePath("dangling.kova").toLocal8Bit().constData()),
            0);
  ASSERT_TRUE(WriteProfile(temp.filePath("first.kova"), doc).ok());
  EXPECT_TRUE(QFileInfo(temp.filePath("first.kova")).isSymLink());
  EXPECT_TRUE(QFileInfo(temp.filePath("dangling.kova")).isSymLink());
  EXPECT_TRUE(Bytes(temp.filePath("made.kova")).contains("Port=9"));
  EXPECT_EQ(Listing(temp.path()).size(), 5);
}

// A name that nearly fills a folder entry (255 bytes) still saves, new or
// over an old file, and leaves nothing beside it.
TEST(HostileFiles, AFileWhoseNameFillsTheFolderEntryIsSaved) {
  QTemporaryDir temp;
  const QString path = temp.filePath(QString(122, QChar(0xFC)) + ".kova");  // 249 bytes
  ASSERT_EQ(QFile::encodeName(QFileInfo(path).fileName()).size(), 249);
  Document doc = StartupDocument();
  for (const int port : {4, 6}) {
    doc.cfg.ComPort = port;
    const ProfileSave save = WriteProfile(path, doc);
    ASSERT_TRUE(save.ok()) << save.failure->text;
    EXPECT_EQ(ReadProfile(path, StartupDocument()).document->cfg.ComPort, port);
  }
  EXPECT_EQ(Listing(temp.path()), QStringList{QFileInfo(path).fileName()});
}

// Standard input and output: a fresh file goes out, and comes back the same.
TEST(Streams, AFreshFileWrittenToAPipeReadsBackAsTheSameDocument) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  Document doc = *ReadProfile(Fixture("commented.kova"), StartupDocument()).document;
  ASSERT_TRUE(WriteProfileToStream(ends[1], "-", doc).ok());
  close(ends[1]);
  const ProfileLoad back = ReadProfileStream(ends[0], "-", StartupDocument());
  close(ends[0]);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.document->cfg, doc.cfg);
  EXPECT_EQ(back.document->image, doc.image);
}

// Every way the program writes a file, onto a disk that takes nothing.
TEST(FailingWrites, LeaveTheOldBytesNoStrayFileAndAMessageWithThePathAndTheReason) {
  const QByteArray old = Bytes(Fixture("commented.kova"));
  const QDateTime now = QDateTime::currentDateTime();
  struct Case {
    const char* name;
    const char* existing;  // the old file's bytes, or nullptr for a new file
    std::function<std::optional<Message>(const QString& path, Document& doc)> write;
    const char* reason;
    bool linked = false;  // the old file has a second name: it is written in place
  };
  const auto packed = [](const QString& p, Document& d) { return WriteProfile(p, d).failure; };
  const Case cases[] = {
      {"Save over a file", old.constData(), packed, "\nFile too large."},
      {"Save As a new file", nullptr, packed, "\nFile too large."},
      {"a unit's image", old.constData(),
       [](const QString& p, Document& d) { return WriteProfileImage(p, d).failure; },
       "\nFile too large."},
      {"backup", nullptr,
       [&](const QString& p, Document& d) {
         return WriteBackup(QFileInfo(p).path(), d, "get", now).failure;
       },
       "\nFile too large.\nOnly the backup copy is missing: the configuration read from the Kova "
       "Pro is shown all the same."},
      {"standard output on a full device", nullptr,
       [](const QString& p, Document& d) {
         const int fd = open("/dev/full", O_WRONLY);
         auto failure = WriteProfileToStream(fd, p, d).failure;
         close(fd);
         return failure;
       },
       "\nNo space left on device."},
      // The old text goes aside whole, the new one stops part-way and is
      // replaced by the old one again.
      {"Save over a file with two names", "; old\r\n", packed, "\nFile too large.", true},
  };
  for (const auto& c : cases) {
    QTemporaryDir temp;
    const QString path = temp.filePath("unit.kova");
    ASSERT_TRUE(!c.existing || Put(path, c.existing));
    if (c.linked) {
      ASSERT_EQ(link(path.toLocal8Bit().constData(),
                     temp.filePath("other name.kova").toLocal8Bit().constData()),
                0);
    }
    const QStringList before = Listing(temp.path());
    Document doc = StartupDocument();
    doc.cfg.ComPort = 3;
    const Document unchanged = doc;
    std::optional<Message> failure;
    {
      FullDisk full(64);  // room for an old text aside, none for a new one
      failure = c.write(path, doc);
    }
    ASSERT_TRUE(failure) << c.name;
    EXPECT_NE(failure->text.find(temp.path().toStdString()), std::string::npos) << failure->text;
    EXPECT_NE(failure->text.find(c.reason), std::string::npos) << failure->text;
    EXPECT_EQ(Listing(temp.path()), before) << c.name;
    if (c.existing) {
      EXPECT_EQ(Bytes(path), c.existing) << c.name;
    }
    if (c.linked) {
      EXPECT_EQ(Bytes(temp.filePath("other name.kova")), c.existing);
    }
    EXPECT_EQ(doc.cfg, unchanged.cfg) << c.name;
    EXPECT_EQ(doc.image, unchanged.image) << c.name;
  }

  // A file that would outgrow what reading accepts is refused before writing.
  QTemporaryDir temp;
  const QString path = temp.filePath("big.kova");
  const QByteArray big = ";" + QByteArray(kMaxProfileBytes - 16, 'x') + "\n";
  ASSERT_TRUE(Put(path, big));
  Document doc = StartupDocument();
  const ProfileSave save = WriteProfile(path, doc);
  ASSERT_FALSE(save.ok());
  EXPECT_NE(save.failure->text.find("larger than 4194304 bytes"), std::string::npos);
  EXPECT_EQ(Bytes(path), big);
}

}  // namespace
}  // namespace kova
