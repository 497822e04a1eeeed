// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kova::sim {

// The PC's end of the simulated cable: a pseudo-terminal whose slave side
// the program opens like a serial port, while the simulator holds the
// master. Termios requests on the master act on the slave, so the master
// sees the rate that the program set.
class PtyDevice {
 public:
  // Opens a pty idling at `idleRate` and, when `link` is not empty, points
  // that symbolic link at it. Throws std::runtime_error.
  PtyDevice(std::string link, int idleRate);
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  int fd() const { return master_; }
  const std::string& path() const { return path_; }

  // The rate the other side set on the device, in bit/s; 0 when it is none
  // of the standard rates.
  int PeerRate() const;
  // Whether nobody holds the device open any more: the program closed it.
  bool PeerHungUp() const;

  // While the program has the device closed, the master reads EIO and polls
  // as hung up; holding the slave open meanwhile lets the simulator sleep
  // until bytes come. It lets go once they do, so that the program closing
  // the device shows again. False when the slave cannot be held.
  bool HoldSlave();
  void ReleaseSlave();
  bool HoldingSlave() const { return slave_ >= 0; }

  // Sets the rate the device keeps while nobody uses it. The serial layer of
  // the program puts back the settings it found when it closes the device,
  // so bytes that are read only after that count as sent at this rate.
  void SetIdleRate(int rate);

  // Pulls the plug: the program's open device fails from now on, and a new
  // device takes its place (and the link).
  void Renew();

 private:
  void Create();
  void PointLink();

  std::string link_;
  int idleRate_;
  std::string path_;
  int master_ = -1;
  int slave_ = -1;
};

}  // namespace kova::sim
