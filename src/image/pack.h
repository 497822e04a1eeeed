// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "diag/error_reporter.h"
#include "image/document.h"

namespace kova {

// Folds the configuration into the image, step by step in the order of the
// bit map's packing list. Bytes 0..3 and 255 are never written, and the
// verification area only when a sequence format is ticked.
//
// Packing works on a copy: when a value is refused (a text that is not a
// number, a RIC outside 0..2097151, a time that does not fit, a list with
// nothing selected, a frequency the synthesizer cannot take, a sequence too
// long for its format) it throws a FieldFailure naming the field and its text,
// and the document is left exactly as it was. On success the image, the bit
// array and the clock jog that packing forces are committed together.
void PackEEprom(Document& doc);
// The same without the trace's dump of the packed image: for finding out
// whether, and where, a configuration would be refused.
void PackWithoutTrace(Document& doc);

// The same, with a refusal handed to the reporter as "PackEEprom". Returns
// false when nothing was packed, so that Put and Save can refuse to go on.
bool PackEEprom(Document& doc, ErrorReporter& reporter);

}  // namespace kova
