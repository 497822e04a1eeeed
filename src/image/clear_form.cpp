#include "image/clear_form.h"

#include "image/frequency.h"
#include "image/value_rules.h"

namespace kova {

void ClearForm(Configuration& cfg) {
  cfg.FileName.clear();
  for (auto& version : cfg.Ver)
    version.clear();
  SelectPocsagBaud(cfg, PocsagRate::R1200);
  cfg.Polarity = PolarityMode::Normal;
  cfg.Hunting = HuntingMode::Off;
  cfg.ETI.clear();
  cfg.ClkJog = "8";
  cfg.ClkJogLpos = "0";
  cfg.ClkJogLneg = "0";
  cfg.ClkInc = "4";
  cfg.ResetEnable = 0;
  cfg.ResetRIC = "0";
  cfg.SndrTime = "0";
  cfg.RlyTime = "0";
  cfg.RepeatFilter = "0";
  cfg.Sign1Enable = 0;
  cfg.Sign1RIC = "0";
  cfg.Sign2Enable = 0;
  cfg.Sign2RIC = "0";
  cfg.EnableAlphaRepeat = 0;
  cfg.RepeatRIC1 = "0";
  cfg.RepeatRIC2 = "0";
  cfg.EnableAlphaSub = 0;
  cfg.AlphaSubRIC = "0";
  cfg.EnableNumericRepeat = 0;
  cfg.RepeatRIC3 = "0";
  cfg.RepeatRIC4 = "0";
  cfg.EnableNumericSub = 0;
  cfg.NumericSubRIC = "0";
  for (auto& zone : cfg.Zones) {
    zone.EnableClose = 0;
    zone.CloseRIC1 = "0";
    zone.CloseRIC2 = "0";
    zone.CloseTMax = "0";
    zone.EnableOpen = 0;
    zone.OpenRIC1 = "0";
    zone.OpenRIC2 = "0";
    zone.EnableToggle = 0;
    zone.ToggleRIC1 = "0";
    zone.ToggleRIC2 = "0";
  }
  cfg.SynthRx = 0;
  SelectChanSpace(cfg, 1);
  cfg.ChanSpace = kChanSpaceTable[1];
  cfg.Freq = kDefaultFreqHz;
  SetNumericVC(cfg, 0);
  SetAlphaVC(cfg, 0);
  cfg.VC.clear();
  cfg.SingleMsg = 0;
  cfg.FrmZero = 0;
  cfg.SpeedLetter = 0;
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

}  // namespace kova
