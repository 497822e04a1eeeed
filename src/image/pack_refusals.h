// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "image/document.h"
#include "image/field_names.h"
#include "image/field_table.h"

// Everything that stands between a configuration and a packed image, found
// at once rather than one refusal at a time, and the one remedy that needs
// no judgement: texts a release-1 file left empty take the values a new
// configuration has.
namespace kova {

// Every value that packing would refuse, in packing order, each as packing
// words it ("Chan 1 Close RIC: 'x' is not a number", or "Chan 1 Close RIC is
// empty") with its control. Empty when the document packs. The document is
// not changed.
std::vector<FieldFailure> PackRefusals(const Document& doc);

// The unit's texts that are empty (or blank) and so cannot be packed, in the
// order of the table: what a release-1 file that left fields out leaves.
std::vector<FieldAt> EmptyTexts(const Configuration& cfg);

// Writes into each of those texts the value File New gives it ("0") and
// returns the fields it filled. Nothing else changes.
std::vector<FieldAt> FillEmptyTexts(Configuration& cfg);

// The refusals as lines, the first `named` of them by name and the rest
// counted: "...\nand 57 more".
std::string ListRefusals(const std::vector<FieldFailure>& refusals, std::size_t named = 5);

// The empty fields in a sentence's worth: zones by their names ("Chan 1 to
// Chan 10"), other fields by their labels.
std::string DescribeEmptyTexts(const std::vector<FieldAt>& empty);

}  // namespace kova
