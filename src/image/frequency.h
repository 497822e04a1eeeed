// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

#include "image/configuration.h"

// The synthesized receiver frequency: Freq = 45000000 Hz + SynthN x ChanSpace.
// Freq is held in hertz and is the only source of the frequency; txtFreq shows it.
namespace kova {

constexpr double kSynthBaseHz = 45000000;
constexpr double kDefaultFreqHz = 459050000;

// Channel spacing by optChanSpace index; the third entry is never filled.
constexpr std::array<int, 3> kChanSpaceTable{5000, 6250, 0};

// The eight step buttons, "+" .. "----".
enum class FreqStep { Add, Sub, Add2, Sub2, Add3, Sub3, Add4, Sub4 };

// Freq in MHz with the picture "0.000 000": 459050000 shows as "459.050 000".
std::string DisplayFreq(double freq);

// optChanSpace(index) selected: ChanSpace from the table, and Freq moved down
// onto the new raster. Runs only when the selection really changes.
void SelectChanSpace(Configuration& cfg, int index);

// The signed change of Freq that a step button makes: one channel, 25 kHz, 100 kHz or 1 MHz.
double StepSize(const Configuration& cfg, FreqStep step);
// A step button: no limit and no realignment.
void StepFreq(Configuration& cfg, FreqStep step);

}  // namespace kova
