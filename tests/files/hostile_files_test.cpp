// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer against what a hostile machine offers: things that are not
// files, wide encodings, broken values, old line ends, and disks that take
// nothing. One table for reading and writing, one line a case.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "field_edits.h"
#include "files/backups.h"
#include "files/file_access.h"
#include "files/profile.h"
#include "full_disk.h"
#include "image/clear_form.h"
#include "test_files.h"

namespace kova {
namespace {

using namespace test;

// What a folder holds, each link with where it points.
QStringList Listing(const QString& folder) {
  QStringList names;
  for (const QFileInfo& entry : QDir(folder).entryInfoList(
           QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
    names << entry.fileName() + (entry.isSymLink() ? " -> " + entry.symLinkTarget() : "");
  return names;
}

// The text as UTF-16 with its byte order mark, as Notepad saves "Unicode".
QByteArray Utf16(const QByteArray& latin1) {
  return QStringEncoder(QStringEncoder::Utf16LE,
                        QStringEncoder::Flag::WriteBom)(QString::fromLatin1(latin1));
}

// Makes at `p` what a case names: a thing that is not a file, a link, nothing
// (no bytes: a new file, a missing one), or else a file of `bytes`.
bool Make(const std::string& name, const std::string& p, const QByteArray& bytes) {
  const std::string folder = p.substr(0, p.rfind('/'));
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
  if (name == "caf\xEF\xBF\xBD.kova") return std::ofstream(folder + "/caf\xE9.kova").good();
  if (name == "link.kova")
    return Put(QString::fromStdString(folder + "/real.kova"), bytes) &&
           symlink("real.kova", p.c_str()) == 0;
  if (name == "first.kova")  // a chain of links to a file not made yet
    return symlink("dangling.kova", p.c_str()) == 0 &&
           symlink((folder + "/made.kova").c_str(), (folder + "/dangling.kova").c_str()) == 0;
  if (bytes.isEmpty()) return true;
  if (!Put(QString::fromStdString(p), bytes)) return false;
  if (name == "two names") return link(p.c_str(), (p + " too").c_str()) == 0;
  if (name.ends_with("'s"))  // another user's, the folder open to all, a colleague's writable
    return chmod(folder.c_str(), 0777) == 0 && chown(p.c_str(), 4001, 4002) == 0 &&
           chmod(p.c_str(), name == "a colleague's" ? 0660 : 0640) == 0;
  return name != "read-only" || chmod(p.c_str(), 0444) == 0;  // by its mode, for root too
}

QByteArray Legacy(const char* sections) {
  return QByteArray("[Version]\nKova Pro=Kova Pro Configuration 1.1\n") + sections;
}

// Every way the program reads or writes a file, from or into what is no
// regular file, what holds broken text or values, or onto a disk that takes
// nothing (room for an old text aside, none for a new one). A read that fails
// gives one message naming the file and why, and nothing blocks; a write that
// fails names the folder and the reason, the old bytes and the document stay
// as they were, and nothing is left beside them.
TEST(HostileFiles, AreReadOrWrittenOrRefusedWithOneMessageAndNothingLost) {
  alarm(60);  // a read or write that blocks on a pipe ends the test here instead of hanging it
  using Write = std::function<std::optional<Message>(const QString& path, Document& doc)>;
  const Write save = [](const QString& p, Document& d) { return WriteProfile(p, d).failure; };
  const Write refused = [](const QString& p, Document& d) {  // the field for the window to show
    const ProfileSave saved = WriteProfile(p, d);
    EXPECT_EQ(saved.control, "txtOpenRIC2(2)");
    return saved.failure;
  };
  const Write colleague = [](const QString& p, Document& d) -> std::optional<Message> {
    const pid_t child = fork();  // saves as a user of the file's group who does not own it
    if (child == 0) {
      const gid_t group = 4002;
      if (setgroups(1, &group) != 0 || setgid(4003) != 0 || setuid(4003) != 0) _exit(2);
      _exit(WriteProfile(p, d).ok() ? 0 : 1);
    }
    int status = -1;
    if (waitpid(child, &status, 0) == child && status == 0) return std::nullopt;
    return Message{.text = "the colleague's save failed: " + std::to_string(status)};
  };
  const Write image = [](const QString& p, Document& d) { return WriteProfileImage(p, d).failure; };
  const Write backup = [](const QString& p, Document& d) {
    return WriteBackup(QFileInfo(p).path(), d, "get", QDateTime::currentDateTime()).failure;
  };
  const Write full = [](const QString& p, Document& d) {  // standard output on a full device
    const int fd = open("/dev/full", O_WRONLY);
    auto failure = WriteProfileToStream(fd, p, d).failure;
    close(fd);
    return failure;
  };
  const QByteArray old = Bytes(Fixture("commented.kova")),
                   layout = Bytes(Fixture("image_layout.kova"));
  const std::string cannot = "The file cannot be opened: ",
                    utf = " text; save it as plain (ANSI/Latin-1) text.";
  const std::optional<std::string> unread;
  const char* tooLarge = "\nFile too large.";
  // A name that nearly fills a folder entry (255 bytes): 249 bytes.
  const std::string longName = QString(122, QChar(0xFC)).toStdString() + ".kova";
  struct Case {
    std::string name;
    QByteArray bytes;
    std::optional<std::string> read;  // the reason reading gives, "" read, unread: not read
    const Write* write;               // nullptr: not written
    bool diskFull;
    const char* written;  // the reason writing gives, nullptr: saved
    const char* edits = "ComPort=7";
  };
  // clang-format off
  const Case cases[] = {
      {"pipe", {}, cannot + "it is a named pipe (FIFO), not a file.", &save, false, "\nIt is a named pipe (FIFO), not a file."},
      {"socket", {}, cannot + "it is a socket, not a file.", &save, false, "\nIt is a socket, not a file."},
      {"device", {}, cannot + "it is a character device, not a file.", &save, false, "\nIt is a character device, not a file."},
      {"folder", {}, cannot + "it is a folder, not a file.", &save, false, "\nIt is a folder, not a file."},
      {"loop", {}, cannot + "too many levels of symbolic links.", &save, false, "\nToo many levels of symbolic links."},
      {"caf\xEF\xBF\xBD.kova", {}, cannot + "the file name is not valid UTF-8.", &save, false, "\nThe file name is not valid UTF-8."},
      {"missing", {}, cannot + "the file does not exist.", nullptr, false, nullptr},
      {"utf16", Utf16(layout), "The file is saved as UTF-16" + utf, &save, false, "The file is saved as UTF-16 text; save it as plain (ANSI/Latin-1) text."},
      {"utf16 without a mark", Utf16(layout).mid(2), "The file is saved as UTF-16" + utf, &save, false, "saved as UTF-16 text"},
      {"utf16, big end first, without a mark", QByteArray("\0[\0E", 4), "The file is saved as UTF-16" + utf, nullptr, false, nullptr},
      {"utf32", QByteArray("\xFF\xFE\0\0[\0\0\0", 8), "The file is saved as UTF-32" + utf, &save, false, "saved as UTF-32 text"},
      {"too large", QByteArray(kMaxProfileBytes + 1, ';'), cannot + "it is larger than 4194304 bytes, too large for a configuration file.", &save, false, "\nIt is larger than 4194304 bytes"},
      // A file that would outgrow what reading accepts is refused before writing.
      {"would grow", ";" + QByteArray(kMaxProfileBytes - 16, 'x') + "\n", unread, &save, false, "larger than 4194304 bytes"},
      {"NUL", QByteArray(layout).replace("Kova=", QByteArray("Ko\0va=", 6)), "Line 3 holds a NUL byte; the file is not plain text.", &save, false, "Line 3 holds a NUL byte"},
      {"bad hex", Bytes(Fixture("image_bad_hex.kova")), "[EEprom] Contents: byte 17 is 'G1', not two hexadecimal digits.", nullptr, false, nullptr},
      {"short", Bytes(Fixture("image_short_contents.kova")), "[EEprom] Contents: the value holds 300 characters, not 512 hexadecimal digits (byte 150 is missing).", nullptr, false, nullptr},
      {"no version", Bytes(Fixture("no_version.kova")), "[EEprom] Contents: the key is missing.", nullptr, false, nullptr},
      {"port 20", Bytes(Fixture("legacy_port20.kova")), "[Comms] Port: 20 is not an item of its list (0 to 15).", nullptr, false, nullptr},
      {"check 3", Bytes(Fixture("legacy_bad_check.kova")), "[Chan 4] Open Enable: 3 is not a check box value (0, 1 or 2).", nullptr, false, nullptr},
      {"port a bc", Legacy("[Comms]\nPort=a bc"), "[Comms] Port: 'a bc' is not a number.", nullptr, false, nullptr},
      {"port empty", Legacy("[Comms]\nPort="), "[Comms] Port: '' is not a number.", nullptr, false, nullptr},
      {"port 70000", Legacy("[Comms]\nPort=70000"), "[Comms] Port: '70000' is outside the range of a 16-bit number.", nullptr, false, nullptr},
      {"maybe", Legacy("[General]\nBaud512=maybe"), "[General] Baud512: 'maybe' is not True, False or a number.", nullptr, false, nullptr},
      {"beep 4", Legacy("[Serial Data]\nRIC 1 Beep=4"), "[Serial Data] RIC 1 Beep: 4 is not an item of its list (0 to 3).", nullptr, false, nullptr},
      {"control", Legacy("[Options]\nReset Enable=\x01\x02"), "[Options] Reset Enable: '?" "?' is not a number.", nullptr, false, nullptr},
      // Read whatever the case of the names, the blanks, the line ends or extra
      // digits; saved with the file's own line ends.
      {"old Mac line ends", QByteArray(layout).replace("\r\n", "\r"), "", &save, false, nullptr},
      {"read-only", layout, "", &save, false, "\nIt is read-only."},
      {"lower case", Bytes(Fixture("image_lowercase.kova")), "", nullptr, false, nullptr},
      {"extra digits", Bytes(Fixture("image_long_contents.kova")), "", nullptr, false, nullptr},
      {"comments and blanks", Bytes(Fixture("commented.kova")), "", nullptr, false, nullptr},
      {"Save over a file", old, unread, &save, true, tooLarge},
      {"new", {}, unread, &save, true, tooLarge},
      {"a unit's image", old, unread, &image, true, tooLarge},
      {"new", {}, unread, &backup, true, "\nFile too large.\nOnly the backup copy is missing: the configuration read from the Kova Pro is shown all the same."},
      {"new", {}, unread, &full, false, "\nNo space left on device."},
      {"gone/folder.kova", {}, unread, &save, false, "\nNo such file or directory."},
      // The old text goes aside whole, the new one stops part-way and is
      // replaced by the old one again.
      {"two names", "; old\r\n", unread, &save, true, tooLarge},
      // A value packing refuses: nothing is written.
      {"refused", "; old\n", unread, &refused, false, "/refused\"; nothing was written.\nChan 3 Open RIC range end: '12x' is not a number.", "Zones[2].OpenRIC2=12x"},
      // Saved through links, which stay links, and under a long name, new or
      // over an old file.
      {"link.kova", layout, unread, &save, false, nullptr},
      {"first.kova", {}, unread, &save, false, nullptr},
      {longName, {}, unread, &save, false, nullptr},
      {longName, layout, unread, &save, false, nullptr},
      // Whoever saves, the file keeps its owner, group, mode, attributes (all
      // rows) and other names: replaced where the new file can be given all
      // that, else written in place.
      {"two names", layout, unread, &save, false, nullptr},
      {"another user's", layout, unread, &save, false, nullptr},
      {"a colleague's", layout, unread, &colleague, false, nullptr},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.name.ends_with("'s") && geteuid() != 0) continue;  // giving files away needs root
    QTemporaryDir temp;
    const QString path = temp.filePath(QString::fromStdString(c.name));
    ASSERT_TRUE(Make(c.name, path.toStdString(), c.bytes));
    if (c.read) {
      const ProfileLoad load = ReadProfile(path, StartupDocument());
      if (!c.read->empty()) {
        ASSERT_FALSE(load.ok());
        EXPECT_EQ(load.failure->text,
                  "Could not read \"" + path.toStdString() + "\"; nothing was loaded.\n" + *c.read);
      } else {
        ASSERT_TRUE(load.ok()) << load.failure->text;
        EXPECT_TRUE(load.warnings.empty());
        EXPECT_EQ(load.document->image,
                  ReadProfile(Fixture("image_layout.kova"), {}).document->image);
        EXPECT_EQ(load.document->cfg.Ver, (std::array<std::string, 3>{"3.15", "Jan 10 2006", "2"}));
        EXPECT_EQ(load.document->cfg.Zones[0].CloseRIC1, "123456");  // the image was interpreted
      }
    }
    if (!c.write) continue;
    const QByteArray native = QFile::encodeName(path);
    struct stat was {};
    bool tagged = false;  // user attributes need a file system that has them; CI's, as root, has
    if (!c.bytes.isEmpty()) {
      ASSERT_EQ(stat(native.constData(), &was), 0);
      tagged = setxattr(native.constData(), "user.site", "north", 5, 0) == 0;
      ASSERT_TRUE(tagged || geteuid() != 0);
    }
    QStringList before = Listing(temp.path());
    Document doc{.cfg = testing::Edited(StartupConfiguration(), c.edits)};
    const Document unchanged = doc;
    std::optional<FullDisk> disk;
    if (c.diskFull) disk.emplace(64);
    const std::optional<Message> failure = (*c.write)(path, doc);
    disk.reset();
    if (!c.bytes.isEmpty()) {  // the old file's owner, group, mode and attributes
      struct stat is {};
      ASSERT_EQ(stat(native.constData(), &is), 0);
      EXPECT_EQ(std::tuple(is.st_uid, is.st_gid, is.st_mode),
                std::tuple(was.st_uid, was.st_gid, was.st_mode));
      char site[8] = {};
      EXPECT_EQ(getxattr(native.constData(), "user.site", site, sizeof site), tagged ? 5 : -1);
      EXPECT_STREQ(site, tagged ? "north" : "");
    }
    if (c.name == "two names") {
      EXPECT_EQ(Bytes(path + " too"), Bytes(path));
    }
    QStringList after = Listing(temp.path());  // nothing beside the file, where its links lead
    const QString made = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
    after.removeAll(made);
    before.removeAll(made);
    EXPECT_EQ(after, before);
    if (!c.written) {  // saved, new with CR LF, else with its own line ends
      ASSERT_FALSE(failure) << failure->text;
      const QByteArray end = c.bytes.isEmpty() || c.bytes.contains("\r\n") ? "\r\n" : "\r";
      QByteArray text = Bytes(path);
      EXPECT_TRUE(text.contains(end + "Port=7" + end));
      EXPECT_FALSE(text.replace(end, "").contains('\r') || text.contains('\n'));
      continue;
    }
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->text.find(temp.path().toStdString()), std::string::npos) << failure->text;
    EXPECT_NE(failure->text.find(c.written), std::string::npos) << failure->text;
    if (!c.bytes.isEmpty()) {
      EXPECT_EQ(Bytes(path), c.bytes);
    }
    EXPECT_EQ(doc.cfg, unchanged.cfg);
    EXPECT_EQ(doc.image, unchanged.image);
  }
  alarm(0);
}

}  // namespace
}  // namespace kova
