#include "link/qt_serial_line.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include "link/open_problem.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace kova {
namespace {

// A byte that has not left after this long never will: the device is stuck.
constexpr int kWriteTimeoutMs = 2000;

int CeilMillis(std::chrono::microseconds wait) {
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

// An open device that fails has almost always been unplugged; the system's
// own words go in brackets for whoever has to look deeper.
std::string Vanished(const std::string& detail) {
  return "the device stopped working or was unplugged (" + detail + ")";
}

struct DeviceAccess {
  bool exists = true;
  bool accessible = true;
  std::string group;
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
  if (const struct group* owner = ::getgrgid(info.st_gid)) access.group = owner->gr_name;
#else
  // Windows names ports, not files; the serial layer's verdict is all there is.
  (void)device;
#endif
  return access;
}

}  // namespace

QtSerialLine::QtSerialLine() : port_(std::make_unique<QSerialPort>()) {}

QtSerialLine::~QtSerialLine() {
  Close();
}

void QtSerialLine::Open(const LineSettings& settings) {
  if (port_->isOpen()) port_->close();
  port_->setPortName(QString::fromStdString(settings.device));
  port_->setBaudRate(settings.rate);
  port_->setDataBits(QSerialPort::Data8);
  port_->setParity(QSerialPort::NoParity);
  port_->setStopBits(QSerialPort::OneStop);
  port_->setFlowControl(QSerialPort::NoFlowControl);
  if (!port_->open(QIODevice::ReadWrite)) ThrowOpenFailure(settings);
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
  DeviceAccess access = Inspect(settings.device);
  if (error == QSerialPort::DeviceNotFoundError) access.exists = false;
  const OpenProblem problem =
      ClassifyOpenProblem(access.exists, access.accessible, error == QSerialPort::PermissionError);
  throw LineError(OpenProblemText(problem, access.group, detail));
}

void QtSerialLine::Close() {
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
  const std::string detail = port_->errorString().toStdString();
  port_->clearError();
  throw LineError(Vanished(detail));
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
    if (errno != EINTR) throw LineError(Vanished(std::strerror(errno)));
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
