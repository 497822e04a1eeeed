// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "image/document.h"

namespace kova {

// Sets every unit field of the configuration from the image, in the order of
// the reading list, through the same rules a click runs, so that later steps
// see and overwrite what earlier ones did (Auto polarity read at 2400 baud
// comes out Normal). The image is only read; the bit array takes the
// verification area when the sequence is alpha.
//
// Reading never stops half way. A function slot holding code 5, 6 or 7 shows
// as "ALL" (its bit 7 marks ALL) and is returned as a warning naming the field.
std::vector<std::string> InterpretEEprom(Document& doc);

}  // namespace kova
