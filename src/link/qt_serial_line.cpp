// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt_serial_line.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include "link/open_problem.h"
#include "link/port_map.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#endif

namespace kova {
namespace {

// A byte that has not left after this long never will: the device is stuck.
constexpr int kWriteTimeoutMs = 2000;

int CeilMillis(std::chrono::microseconds wait) {
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

constexpr const char* kInUse = "the device is in use by another program";

struct DeviceAccess {
  bool exists = true;
  bool accessible = true;
  std::string group;  // to suggest joining
};

DeviceAccess Inspect(const std::string& device) {
  DeviceAccess access;
#ifdef Q_OS_UNIX
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0) {
    access.exists = false;
    return access;
  }
  access.accessible = ::access(device.c_str(), R_OK | W_OK) == 0;
  if (const struct group* owner = ::getgrgid(info.st_gid)) {
    access.group =
        GroupToJoin(owner->gr_name, (info.st_mode & S_IRGRP) && (info.st_mode & S_IWGRP));
  }
#else
  // Windows names ports, not files; the serial layer's verdict is all there is.
  (void)device;
#endif
  return access;
}

#ifdef Q_OS_UNIX
// What a path is when it cannot be a serial device; empty when it may be one
// (a character device, which the terminal check then settles).
std::string NotASerialDevice(mode_t mode) {
  if (S_ISCHR(mode)) return {};
  if (S_ISREG(mode)) return "it is a file, not a serial device";
  if (S_ISDIR(mode)) return "it is a folder, not a serial device";
  if (S_ISFIFO(mode)) return "it is a named pipe (FIFO), not a serial device";
  if (S_ISSOCK(mode)) return "it is a socket, not a serial device";
  return "it is not a serial device";
}
#endif

#ifdef Q_OS_UNIX
// The device a line holds and its lock file, for ReleaseHeldPortForExit,
// which runs in a signal handler: plain data only.
std::atomic<int> heldFd{-1};
char heldLockFile[512];

// Where programs that follow the old UUCP convention (the serial layer
// among them) put the lock file of a device: "LCK..ttyUSB0", "LCK..pts_3".
std::vector<std::string> LockFilesOf(const std::string& device) {
  std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return {"/run/lock/LCK.." + name, "/var/lock/LCK.." + name};
}

// Whether the lock file at `path` names a process that runs. The serial
// layer writes the number as text; a file without one is unfinished.
bool NamesRunningProcess(const std::string& path) {
  std::ifstream file(path);
  long pid = 0;
  if (!file || !(file >> pid) || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool LockFileInUse(const std::string& device) {
  for (const std::string& path : LockFilesOf(device)) {
    if (NamesRunningProcess(path)) return true;
  }
  return false;
}

// A lock file left by a process that has ended, or one that never got its
// process number written (a full disk, a file-size limit): the device is
// free to take. The file is removed. False when the file names a process
// that runs, or when there is no such file.
bool RemoveStaleLockFile(const std::string& device) {
  if (LockFileInUse(device)) return false;
  bool removed = false;
  for (const std::string& path : LockFilesOf(device)) {
    if (::unlink(path.c_str()) == 0) removed = true;
  }
  return removed;
}
#endif

}  // namespace

void ReleaseHeldPortForExit() noexcept {
#ifdef Q_OS_UNIX
  const int fd = heldFd.load();
  if (fd < 0) return;
#ifdef TIOCNXCL
  ::ioctl(fd, TIOCNXCL);
#endif
  if (heldLockFile[0]) ::unlink(heldLockFile);
#endif
}

QtSerialLine::QtSerialLine() : port_(std::make_unique<QSerialPort>()) {}

QtSerialLine::~QtSerialLine() {
  Close();
  Unlock();
}

void QtSerialLine::LockDevice(const std::string& device) {
  if (device == locked_ && lockFd_ >= 0) return;
  Unlock();
#ifdef Q_OS_UNIX
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;  // before anything else can change it
    const std::string detail = std::strerror(error);
    // A socket refuses with "no such device", a loop of links as a missing
    // file: say what the path is instead.
    if (error == ELOOP) throw LineError("too many levels of symbolic links");
    struct stat info {};
    if (::stat(device.c_str(), &info) == 0) {
      if (const std::string what = NotASerialDevice(info.st_mode); !what.empty()) {
        throw LineError(what);
      }
    }
    DeviceAccess access = Inspect(device);
    if (error == ENOENT || error == ENODEV || error == ENXIO) access.exists = false;
    // A device held in exclusive mode refuses with EBUSY; when the program
    // that set it has ended, only the superuser can open it to clear it.
    if (error == EBUSY && RemoveStaleLockFile(device)) {
      throw LineError(
          "the device was left in exclusive mode by a program that has ended; its lock file "
          "was removed, but only the superuser can clear that mode (or unplug and replug the "
          "adapter)");
    }
    const OpenProblem problem =
        error == EBUSY
            ? OpenProblem::Busy
            : ClassifyOpenProblem(access.exists,
                                  access.accessible && error != EACCES && error != EPERM, false);
    throw LineError(OpenProblemText(problem, access.group, detail));
  }
  // A file, a pipe or a device that is no terminal (/dev/null) opens, but
  // takes no line settings.
  struct stat info {};
  std::string notSerial = ::fstat(fd, &info) == 0 ? NotASerialDevice(info.st_mode) : "";
  if (notSerial.empty() && !::isatty(fd)) notSerial = "it is not a serial device";
  if (!notSerial.empty()) {
    ::close(fd);
    throw LineError(notSerial);
  }
  // A device another program holds in exclusive mode still opens for root;
  // it must not be used, and its mode must not be cleared by our close.
  int exclusive = 0;
#ifdef TIOCGEXCL
  if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0) exclusive = 0;
#endif
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    throw LineError(kInUse);
  }
  // Exclusive mode outlives a program that was killed (kill -9, a second
  // Ctrl+C) while it held the device, and so does its lock file. Nobody
  // holds our lock, so a lock file whose process has ended marks that case:
  // take the device over. With no lock file, or a live process in it,
  // someone else has the device.
  if (exclusive) {
    if (!RemoveStaleLockFile(device)) {
      ::close(fd);
      throw LineError(kInUse);
    }
#ifdef TIOCNXCL
    ::ioctl(fd, TIOCNXCL);
#endif
  }
  lockFd_ = fd;
#endif
  locked_ = device;
}

