// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "unit_model.h"

namespace kova::sim {

struct SimOptions {
  std::string eepromFile;  // empty: an EEPROM in memory only
  std::string link;        // a symbolic link to keep pointing at the device
  int rate = 0;            // starting line rate; 0: the one the EEPROM selects
  std::array<std::string, 3> versions{"KOVA PRO 10 ZONE RX", "FIRMWARE 3.10", "SIMULATOR"};
  long minuteMs = 60000;  // how long a minute of the elapsed-time counter lasts
  UnitFaults faults;
  int byteDelayMs = 0;       // on top of each byte's wire time
  int stuckByte = -1;        // after each command, sent without end; -1: none
  long hangupAfter = -1;     // bytes both ways, then the line drops
  double exitOnIdle = 0;     // seconds without a byte from the PC; 0: never
  bool keepSending = false;  // what is being sent goes on after the PC closes
  bool dieWithParent = false;
  bool verbose = false;
  bool help = false;
  bool version = false;
};

// A command line that cannot be used; what() says which option and why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program name.
SimOptions ParseSimOptions(const std::vector<std::string>& args);

// The --help text.
std::string SimHelp();

}  // namespace kova::sim
