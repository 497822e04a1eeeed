// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

namespace kova {

// Option groups. Each can also hold "nothing selected", which a legacy file can cause.
enum class PocsagRate { None, R512, R1200, R2400 };
enum class PolarityMode { None, Auto, Normal, Inverted };
enum class HuntingMode { None, On, Off };
enum class OutputMode { None, Timed, WireOrd };  // common relay and sounder; WireOrd shows "Fixed"

// A check box's Value: 0 clear, 1 ticked, 2 greyed (only a file can bring that).
using Check = int;
// A list's ListIndex: -1 when nothing is selected.
using ListIndex = int;

constexpr ListIndex kNoSelection = -1;
constexpr int kZoneCount = 10;

// One zone ("Chan 1" .. "Chan 10"). Text boxes hold what was typed; the text is
// converted only when the image is packed.
struct Zone {
  std::string CloseRIC1;
  ListIndex CloseFunc = kNoSelection;  // "A".."D", "ALL"
  std::string CloseRIC2;
  Check EnableClose = 0;
  std::string CloseTMax;  // seconds, a multiple of 10
  Check TxMonitor = 0;
  std::string OpenRIC1;
  ListIndex OpenFunc = kNoSelection;
  std::string OpenRIC2;
  Check EnableOpen = 0;
  std::string ToggleRIC1;
  ListIndex ToggleFunc = kNoSelection;
  std::string ToggleRIC2;
  Check EnableToggle = 0;
  Check SndrChan = 0;
  Check RlyChan = 0;

  bool operator==(const Zone&) const = default;
};

// Everything the main window edits, one member per control, named after the
// control without its type prefix. A default-constructed Configuration is the
// window as designed, before start-up fills lists and clears the form.
struct Configuration {
  // General
  std::string FileName;
  std::array<std::string, 3> Ver;
  PocsagRate PocsagBaud = PocsagRate::R1200;
  PolarityMode Polarity = PolarityMode::Normal;

  // Engineering
  std::string ETI;
  Check SynthRx = 0;
  ListIndex ChanSpaceOption = kNoSelection;  // which optChanSpace button is selected
  int ChanSpace = 0;                         // Hz, 5000 or 6250
  double Freq = 0;                           // Hz, a whole number; txtFreq only shows it
  int SynthN = 0;                            // the synthesizer's 18-bit divider word
  Check FrmZero = 0;
  Check SingleMsg = 0;
  Check SpeedLetter = 0;

  // Comms
  ListIndex ComPort = kNoSelection;  // 0..15 for ports 1..16
  ListIndex BaudPC = kNoSelection;   // index into kBaudRates
  ListIndex BaudKova = kNoSelection;

  // PLL (hidden in the window)
  HuntingMode Hunting = HuntingMode::Off;
  std::string ClkJog;
  std::string ClkJogLpos;
  std::string ClkJogLneg;
  std::string ClkInc;

  // Serial Data
  Check Sign1Enable = 0;
  std::string Sign1RIC;
  ListIndex Sign1Func = kNoSelection;
  Check Sign2Enable = 0;
  std::string Sign2RIC;
  ListIndex Sign2Func = kNoSelection;
  Check EnableAlphaRepeat = 0;
  std::string RepeatRIC1;
  std::string RepeatRIC2;
  ListIndex AlphaRepeatFunc = kNoSelection;
  Check EnableAlphaCode = 1;
  Check EnableAlphaSub = 0;
  std::string AlphaSubRIC;
  ListIndex AlphaSubFunc = kNoSelection;
  Check EnableNumericRepeat = 0;
  std::string RepeatRIC3;
  std::string RepeatRIC4;
  ListIndex NumericRepeatFunc = kNoSelection;
  Check EnableNumericCode = 1;
  Check EnableNumericSub = 0;
  std::string NumericSubRIC;
  ListIndex NumericSubFunc = kNoSelection;

  // Chan 1 .. Chan 10
  std::array<Zone, kZoneCount> Zones;

  // Options
  Check ResetEnable = 0;
  std::string ResetRIC;
  ListIndex ResetFunc = kNoSelection;
  OutputMode SndrMode = OutputMode::WireOrd;
  std::string SndrTime;
  OutputMode RlyMode = OutputMode::WireOrd;
  std::string RlyTime;
  std::string RepeatFilter;

  // Verification
  Check NumericVC = 0;
  Check AlphaVC = 0;
  std::string VC;

  bool operator==(const Configuration&) const = default;
};

// The serial rates of the PC and unit rate lists, by list index.
constexpr std::array<int, 8> kBaudRates{115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200};

// The items of the function lists: the list index is the function code.
constexpr std::array<const char*, 5> kFunctionNames{"A", "B", "C", "D", "ALL"};
constexpr int kTwoBitFunctions = 4;    // "A".."D"
constexpr int kThreeBitFunctions = 5;  // "A".."D", "ALL"

}  // namespace kova
