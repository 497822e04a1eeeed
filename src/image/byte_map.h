// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// The byte map that docs/byte-map.md shows, made from the field table: one
// line per row's bits and per hand-written field, in byte order, the zones'
// runs last (counted from the zone's first byte, "Z+6").
namespace kova {

// The Markdown table: "| Byte | Bits | Field | Meaning |" and its lines.
std::string ByteMapTable();

// The fields with bits in the image's byte at `address`, by their key paths
// ("Zones[2].CloseRIC1"; a hand-written field by its name, "SynthN, Freq"),
// in the table's order; empty for a byte no field holds.
std::vector<std::string> FieldsAtByte(int address);

}  // namespace kova
