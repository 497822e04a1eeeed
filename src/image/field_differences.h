// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "image/configuration.h"
#include "image/field_table.h"

namespace kova {

// One field that two configurations hold differently, named as the user
// knows it and as the command line's JSON does.
struct FieldDifference {
  const Field* field = nullptr;
  int index = -1;      // the zone, -1 for a single field
  std::string label;   // "Chan 3 Close RIC"
  std::string tab;     // "Chan 3", "Comms"
  std::string key;     // "Zones[2].CloseRIC1"
  std::string ours;    // the value in the first configuration, as shown
  std::string theirs;  // in the second
};

// A field's value as the window shows it: a text as it stands, a list's or
// option group's item, "ticked" or "not ticked", a number in its own unit.
std::string FieldValueText(const Configuration& cfg, const Field& field, int index = -1);

// Every field kept in the unit's image whose value differs between the two,
// in the order of the tabs. Fields the unit only reports (its version, its
// running time) and those kept by this program alone are not compared.
std::vector<FieldDifference> FieldDifferences(const Configuration& ours,
                                              const Configuration& theirs);

}  // namespace kova
