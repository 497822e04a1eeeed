// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/window_pages.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>
#include <array>

#include "image/field_table.h"
#include "window/control_table.h"
#include "window/tab_grid.h"

namespace kova {
namespace {

using K = Kind;
using namespace control;
using C = Configuration;
using Z = Zone;

constexpr const char* kRicTip = "RIC for Serial Data";
constexpr const char* kRepeatStart = "Start of RIC range for Repeater";
constexpr const char* kRepeatEnd = "End of RIC range for Repeater";
constexpr const char* kRepeatEnable = "Enable Output Logger RIC Range";
constexpr const char* kOrvel =
    "Cap codes etc are attached to messages for onward transmission using the Orvel Protocol";
constexpr const char* kSub = "Replace incoming cap code with this one ...";
constexpr const char* kSubRic = "Cap code to be used for replacing incoming cap codes";
constexpr const char* kHunting = "Turn Phase Locked Loop on/off";
constexpr const char* kMonitored = "Common relay monitors the ticked channels.";

// One entry per line where it fits: the tables read as a layout.
// clang-format off
const ControlEntry kGeneral[] = {
    {.kind = K::Label, .name = "Label24", .caption = "File Name"},
    {.kind = K::Text, .field = &C::FileName, .col = 1, .span = 3,
     .tip = "File to save/load configuration data to", .flags = kShownOnly,
     .fits = "A rather long configuration file name 01.kova"},
    {.kind = K::Label, .name = "Label29", .row = 1, .caption = "Kova Firmware Version"},
    {.kind = K::Text, .field = &C::Ver, .row = 1, .col = 1,
     .tip = "Kova Pro Firmware build/revision number", .flags = kShownOnly, .count = 3,
     .fits = "EEprom Layout Version 1"},
    {.kind = K::Frame, .name = "Frame2(0)", .row = 2, .span = 2, .caption = "POCSAG"},
    {.kind = K::Label, .name = "Label1", .in = "Frame2(0)", .caption = "Baud Rate"},
    {.kind = K::Frame, .name = "Frame3", .in = "Frame2(0)", .col = 1},
    {.kind = K::Option, .field = &C::PocsagBaud, .item = 0, .in = "Frame3", .caption = "512"},
    {.kind = K::Option, .field = &C::PocsagBaud, .item = 1, .in = "Frame3", .col = 1,
     .caption = "1200"},
    {.kind = K::Option, .field = &C::PocsagBaud, .item = 2, .in = "Frame3", .col = 2,
     .caption = "2400"},
    {.kind = K::Label, .name = "Label3", .in = "Frame2(0)", .row = 1, .caption = "Polarity"},
    {.kind = K::Frame, .name = "Frame4", .in = "Frame2(0)", .row = 1, .col = 1},
    {.kind = K::Option, .field = &C::Polarity, .item = 0, .in = "Frame4", .caption = "Auto",
     .tip = "Read POCSAG of both polarities -- not valid for 2400 baud"},
    {.kind = K::Option, .field = &C::Polarity, .item = 1, .in = "Frame4", .col = 1,
     .caption = "Normal"},
    {.kind = K::Option, .field = &C::Polarity, .item = 2, .in = "Frame4", .col = 2,
     .caption = "Inverted"},
    {.kind = K::Frame, .name = kVersionFrame, .row = 2, .col = 2, .span = 2, .caption = "Note"},
    {.kind = K::Label, .name = "Label60", .in = kVersionFrame,
     .caption = "For use with Kova firmware version 3.15"},
};

const ControlEntry kEngineering[] = {
    {.kind = K::Label, .name = "Label43", .caption = "Elapsed Time Counter"},
    {.kind = K::Text, .field = &C::ETI, .col = 1, .tip = "Total running time of the system",
     .flags = kShownOnly, .fits = "00000:00"},
    {.kind = K::Label, .name = "Label2", .col = 2, .caption = "(hhh:mm) Read only"},
    {.kind = K::CheckBox, .field = &C::SynthRx, .row = 1, .span = 3, .caption = "Enable Synth Rx",
     .tip = "Enable Synth Rx configuration"},
    {.kind = K::Frame, .name = kSynthRxFrame, .row = 2, .span = 3,
     .caption = "Synthesized Rx Configuration"},
    {.kind = K::Frame, .name = "Frame8(10)", .in = kSynthRxFrame, .span = 4,
     .caption = "Channel Spacing"},
    {.kind = K::Option, .field = &C::ChanSpaceOption, .item = 0, .in = "Frame8(10)",
     .caption = "5.00 kHz"},
    {.kind = K::Option, .field = &C::ChanSpaceOption, .item = 1, .in = "Frame8(10)", .col = 1,
     .caption = "6.25 kHz"},
    {.kind = K::Text, .field = &C::Freq, .in = kSynthRxFrame, .row = 1,
     .tip = "Tx Frequency aligned with selected channel spacing", .flags = kReadOnly,
     .fits = "0000.000 000"},
    {.kind = K::Label, .name = "Label58", .in = kSynthRxFrame, .row = 1, .col = 1,
     .caption = "MHz"},
    {.kind = K::Button, .name = kFreqAdd, .in = kSynthRxFrame, .row = 2, .caption = "+",
     .tip = "Up one channel spacing (5 or 6.25 kHz)", .flags = kBold},
    {.kind = K::Button, .name = kFreqAdd2, .in = kSynthRxFrame, .row = 2, .col = 1, .caption = "++",
     .tip = "Up 25 kHz", .flags = kBold},
    {.kind = K::Button, .name = kFreqAdd3, .in = kSynthRxFrame, .row = 2, .col = 2,
     .caption = "+++", .tip = "Up 100 kHz", .flags = kBold},
    {.kind = K::Button, .name = kFreqAdd4, .in = kSynthRxFrame, .row = 2, .col = 3,
     .caption = "++++", .tip = "Up 1000 kHz", .flags = kBold},
    {.kind = K::Button, .name = kFreqSub, .in = kSynthRxFrame, .row = 3, .caption = "-",
     .tip = "Down one channel spacing (5 or 6.25 kHz)", .flags = kBold},
    {.kind = K::Button, .name = kFreqSub2, .in = kSynthRxFrame, .row = 3, .col = 1, .caption = "--",
     .tip = "Down 25 kHz", .flags = kBold},
    {.kind = K::Button, .name = kFreqSub3, .in = kSynthRxFrame, .row = 3, .col = 2,
     .caption = "---", .tip = "Down 100 kHz", .flags = kBold},
    {.kind = K::Button, .name = kFreqSub4, .in = kSynthRxFrame, .row = 3, .col = 3,
     .caption = "----", .tip = "Down 1000 kHz", .flags = kBold},
    {.kind = K::CheckBox, .field = &C::FrmZero, .row = 3, .span = 3,
     .caption = "Frame Zero Messages Only",
     .tip = "Only accept messages that start in frame zero of the batch (ie CapCodes that are "
     "divisible by 8)"},
    {.kind = K::CheckBox, .field = &C::SingleMsg, .row = 4, .span = 3,
     .caption = "First Message Only", .tip = "Ignore all messages in a batch after the first one"},
    {.kind = K::CheckBox, .field = &C::SpeedLetter, .row = 5, .span = 3,
     .caption = "Insert Baud Rate Letter in Orvel Protocol",
     .tip = "Insert N/F/V into Orvel protocol output to indicate received baud rate"},
};

const ControlEntry kComms[] = {
    {.kind = K::Label, .name = "Label25", .caption = "Communications Port"},
    {.kind = K::List, .field = &C::ComPort, .col = 1, .tip = "Selected comms port"},
    {.kind = K::Label, .name = "lblPortDevice", .row = 1, .caption = "Device"},
    {.kind = K::List, .name = kPortDevice, .row = 1, .col = 1,
     .tip = "The serial device this port opens: choose the default, a device found on this "
     "computer, or type the device's path"},
    {.kind = K::Label, .name = "Label34", .row = 2, .caption = "PC Baud Rate"},
    {.kind = K::List, .field = &C::BaudPC, .row = 2, .col = 1},
    {.kind = K::Button, .name = kFindRate, .row = 2, .col = 2, .caption = "Find",
     .tip = "Find the rate the Kova Pro answers at: only its version is asked, at each rate in "
     "turn"},
    {.kind = K::Label, .name = "Label33", .row = 3, .caption = "Kova Baud Rate"},
    {.kind = K::List, .field = &C::BaudKova, .row = 3, .col = 1},
    {.kind = K::Frame, .name = "Frame13", .row = 4, .span = 2, .caption = "Note"},
    {.kind = K::Label, .name = "Label35", .in = "Frame13",
     .caption = "If the Kova Baud rate is changed it will take effect after the next 'PUT' and "
     "before the verification process begins. The PC Baud rate will be changed automatically to "
     "match so that the verification may continue.", .flags = kWrap,
     .fits = "If the Kova Baud rate is changed it will take effect after the next"},
};

const ControlEntry kPll[] = {
    {.kind = K::Label, .name = "Label5", .caption = "Clock Jog Value"},
    {.kind = K::Text, .field = &C::ClkJog, .col = 1,
     .tip = "Amount to jog clock by to regain the centre of the bit time", .fits = "0000"},
    {.kind = K::Label, .name = "Label4", .col = 2, .caption = "Decimal"},
    {.kind = K::Frame, .name = "Frame1", .row = 1, .span = 3, .caption = "Note"},
    {.kind = K::Label, .name = "Label6", .in = "Frame1", .caption = "For 512 baud use 4"},
    {.kind = K::Label, .name = "Label17", .in = "Frame1", .row = 1,
     .caption = "For 1200 baud use 2"},
    {.kind = K::Label, .name = "Label18", .in = "Frame1", .row = 2,
     .caption = "For 2400 baud use 1"},
    // The hunting settings stay out of sight for the life of the window.
    {.kind = K::Label, .name = "Label7", .row = 2, .caption = "PLL Hunting", .flags = kHidden},
    {.kind = K::Frame, .name = "Frame5", .row = 2, .col = 1, .span = 2, .tip = kHunting,
     .flags = kHidden},
    {.kind = K::Option, .field = &C::Hunting, .item = 0, .in = "Frame5", .caption = "On",
     .tip = kHunting},
    {.kind = K::Option, .field = &C::Hunting, .item = 1, .in = "Frame5", .col = 1, .caption = "Off",
     .tip = kHunting},
    {.kind = K::Label, .name = "Label8", .row = 3, .caption = "Error Jog Limit (Positive)",
     .flags = kHidden},
    {.kind = K::Text, .field = &C::ClkJogLpos, .row = 3, .col = 1,
     .tip = "When hunting the maximum jog value allowed in a positive direction", .flags = kHidden,
     .fits = "0000"},
    {.kind = K::Label, .name = "Label10", .row = 3, .col = 2, .caption = "Decimal",
     .flags = kHidden},
    {.kind = K::Label, .name = "Label11", .row = 4, .caption = "Error Limit (Negative)",
     .flags = kHidden},
    {.kind = K::Text, .field = &C::ClkJogLneg, .row = 4, .col = 1,
     .tip = "When hunting the maximum jog value allowed in a negative direction", .flags = kHidden,
     .fits = "0000"},
    {.kind = K::Label, .name = "Label12", .row = 4, .col = 2, .caption = "Decimal",
     .flags = kHidden},
    {.kind = K::Label, .name = "Label13", .row = 5, .caption = "Clock Adjustment",
     .flags = kHidden},
    {.kind = K::Text, .field = &C::ClkInc, .row = 5, .col = 1,
     .tip = "When hunting amount to change clock frequency by", .flags = kHidden, .fits = "0000"},
    {.kind = K::Label, .name = "Label14", .row = 5, .col = 2, .caption = "Decimal",
     .flags = kHidden},
};

const ControlEntry kSerialData[] = {
    {.kind = K::Frame, .name = "Frame6", .caption = "Serial Data - Feed to Serial Sign (1)"},
    {.kind = K::CheckBox, .field = &C::Sign1Enable, .in = "Frame6", .caption = "Enable",
     .tip = "Enable Serial Data on RIC"},
    {.kind = K::Label, .name = "Label19", .in = "Frame6", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &C::Sign1RIC, .in = "Frame6", .col = 2, .tip = kRicTip},
    {.kind = K::Label, .name = "Label20", .in = "Frame6", .col = 3, .caption = "Beep"},
    {.kind = K::List, .field = &C::Sign1Func, .in = "Frame6", .col = 4},
    {.kind = K::Frame, .name = "Frame7", .row = 1,
     .caption = "Serial Data - Feed to Serial Sign (2)"},
    {.kind = K::CheckBox, .field = &C::Sign2Enable, .in = "Frame7", .caption = "Enable",
     .tip = "Enable Serial Data on RIC"},
    {.kind = K::Label, .name = "Label23", .in = "Frame7", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &C::Sign2RIC, .in = "Frame7", .col = 2, .tip = kRicTip},
    {.kind = K::Label, .name = "Label22", .in = "Frame7", .col = 3, .caption = "Beep"},
    {.kind = K::List, .field = &C::Sign2Func, .in = "Frame7", .col = 4},
    {.kind = K::Frame, .name = "Frame8(1)", .row = 2, .caption = "Serial Output - Alpha Messages",
     .tip = "Configure cap codes etc for alpha message repeater"},
    {.kind = K::CheckBox, .field = &C::EnableAlphaRepeat, .in = "Frame8(1)", .caption = "Enable",
     .tip = kRepeatEnable},
    {.kind = K::Label, .name = "Label26(10)", .in = "Frame8(1)", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &C::RepeatRIC1, .in = "Frame8(1)", .col = 2, .tip = kRepeatStart},
    {.kind = K::Label, .name = "Label27(10)", .in = "Frame8(1)", .col = 3, .caption = "<->",
     .flags = kBold},
    {.kind = K::Text, .field = &C::RepeatRIC2, .in = "Frame8(1)", .col = 4, .tip = kRepeatEnd},
    {.kind = K::Label, .name = "Label16(10)", .in = "Frame8(1)", .col = 5, .caption = "Beep"},
    {.kind = K::List, .field = &C::AlphaRepeatFunc, .in = "Frame8(1)", .col = 6},
    {.kind = K::CheckBox, .field = &C::EnableAlphaCode, .in = "Frame8(1)", .row = 1, .span = 3,
     .caption = "Orvel Protocol", .tip = kOrvel},
    {.kind = K::CheckBox, .field = &C::EnableAlphaSub, .in = "Frame8(1)", .row = 2,
     .caption = "Sub", .tip = kSub},
    {.kind = K::Label, .name = kAlphaSubRicLabel, .in = "Frame8(1)", .row = 2, .col = 1,
     .caption = "RIC", .flags = kHidden},
    {.kind = K::Text, .field = &C::AlphaSubRIC, .in = "Frame8(1)", .row = 2, .col = 2,
     .tip = kSubRic, .flags = kHidden},
    {.kind = K::Label, .name = kAlphaSubFuncLabel, .in = "Frame8(1)", .row = 2, .col = 5,
     .caption = "Beep", .flags = kHidden},
    {.kind = K::List, .field = &C::AlphaSubFunc, .in = "Frame8(1)", .row = 2, .col = 6,
     .flags = kHidden},
    {.kind = K::Frame, .name = "Frame8(11)", .row = 3,
     .caption = "Serial Output - Numeric Messages",
     .tip = "Configure cap codes etc for numeric message repeater"},
    {.kind = K::CheckBox, .field = &C::EnableNumericRepeat, .in = "Frame8(11)", .caption = "Enable",
     .tip = kRepeatEnable},
    {.kind = K::Label, .name = "Label26(13)", .in = "Frame8(11)", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &C::RepeatRIC3, .in = "Frame8(11)", .col = 2, .tip = kRepeatStart},
    {.kind = K::Label, .name = "Label27(11)", .in = "Frame8(11)", .col = 3, .caption = "<->",
     .flags = kBold},
    {.kind = K::Text, .field = &C::RepeatRIC4, .in = "Frame8(11)", .col = 4, .tip = kRepeatEnd},
    {.kind = K::Label, .name = "Label16(13)", .in = "Frame8(11)", .col = 5, .caption = "Beep"},
    {.kind = K::List, .field = &C::NumericRepeatFunc, .in = "Frame8(11)", .col = 6},
    {.kind = K::CheckBox, .field = &C::EnableNumericCode, .in = "Frame8(11)", .row = 1, .span = 3,
     .caption = "Orvel Protocol", .tip = kOrvel},
    {.kind = K::CheckBox, .field = &C::EnableNumericSub, .in = "Frame8(11)", .row = 2,
     .caption = "Sub", .tip = kSub},
    {.kind = K::Label, .name = kNumericSubRicLabel, .in = "Frame8(11)", .row = 2, .col = 1,
     .caption = "RIC", .flags = kHidden},
    {.kind = K::Text, .field = &C::NumericSubRIC, .in = "Frame8(11)", .row = 2, .col = 2,
     .tip = kSubRic, .flags = kHidden},
    {.kind = K::Label, .name = kNumericSubFuncLabel, .in = "Frame8(11)", .row = 2, .col = 5,
     .caption = "Beep", .flags = kHidden},
    {.kind = K::List, .field = &C::NumericSubFunc, .in = "Frame8(11)", .row = 2, .col = 6,
     .flags = kHidden},
};

// One zone; "#" is the zone index, "Seconds" the zone's own seconds label.
const ControlEntry kZone[] = {
    {.kind = K::Frame, .name = "Frame8(#)", .row = 1, .caption = "Close"},
    {.kind = K::CheckBox, .field = &Z::EnableClose, .in = "Frame8(#)", .caption = "Enable",
     .tip = "Enable close on RIC"},
    {.kind = K::Label, .name = "Label26(#)", .in = "Frame8(#)", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &Z::CloseRIC1, .in = "Frame8(#)", .col = 2,
     .tip = "Start of RIC range for Close"},
    {.kind = K::Label, .name = "Label27(#)", .in = "Frame8(#)", .col = 3, .caption = "<->",
     .flags = kBold},
    {.kind = K::Text, .field = &Z::CloseRIC2, .in = "Frame8(#)", .col = 4,
     .tip = "End of RIC range for Close"},
    {.kind = K::Label, .name = "Label16(#)", .in = "Frame8(#)", .col = 5, .caption = "Beep"},
    {.kind = K::List, .field = &Z::CloseFunc, .in = "Frame8(#)", .col = 6},
    {.kind = K::CheckBox, .field = &Z::TxMonitor, .in = "Frame8(#)", .row = 1,
     .caption = "Test Call Monitor", .tip = "Use Channel to monitor test calls from transmitter"},
    {.kind = K::Label, .name = kZoneTimeLabel, .in = "Frame8(#)", .row = 1, .col = 1,
     .caption = "TMax", .fits = "Timeout"},
    {.kind = K::Text, .field = &Z::CloseTMax, .in = "Frame8(#)", .row = 1, .col = 2,
     .tip = "Max time to be closed or to wait for test call (Max = 327,670 seconds, with 10 "
     "second resolution)", .fits = "3276700"},
    {.kind = K::Label, .name = "Seconds", .in = "Frame8(#)", .row = 1, .col = 3, .caption = "S"},
    {.kind = K::Frame, .name = "Frame9(#)", .row = 2, .caption = "Open"},
    {.kind = K::CheckBox, .field = &Z::EnableOpen, .in = "Frame9(#)", .caption = "Enable",
     .tip = "Enable Open on RIC"},
    {.kind = K::Label, .name = "Label37(#)", .in = "Frame9(#)", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &Z::OpenRIC1, .in = "Frame9(#)", .col = 2,
     .tip = "Start of RIC range for Open"},
    {.kind = K::Label, .name = "Label36(#)", .in = "Frame9(#)", .col = 3, .caption = "<->",
     .flags = kBold},
    {.kind = K::Text, .field = &Z::OpenRIC2, .in = "Frame9(#)", .col = 4,
     .tip = "End of RIC range for Open"},
    {.kind = K::Label, .name = "Label40(#)", .in = "Frame9(#)", .col = 5, .caption = "Beep"},
    {.kind = K::List, .field = &Z::OpenFunc, .in = "Frame9(#)", .col = 6},
    {.kind = K::Frame, .name = "Frame10(#)", .row = 3, .caption = "Toggle"},
    {.kind = K::CheckBox, .field = &Z::EnableToggle, .in = "Frame10(#)", .caption = "Enable",
     .tip = "Enable Toggle on RIC"},
    {.kind = K::Label, .name = "Label45(#)", .in = "Frame10(#)", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &Z::ToggleRIC1, .in = "Frame10(#)", .col = 2,
     .tip = "Start of RIC range for Toggle"},
    {.kind = K::Label, .name = "Label44(#)", .in = "Frame10(#)", .col = 3, .caption = "<->",
     .flags = kBold},
    {.kind = K::Text, .field = &Z::ToggleRIC2, .in = "Frame10(#)", .col = 4,
     .tip = "End of RIC range for Toggle"},
    {.kind = K::Label, .name = "Label46(#)", .in = "Frame10(#)", .col = 5, .caption = "Beep"},
    {.kind = K::List, .field = &Z::ToggleFunc, .in = "Frame10(#)", .col = 6},
};

const ControlEntry kOptions[] = {
    {.kind = K::Frame, .name = "Frame11", .span = 3, .caption = "Reset"},
    {.kind = K::CheckBox, .field = &C::ResetEnable, .in = "Frame11", .caption = "Enable",
     .tip = "Enable Reset on RIC"},
    {.kind = K::Label, .name = "Label31", .in = "Frame11", .col = 1, .caption = "RIC"},
    {.kind = K::Text, .field = &C::ResetRIC, .in = "Frame11", .col = 2,
     .tip = "RIC for unit reset"},
    {.kind = K::Label, .name = "Label15", .in = "Frame11", .col = 3, .caption = "Beep"},
    {.kind = K::List, .field = &C::ResetFunc, .in = "Frame11", .col = 4},
    // The relay sits left of the sounder, so that ">" points the way it copies.
    {.kind = K::Frame, .name = "Frame16", .row = 1, .caption = "Common Relay"},
    {.kind = K::Frame, .name = "Frame17", .in = "Frame16", .span = 4, .tip = kMonitored},
    {.kind = K::CheckBox, .field = &Z::RlyChan, .in = "Frame17", .caption = "Chan #",
     .tip = "Connect this channel to the common relay", .count = 10},
    {.kind = K::Option, .field = &C::RlyMode, .item = 1, .in = "Frame16", .row = 1,
     .caption = "Fixed", .tip = "Common relay closes when any ticked channel activates"},
    {.kind = K::Option, .field = &C::RlyMode, .item = 0, .in = "Frame16", .row = 2,
     .caption = "Timed",
     .tip = "Common relay closes for a set time when any ticked channel activates"},
    {.kind = K::Label, .name = kRelayTimeLabel, .in = "Frame16", .row = 2, .col = 1,
     .caption = "Time", .flags = kHidden},
    {.kind = K::Text, .field = &C::RlyTime, .in = "Frame16", .row = 2, .col = 2,
     .tip = "Time for which common relay will close (Max = 255s) (0 -> Latched)", .flags = kHidden,
     .fits = "0000"},
    {.kind = K::Label, .name = kRelayTimeUnit, .in = "Frame16", .row = 2, .col = 3, .caption = "S",
     .flags = kHidden},
    {.kind = K::Button, .name = kCopyRelayToSounder, .row = 1, .col = 1, .caption = ">",
     .tip = "Copy Relay Settings to Sounder", .fits = ">"},
    {.kind = K::Frame, .name = "Frame12", .row = 1, .col = 2, .caption = "Sounder"},
    {.kind = K::Frame, .name = "Frame15", .in = "Frame12", .span = 4, .tip = kMonitored},
    {.kind = K::CheckBox, .field = &Z::SndrChan, .in = "Frame15", .caption = "Chan #",
     .tip = "Connect this channel to the sounder", .count = 10},
    {.kind = K::Option, .field = &C::SndrMode, .item = 1, .in = "Frame12", .row = 1,
     .caption = "Fixed", .tip = "Sounder operates when any ticked channel activates"},
    {.kind = K::Option, .field = &C::SndrMode, .item = 0, .in = "Frame12", .row = 2,
     .caption = "Timed", .tip = "Sounder operates for a set time when any channel activates"},
    {.kind = K::Label, .name = kSounderTimeLabel, .in = "Frame12", .row = 2, .col = 1,
     .caption = "Time", .flags = kHidden},
    {.kind = K::Text, .field = &C::SndrTime, .in = "Frame12", .row = 2, .col = 2,
     .tip = "Time for which sounder will operate (Max = 255s) (0 -> Latched)", .flags = kHidden,
     .fits = "0000"},
    {.kind = K::Label, .name = kSounderTimeUnit, .in = "Frame12", .row = 2, .col = 3,
     .caption = "S", .flags = kHidden},
    {.kind = K::Frame, .name = "Frame14", .row = 2, .span = 3,
     .caption = "Repeated Toggle Command Filter"},
    {.kind = K::Label, .name = "Label28(11)", .in = "Frame14", .caption = "Time"},
    {.kind = K::Text, .field = &C::RepeatFilter, .in = "Frame14", .col = 1,
     .tip = "Filter time constant for repeated messages (0 => Disabled) (Max = 255s)",
     .fits = "0000"},
    {.kind = K::Label, .name = "Label39", .in = "Frame14", .col = 2, .caption = "S"},
};

// The sequence sits under its caption, so that the long format captions
// below do not push it aside.
const ControlEntry kVerification[] = {
    {.kind = K::Label, .name = "Label38", .caption = "Verification Sequence"},
    {.kind = K::Text, .field = &C::VC, .row = 1, .fits = "000000000000000000000"},
    {.kind = K::CheckBox, .field = &C::AlphaVC, .row = 2,
     .caption = "Verification Sequence is in Alpha Format (11 characters max)"},
    {.kind = K::CheckBox, .field = &C::NumericVC, .row = 3,
     .caption = "Verification Sequence is in Numeric Format (20 chararcters max)"},
};

// clang-format on

constexpr std::array<const char*, 10> kSecondsLabels{"Label41", "Label42", "Label47", "Label48",
                                                     "Label49", "Label50", "Label51", "Label52",
                                                     "Label53", "Label54"};

QWidget* AddPage(TabGrid& tabs, const QString& caption, std::span<const ControlEntry> table,
                 const NameResolver& resolve = {}, const QString& zone = {}) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("page(%1)").arg(tabs.count()));
  BuildControls(page, table, resolve, zone);
  tabs.addTab(page, caption);
  return page;
}

