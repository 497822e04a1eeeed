// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/clear_form.h"

#include "image/field_table.h"

namespace kova {

// Table order, through the click rules where a field has one: the rate's rule
// presets the clock jog and the spacing's realigns the frequency, and both are
// overwritten by their own rows further on.
void ClearForm(Configuration& cfg) {
  for (const Field& field : Fields()) {
    for (int i = 0; i < field.count(); ++i) {
      const int index = field.count() > 1 ? i : -1;
      if (const auto* text = std::get_if<std::string_view>(&field.cleared)) {
        SetText(cfg, field, index, std::string(*text));
      } else if (const auto* number = std::get_if<int>(&field.cleared)) {
        ApplyNumber(cfg, field, index, *number);
      } else if (const auto* real = std::get_if<double>(&field.cleared)) {
        ApplyNumber(cfg, field, index, *real);
      }
    }
  }
}

Configuration StartupConfiguration() {
  Configuration cfg;
  ClearForm(cfg);
  cfg.ComPort = 0;
  cfg.BaudPC = 4;
  cfg.BaudKova = 4;
  cfg.Sign1Func = cfg.Sign2Func = cfg.AlphaRepeatFunc = cfg.AlphaSubFunc = 0;
  cfg.NumericRepeatFunc = cfg.NumericSubFunc = cfg.ResetFunc = 0;
  for (auto& zone : cfg.Zones)
    zone.CloseFunc = zone.OpenFunc = zone.ToggleFunc = 0;
  cfg.SndrMode = OutputMode::WireOrd;
  cfg.RlyMode = OutputMode::WireOrd;
  return cfg;
}

Document StartupDocument() {
  Document doc;
  doc.cfg = StartupConfiguration();
  return doc;
}

}  // namespace kova
