// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/frequency.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kova {

std::string DisplayFreq(double freq) {
  // Whole hertz are the six decimals of the megahertz.
  const long long hertz = std::llround(freq);
  const long long magnitude = std::llabs(hertz);
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld.%03lld %03lld", hertz < 0 ? "-" : "",
                magnitude / 1000000, magnitude / 1000 % 1000, magnitude % 1000);
  return text;
}

void SelectChanSpace(Configuration& cfg, int index) {
  if (cfg.ChanSpaceOption == index) return;
  cfg.ChanSpaceOption = index;
  cfg.ChanSpace = kChanSpaceTable.at(static_cast<std::size_t>(index));
  // The remainder keeps the sign of Freq, as the unit's own tools did; a
  // frequency stepped far out of range is realigned rather than refused.
  if (cfg.ChanSpace != 0) cfg.Freq -= std::fmod(std::round(cfg.Freq), cfg.ChanSpace);
}

double StepSize(const Configuration& cfg, FreqStep step) {
  switch (step) {
    case FreqStep::Add:
      return cfg.ChanSpace;
    case FreqStep::Sub:
      return -cfg.ChanSpace;
    case FreqStep::Add2:
      return 25000;
    case FreqStep::Sub2:
      return -25000;
    case FreqStep::Add3:
      return 100000;
    case FreqStep::Sub3:
      return -100000;
    case FreqStep::Add4:
      return 1000000;
    case FreqStep::Sub4:
      return -1000000;
  }
  return 0;
}

void StepFreq(Configuration& cfg, FreqStep step) {
  cfg.Freq += StepSize(cfg, step);
}

}  // namespace kova
