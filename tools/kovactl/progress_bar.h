// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/operation.h"

namespace kova::ctl {

// Progress on stderr, redrawn in place, only when a person is watching.
ProgressSink ProgressBar();

// Ends the bar's line if it is still open, so that a message printed next
// starts on a line of its own.
void EndProgressLine();

}  // namespace kova::ctl