void QtSerialLine::Unlock() {
#ifdef Q_OS_UNIX
  if (lockFd_ >= 0) ::close(lockFd_);  // the lock goes with the descriptor
#endif
  lockFd_ = -1;
  locked_.clear();
}

void QtSerialLine::Open(const LineSettings& settings) {
  if (port_->isOpen()) port_->close();
  const std::string device = ResolveDevicePath(settings.device);
  LockDevice(device);
  port_->setPortName(QString::fromStdString(device));
  port_->setBaudRate(settings.rate);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  if (!port_->open(QIODevice::ReadWrite)) {
#ifdef Q_OS_UNIX
    // The device itself opened for us above, so a refusal with no running
    // program named in a lock file is the lock file that could not be
    // written (a full disk, a file-size limit); one left unfinished must not
    // stay behind to lock the device out.
    if (port_->error() == QSerialPort::PermissionError && !LockFileInUse(device)) {
      RemoveStaleLockFile(device);
      port_->clearError();
      throw LineError(
          "its lock file could not be written in /run/lock (is the disk full, or a file-size "
          "limit set?)");
    }
#endif
    ThrowOpenFailure(settings);
  }
#ifdef Q_OS_UNIX
  const std::string lockFile = LockFilesOf(device).front();
  std::snprintf(heldLockFile, sizeof heldLockFile, "%s", lockFile.c_str());
  heldFd.store(static_cast<int>(port_->handle()));
#endif
  // Some drivers take the rate only once the port is open.
  if (port_->baudRate() != settings.rate && !port_->setBaudRate(settings.rate)) {
    const std::string reason = "the device does not take " + std::to_string(settings.rate) +
                               " bit/s (" + port_->errorString().toStdString() + ")";
    port_->close();
    throw LineError(reason);
  }
  port_->clearError();
}

void QtSerialLine::ThrowOpenFailure(const LineSettings& settings) {
  const QSerialPort::SerialPortError error = port_->error();
  const std::string detail = port_->errorString().toStdString();
  port_->clearError();
  DeviceAccess access = Inspect(ResolveDevicePath(settings.device));
  if (error == QSerialPort::DeviceNotFoundError) access.exists = false;
  const OpenProblem problem =
      ClassifyOpenProblem(access.exists, access.accessible, error == QSerialPort::PermissionError);
  throw LineError(OpenProblemText(problem, access.group, detail));
}

void QtSerialLine::Close() {
#ifdef Q_OS_UNIX
  heldFd.store(-1);
#endif
  if (port_->isOpen()) port_->close();
  port_->clearError();
}

bool QtSerialLine::IsOpen() const {
  return port_->isOpen();
}

void QtSerialLine::ThrowIfBroken() {
  const QSerialPort::SerialPortError error = port_->error();
  if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError) {
    port_->clearError();
    return;
  }
  std::string detail = port_->errorString().toStdString();
#ifdef Q_OS_UNIX
  // A device that has gone reads as an end of file, which the serial layer
  // words with whatever error number an earlier call left behind ("not a
  // typewriter" after a probe the device did not support). Asked directly, a
  // gone device says why itself; a present one keeps the serial layer's words
  // (another program having taken the bytes).
  termios attributes{};
  if (port_->handle() >= 0 && ::tcgetattr(port_->handle(), &attributes) != 0) {
    detail = std::strerror(errno);
  }
#endif
  port_->clearError();
  throw LineError(LostDeviceText(detail));
}

int QtSerialLine::ReadByte(std::chrono::microseconds wait) {
  if (!port_->isOpen()) throw LineError("the port is not open");
  if (port_->bytesAvailable() == 0) {
    if (!port_->waitForReadyRead(CeilMillis(wait))) ThrowIfBroken();
  }
  char byte = 0;
  if (!port_->getChar(&byte)) return -1;
  return static_cast<std::uint8_t>(byte);
}

void QtSerialLine::WriteByte(std::uint8_t byte) {
  if (!port_->isOpen()) throw LineError("the port is not open");
  const char c = static_cast<char>(byte);
  if (port_->write(&c, 1) != 1) {
    ThrowIfBroken();
    throw LineError("the device does not take data");
  }
  QDeadlineTimer deadline(kWriteTimeoutMs);
  while (port_->bytesToWrite() > 0) {
    if (port_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) continue;
    ThrowIfBroken();
    if (deadline.hasExpired()) throw LineError("the device does not take data (write timed out)");
  }
#ifdef Q_OS_UNIX
  // Handed to the driver is not yet on the wire: wait until the UART is empty,
  // so that the pause after this byte is measured from when it really left.
  while (::tcdrain(port_->handle()) != 0) {
    if (errno != EINTR) throw LineError(LostDeviceText(std::strerror(errno)));
  }
#endif
}

void QtSerialLine::DiscardInput() {
  if (!port_->isOpen()) throw LineError("the port is not open");
  // Pull in what the driver holds first, so that a vanished device shows here.
  if (port_->waitForReadyRead(0)) port_->readAll();
  ThrowIfBroken();
  port_->clear(QSerialPort::Input);
  ThrowIfBroken();
}

}  // namespace kova
