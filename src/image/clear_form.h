// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/configuration.h"
#include "image/document.h"

namespace kova {

// File New: no file, no versions, every RIC "0", every time 0, the enables
// and message options unticked, 1200 baud with Normal polarity, and the
// synthesizer off at 459.050 000 MHz on the 6.25 kHz raster. Function lists,
// Orvel protocol, test-call monitoring, relay and sounder channels and modes,
// and the serial settings are the user's and stay as they are.
void ClearForm(Configuration& cfg);

// The configuration right after start-up: the form cleared, every list at its
// first item but the two rate lists at "9600", relay and sounder "Fixed".
Configuration StartupConfiguration();

// The document right after start-up, before any file or unit: the start-up
// configuration over an image of zeros.
Document StartupDocument();

}  // namespace kova
