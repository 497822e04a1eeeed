// SPDX-License-Identifier: GPL-3.0-or-later
#include "pty_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace kova::sim {
namespace {

constexpr std::array<std::pair<speed_t, int>, 8> kSpeeds{{{B115200, 115200},
                                                          {B57600, 57600},
                                                          {B38400, 38400},
                                                          {B19200, 19200},
                                                          {B9600, 9600},
                                                          {B4800, 4800},
                                                          {B2400, 2400},
                                                          {B1200, 1200}}};

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

// The link's name may hold only a link (this simulator's, or one left by an
// earlier run): a file there is someone's, and would be gone with the link.
void RefuseIfNotALink(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode)) {
    throw std::runtime_error(path + " exists and is not a symbolic link; --link needs a new name");
  }
}

}  // namespace

PtyDevice::PtyDevice(std::string link, int idleRate) : link_(std::move(link)), idleRate_(idleRate) {
  Create();
}

PtyDevice::~PtyDevice() {
  ReleaseSlave();
  if (master_ >= 0) ::close(master_);
  if (!link_.empty()) {
    char target[4096];
    const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path_) {
      ::unlink(link_.c_str());
    }
  }
}

void PtyDevice::Create() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) Fail("grantpt");
  const char* name = ::ptsname(master_);
  if (!name) Fail("ptsname");
  path_ = name;
  // Raw from the start: until the program sets its own modes the line must
  // not echo or cook what the unit sends.
  termios modes{};
  if (::tcgetattr(master_, &modes) != 0) Fail("tcgetattr");
  ::cfmakeraw(&modes);
  if (::tcsetattr(master_, TCSANOW, &modes) != 0) Fail("tcsetattr");
  SetIdleRate(idleRate_);
  HoldSlave();
  PointLink();
}

void PtyDevice::PointLink() {
  if (link_.empty()) return;
  // A new link beside the old one, renamed over it: never a moment without.
  const std::string temporary = link_ + ".new";
  RefuseIfNotALink(link_);
  RefuseIfNotALink(temporary);
  ::unlink(temporary.c_str());
  if (::symlink(path_.c_str(), temporary.c_str()) != 0) Fail("symlink " + temporary);
  if (::rename(temporary.c_str(), link_.c_str()) != 0) Fail("rename to " + link_);
}

void PtyDevice::SetIdleRate(int rate) {
  idleRate_ = rate;
  termios modes{};
  if (::tcgetattr(master_, &modes) != 0) return;
  for (const auto& [code, value] : kSpeeds) {
    if (value == rate) {
      ::cfsetispeed(&modes, code);
      ::cfsetospeed(&modes, code);
    }
  }
  ::tcsetattr(master_, TCSANOW, &modes);
}

int PtyDevice::PeerRate() const {
  termios modes{};
  if (::tcgetattr(master_, &modes) != 0) return 0;
  const speed_t speed = ::cfgetospeed(&modes);
  for (const auto& [code, rate] : kSpeeds) {
    if (code == speed) return rate;
  }
  return 0;
}

bool PtyDevice::PeerHungUp() const {
  pollfd state{master_, 0, 0};
  return ::poll(&state, 1, 0) > 0 && (state.revents & POLLHUP);
}

bool PtyDevice::HoldSlave() {
  if (slave_ < 0) slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  return slave_ >= 0;
}

void PtyDevice::ReleaseSlave() {
  if (slave_ < 0) return;
  ::close(slave_);
  slave_ = -1;
}

void PtyDevice::Renew() {
  ReleaseSlave();
  ::close(master_);
  master_ = -1;
  Create();
}

}  // namespace kova::sim
