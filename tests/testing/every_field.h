// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ranges>
#include <string>

#include "image/clear_form.h"
#include "image/field_table.h"
#include "image/frequency.h"

// Fixtures generated from the field table, so that a new row is covered by
// every test that loops over them without anyone writing it down.
namespace kova::testing {

// The indexes a field's value is kept under: -1 for a single field.
inline std::vector<int> Indexes(const Field& field) {
  const bool single = field.count() == 1;
  const auto all = std::views::iota(single ? -1 : 0, single ? 0 : field.count());
  return {all.begin(), all.end()};
}

// A configuration in which every field holds a value other than start-up's,
// one the image can hold exactly, and different from field to field and zone
// to zone (`seed` shifts them all). Fields whose bits depend on each other
// get a consistent set: 2400 baud, inverted polarity, an alpha sequence, the
// synthesizer on the 5 kHz raster.
inline Configuration EveryField(int seed = 0) {
  Configuration cfg = StartupConfiguration();
  int n = seed;
  for (const Field& field : Fields()) {
    ++n;
    if (field.key.empty()) continue;  // the spacing's buttons follow the spacing
    for (const int i : Indexes(field)) {
      const int k = n * 13 + i + 1;
      switch (field.kind) {
        case FieldKind::Text:
          if (field.range) {
            const long span = static_cast<long>(field.range->max / field.step);
            SetText(cfg, field, i, std::to_string((span - k % span) * field.step));
          } else {
            SetText(cfg, field, i, "T" + std::to_string(k));
          }
          break;
        case FieldKind::CheckBox:
          // Ticked and unticked both appear among the zones.
          SetNumber(cfg, field, i,
                    i % 3 == 1 ? GetNumber(cfg, field, i) : 1 - GetNumber(cfg, field, i));
          break;
        case FieldKind::List:
        case FieldKind::Options:
        case FieldKind::Number: {
          if (field.items.empty()) break;
          const int size = static_cast<int>(field.items.size());
          int at = 0;
          while (at < size && field.items[at].value != GetNumber(cfg, field, i))
            ++at;
          const int next = (at + 1 + (i < 0 ? 0 : i % (size - 1))) % size;
          SetNumber(cfg, field, i, field.items[next == at ? (at + 1) % size : next].value);
          break;
        }
      }
    }
  }
  cfg.NumericVC = 0;
  cfg.AlphaVC = 1;
  cfg.VC = "Kova~Pro!";
  cfg.SynthN = 21400 + seed;
  cfg.Freq = kSynthBaseHz + static_cast<double>(cfg.SynthN) * cfg.ChanSpace;
  cfg.ClkJog = cfg.PocsagBaud == PocsagRate::R2400 ? "1" : "4";  // what packing forces
  return cfg;
}

}  // namespace kova::testing
