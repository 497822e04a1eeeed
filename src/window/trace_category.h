// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The trace goes to the debug messages of the category "kova.trace", off
// unless switched on (QT_LOGGING_RULES="kova.trace.debug=true").
namespace kova {

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

// Attaches the trace to the category when its debug messages are on, and
// detaches it otherwise, so that nothing is formatted while nobody reads it.
// Returns whether the trace is attached.
bool AttachTraceToLog();

}  // namespace kova
