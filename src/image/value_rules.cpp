// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/value_rules.h"

#include "image/verification_code.h"

namespace kova {

void SelectPocsagBaud(Configuration& cfg, PocsagRate rate) {
  if (cfg.PocsagBaud == rate) return;
  cfg.PocsagBaud = rate;
  switch (rate) {
    case PocsagRate::R512:
      cfg.ClkJog = "16";
      break;
    case PocsagRate::R1200:
      cfg.ClkJog = "8";
      break;
    case PocsagRate::R2400:
      cfg.ClkJog = "4";
      // Automatic polarity is not offered at 2400 baud.
      if (cfg.Polarity == PolarityMode::Auto) cfg.Polarity = PolarityMode::Normal;
      break;
    case PocsagRate::None:
      break;
  }
}

void SetAlphaVC(Configuration& cfg, Check value) {
  if (cfg.AlphaVC == value) return;
  cfg.AlphaVC = value;
  if (value == 1) {
    SetNumericVC(cfg, 0);
    EnforceAlpha(cfg);
  }
}

void SetNumericVC(Configuration& cfg, Check value) {
  if (cfg.NumericVC == value) return;
  cfg.NumericVC = value;
  if (value == 1) {
    SetAlphaVC(cfg, 0);
    EnforceNumeric(cfg);
  }
}

void EnforceAlpha(Configuration& cfg) {
  std::string kept;
  for (char c : cfg.VC) {
    const auto code = static_cast<unsigned char>(c);
    if (code >= 33 && code <= 126) kept += c;
  }
  cfg.VC = kept.substr(0, kMaxAlphaChars);
}

void EnforceNumeric(Configuration& cfg) {
  std::string kept;
  for (char c : cfg.VC) {
    if (kNumericTable.find(c) != std::string_view::npos) kept += c;
  }
  cfg.VC = kept.substr(0, kMaxNumericChars);
}

void CopyRelayToSounder(Configuration& cfg) {
  cfg.SndrMode = cfg.RlyMode;
  cfg.SndrTime = cfg.RlyTime;
  for (auto& zone : cfg.Zones)
    zone.SndrChan = zone.RlyChan;
}

}  // namespace kova
