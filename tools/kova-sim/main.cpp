// SPDX-License-Identifier: GPL-3.0-or-later
// kova-sim: a Kova Pro unit on a pseudo-terminal. See SimHelp() for what it does.

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>

#include "diag/program_identity.h"
#include "eeprom_file.h"
#include "image/configuration.h"
#include "pty_device.h"
#include "sim_options.h"
#include "simulator.h"
#include "unit_model.h"

namespace {

volatile bool stopRequested = false;

void RequestStop(int) {
  stopRequested = true;
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

kova::EEpromImage StartingEEprom(const std::string& path) {
  if (path.empty()) return kova::sim::FactoryEEprom();
  if (!std::filesystem::exists(path)) {
    const kova::EEpromImage image = kova::sim::FactoryEEprom();
    kova::sim::SaveEEprom(path, image);
    return image;
  }
  return kova::sim::LoadEEprom(path);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kova::sim;
  // A file-size limit makes a write fail with EFBIG, which is reported,
  // instead of ending the simulator without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  SimOptions options;
  try {
    options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << "kova-sim: " << error.what() << "\n";
    return 2;
  }
  if (options.help) {
    std::cout << SimHelp();
    return 0;
  }
  if (options.version) {
    std::cout << "kova-sim " << kova::kVersionMajor << '.' << kova::kVersionMinor << '.'
              << kova::kVersionRevision << "\n";
    return 0;
  }
  if (options.dieWithParent) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1) return 0;  // the parent is already gone
  }
  CatchStopSignals();
  try {
    UnitModel unit(StartingEEprom(options.eepromFile), options.versions, options.faults);
    if (options.rate != 0) {
      for (int i = 0; i < static_cast<int>(kova::kBaudRates.size()); ++i) {
        if (kova::kBaudRates[i] == options.rate) unit.SetRateIndex(i);
      }
    }
    PtyDevice device(options.link, kova::kBaudRates[unit.RateIndex()]);
    std::cout << device.path() << std::endl;
    if (options.verbose) {
      std::cerr << "listening on " << device.path() << " at " << kova::kBaudRates[unit.RateIndex()]
                << " bit/s\n";
    }
    Simulator simulator(options, unit, device, std::cout, std::cerr);
    simulator.Run(stopRequested);
    if (!options.eepromFile.empty()) SaveEEprom(options.eepromFile, unit.eeprom());
  } catch (const std::exception& error) {
    std::cerr << "kova-sim: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
