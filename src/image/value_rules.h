// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/configuration.h"

// What a click changes in the configuration. Each rule runs only when the
// value really changes, as a click event does; reading an image, loading a
// file and clearing the form go through these so that the dependent fields
// follow exactly as they do for the user.
//
// What is shown or hidden is not kept here: the window derives it from the
// values (for example "Auto" polarity is offered except at 2400 baud).
namespace kova {

// opt512 / opt1200 / opt2400: preset the clock jog ("16", "8", "4"); at 2400
// a selected Auto polarity becomes Normal.
void SelectPocsagBaud(Configuration& cfg, PocsagRate rate);

// chkAlphaVC / chkNumericVC: ticking one unticks the other and cleans the
// sequence up for its format; unticking changes nothing else.
void SetAlphaVC(Configuration& cfg, Check value);
void SetNumericVC(Configuration& cfg, Check value);

// The sequence rewritten for a format: alpha keeps codes 33..126 and at most
// 11 characters; numeric keeps the 16 characters of the numeric table (exact
// case) and at most 20.
void EnforceAlpha(Configuration& cfg);
void EnforceNumeric(Configuration& cfg);

// "Copy Relay Settings to Sounder": mode, time (as text) and the ten channels.
void CopyRelayToSounder(Configuration& cfg);

}  // namespace kova