// Ten pages look alike; the heading says which zone this one is.
void AddZoneHeading(QWidget* page, const QString& zone, int index) {
  auto* heading = new QLabel(zone);
  heading->setObjectName(QStringLiteral("lblZone(%1)").arg(index));
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.25);
  heading->setFont(font);
  qobject_cast<QGridLayout*>(page->layout())->addWidget(heading, 0, 0);
}

}  // namespace

std::string ZoneControlName(std::string_view name, int zone) {
  if (name == "Seconds") return kSecondsLabels.at(static_cast<std::size_t>(zone));
  std::string resolved(name);
  if (const auto hash = resolved.find('#'); hash != std::string::npos) {
    resolved.replace(hash, 1, std::to_string(zone));
  }
  // Frame8(1) is the alpha output frame of "Serial Data"; zone 1's Close
  // frame carries the name it was given instead.
  if (resolved == "Frame8(1)") return "lstCloseFunclstCloseFunc(1)";
  return resolved;
}

void BuildTabs(TabGrid& tabs) {
  AddPage(tabs, "General", kGeneral);
  AddPage(tabs, "Engineering", kEngineering);
  AddPage(tabs, "Comms", kComms);
  AddPage(tabs, "PLL", kPll);
  AddPage(tabs, "Serial Data", kSerialData);
  for (int zone = 0; zone < kZoneCount; ++zone) {
    const QString caption = QString::fromStdString(ZoneName(zone));
    const auto resolve = [zone](std::string_view name) { return ZoneControlName(name, zone); };
    QWidget* page = AddPage(tabs, caption, kZone, resolve, caption);
    AddZoneHeading(page, caption, zone);
    // The RIC boxes of Close, Open and Toggle start at the same x.
    std::vector<QWidget*> frames;
    for (const char* frame : {"Frame8(#)", "Frame9(#)", "Frame10(#)"})
      frames.push_back(page->findChild<QWidget*>(QString::fromStdString(resolve(frame))));
    AlignColumns(frames);
  }
  QWidget* options = AddPage(tabs, "Options", kOptions);
  // The channel boxes above set the frames' width; the time keeps close to
  // its caption and the room left goes after its "S".
  for (const char* frame : {"Frame16", "Frame12"}) {
    auto* grid = qobject_cast<QGridLayout*>(options->findChild<QWidget*>(frame)->layout());
    grid->setColumnStretch(3, 1);
  }
  AddPage(tabs, "Verification", kVerification);
}

}  // namespace kova
