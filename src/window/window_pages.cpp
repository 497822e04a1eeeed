#include "window/window_pages.h"

#include <QWidget>
#include <array>

#include "window/control_table.h"
#include "window/tab_grid.h"

namespace kova {
namespace {

using K = Kind;

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

const ControlEntry kGeneral[] = {
    {K::Label, "Label24", "", 0, 0, 1, "File Name"},
    {K::Text, "txtFileName", "", 0, 1, 3, "", "File to save/load configuration data to",
     kShownOnly},
    {K::Label, "Label29", "", 1, 0, 1, "Kova Firmware Version"},
    {K::Text, "txtVer", "", 1, 1, 1, "", "Kova Pro Firmware build/revision number", kShownOnly, 3},
    {K::Frame, "Frame2(0)", "", 2, 0, 2, "POCSAG"},
    {K::Label, "Label1", "Frame2(0)", 0, 0, 1, "Baud Rate"},
    {K::Frame, "Frame3", "Frame2(0)", 0, 1, 1},
    {K::Option, "opt512", "Frame3", 0, 0, 1, "512"},
    {K::Option, "opt1200", "Frame3", 0, 1, 1, "1200"},
    {K::Option, "opt2400", "Frame3", 0, 2, 1, "2400"},
    {K::Label, "Label3", "Frame2(0)", 1, 0, 1, "Polarity"},
    {K::Frame, "Frame4", "Frame2(0)", 1, 1, 1},
    {K::Option, "optAutoPol", "Frame4", 0, 0, 1, "Auto",
     "Read POCSAG of both polarities -- not valid for 2400 baud"},
    {K::Option, "optNormal", "Frame4", 0, 1, 1, "Normal"},
    {K::Option, "optInverted", "Frame4", 0, 2, 1, "Inverted"},
    {K::Frame, "frmVersion", "", 2, 2, 2, "Note"},
    {K::Label, "Label60", "frmVersion", 0, 0, 1, "For use with Kova firmware version 3.15"},
};

const ControlEntry kEngineering[] = {
    {K::Label, "Label43", "", 0, 0, 1, "Elapsed Time Counter"},
    {K::Text, "txtETI", "", 0, 1, 1, "", "Total running time of the system", kDisabled},
    {K::Label, "Label2", "", 0, 2, 1, "(hhh:mm) Read only"},
    {K::CheckBox, "chkSynthRx", "", 1, 0, 3, "Enable Synth Rx", "Enable Synth Rx configuration"},
    {K::Frame, "frmSynthRx", "", 2, 0, 3, "Synthesized Rx Configuration"},
    {K::Frame, "Frame8(10)", "frmSynthRx", 0, 0, 4, "Channel Spacing"},
    {K::Option, "optChanSpace", "Frame8(10)", 0, 0, 1, "5.00 kHz|6.25 kHz", "", 0, 2},
    {K::Text, "txtFreq", "frmSynthRx", 1, 0, 3, "",
     "Tx Frequency aligned with selected channel spacing", kReadOnly},
    {K::Label, "Label58", "frmSynthRx", 1, 3, 1, "MHz"},
    {K::Button, "cmdFAdd", "frmSynthRx", 2, 0, 1, "+", "", kBold},
    {K::Button, "cmdFAdd2", "frmSynthRx", 2, 1, 1, "++", "", kBold},
    {K::Button, "cmdFAdd3", "frmSynthRx", 2, 2, 1, "+++", "", kBold},
    {K::Button, "cmdFAdd4", "frmSynthRx", 2, 3, 1, "++++", "", kBold},
    {K::Button, "cmdFSub", "frmSynthRx", 3, 0, 1, "-", "", kBold},
    {K::Button, "cmdFSub2", "frmSynthRx", 3, 1, 1, "--", "", kBold},
    {K::Button, "cmdFSub3", "frmSynthRx", 3, 2, 1, "---", "", kBold},
    {K::Button, "cmdFSub4", "frmSynthRx", 3, 3, 1, "----", "", kBold},
    {K::CheckBox, "chkFrmZero", "", 3, 0, 3, "Frame Zero Messages Only",
     "Only accept messages that start in frame zero of the batch (ie CapCodes that are divisible "
     "by 8)"},
    {K::CheckBox, "chkSingleMsg", "", 4, 0, 3, "First Message Only",
     "Ignore all messages in a batch after the first one"},
    {K::CheckBox, "chkSpeedLetter", "", 5, 0, 3, "Insert Baud Rate Letter in Orvel Protocol",
     "Insert N/F/V into Orvel protocol output to indicate received baud rate"},
};

const ControlEntry kComms[] = {
    {K::Label, "Label25", "", 0, 0, 1, "Communications Port"},
    {K::List, "lstComPort", "", 0, 1, 1, "", "Selected comms port"},
    {K::List, "lstPortDevice", "", 0, 2, 1, "",
     "The device this port opens: the default, one from the list, or a path typed in"},
    {K::Label, "Label34", "", 1, 0, 1, "PC Baud Rate"},
    {K::List, "lstBaudPC", "", 1, 1, 1},
    {K::Label, "Label33", "", 2, 0, 1, "Kova Baud Rate"},
    {K::List, "lstBaudKova", "", 2, 1, 1},
    {K::Frame, "Frame13", "", 3, 0, 2, "Note"},
    {K::Label, "Label35", "Frame13", 0, 0, 1,
     "If the Kova Baud rate is changed it will take effect after the next 'PUT' and before the "
     "verification process begins. The PC Baud rate will be changed automatically to match so "
     "that the verification may continue.",
     "", kWrap},
};

const ControlEntry kPll[] = {
    {K::Label, "Label5", "", 0, 0, 1, "Clock Jog Value"},
    {K::Text, "txtClkJog", "", 0, 1, 1, "",
     "Amount to jog clock by to regain the centre of the bit time"},
    {K::Label, "Label4", "", 0, 2, 1, "Decimal"},
    {K::Frame, "Frame1", "", 1, 0, 3, "Note"},
    {K::Label, "Label6", "Frame1", 0, 0, 1, "For 512 baud use 4"},
    {K::Label, "Label17", "Frame1", 1, 0, 1, "For 1200 baud use 2"},
    {K::Label, "Label18", "Frame1", 2, 0, 1, "For 2400 baud use 1"},
    // The hunting settings stay out of sight for the life of the window.
    {K::Label, "Label7", "", 2, 0, 1, "PLL Hunting", "", kHidden},
    {K::Frame, "Frame5", "", 2, 1, 2, "", kHunting, kHidden},
    {K::Option, "optHuntingOn", "Frame5", 0, 0, 1, "On", kHunting},
    {K::Option, "optHuntingOff", "Frame5", 0, 1, 1, "Off", kHunting},
    {K::Label, "Label8", "", 3, 0, 1, "Error Jog Limit (Positive)", "", kHidden},
    {K::Text, "txtClkJogLpos", "", 3, 1, 1, "",
     "When hunting the maximum jog value allowed in a positive direction", kHidden},
    {K::Label, "Label10", "", 3, 2, 1, "Decimal", "", kHidden},
    {K::Label, "Label11", "", 4, 0, 1, "Error Limit (Negative)", "", kHidden},
    {K::Text, "txtClkJogLneg", "", 4, 1, 1, "",
     "When hunting the maximum jog value allowed in a negative direction", kHidden},
    {K::Label, "Label12", "", 4, 2, 1, "Decimal", "", kHidden},
    {K::Label, "Label13", "", 5, 0, 1, "Clock Adjustment", "", kHidden},
    {K::Text, "txtClkInc", "", 5, 1, 1, "", "When hunting amount to change clock frequency by",
     kHidden},
    {K::Label, "Label14", "", 5, 2, 1, "Decimal", "", kHidden},
};

const ControlEntry kSerialData[] = {
    {K::Frame, "Frame6", "", 0, 0, 1, "Serial Data - Feed to Serial Sign (1)"},
    {K::CheckBox, "chkSign1Enable", "Frame6", 0, 0, 1, "Enable", "Enable Serial Data on RIC"},
    {K::Label, "Label19", "Frame6", 0, 1, 1, "RIC"},
    {K::Text, "txtSign1RIC", "Frame6", 0, 2, 1, "", kRicTip},
    {K::Label, "Label20", "Frame6", 0, 3, 1, "Beep"},
    {K::List, "lstSign1Func", "Frame6", 0, 4, 1},
    {K::Frame, "Frame7", "", 1, 0, 1, "Serial Data - Feed to Serial Sign (2)"},
    {K::CheckBox, "chkSign2Enable", "Frame7", 0, 0, 1, "Enable", "Enable Serial Data on RIC"},
    {K::Label, "Label23", "Frame7", 0, 1, 1, "RIC"},
    {K::Text, "txtSign2RIC", "Frame7", 0, 2, 1, "", kRicTip},
    {K::Label, "Label22", "Frame7", 0, 3, 1, "Beep"},
    {K::List, "lstSign2Func", "Frame7", 0, 4, 1},
    {K::Frame, "Frame8(1)", "", 2, 0, 1, "Serial Output - Alpha Messages",
     "Configure cap codes etc for alpha message repeater"},
    {K::CheckBox, "chkEnableAlphaRepeat", "Frame8(1)", 0, 0, 1, "Enable", kRepeatEnable},
    {K::Label, "Label26(10)", "Frame8(1)", 0, 1, 1, "RIC"},
    {K::Text, "txtRepeatRIC1", "Frame8(1)", 0, 2, 1, "", kRepeatStart},
    {K::Label, "Label27(10)", "Frame8(1)", 0, 3, 1, "<->", "", kBold},
    {K::Text, "txtRepeatRIC2", "Frame8(1)", 0, 4, 1, "", kRepeatEnd},
    {K::Label, "Label16(10)", "Frame8(1)", 0, 5, 1, "Beep"},
    {K::List, "lstAlphaRepeatFunc", "Frame8(1)", 0, 6, 1},
    {K::CheckBox, "chkEnableAlphaCode", "Frame8(1)", 1, 0, 3, "Orvel Protocol", kOrvel},
    {K::CheckBox, "chkEnableAlphaSub", "Frame8(1)", 2, 0, 1, "Sub", kSub},
    {K::Label, "Label26(11)", "Frame8(1)", 2, 1, 1, "RIC", "", kHidden},
    {K::Text, "txtAlphaSubRIC", "Frame8(1)", 2, 2, 1, "", kSubRic, kHidden},
    {K::Label, "Label16(11)", "Frame8(1)", 2, 5, 1, "Beep", "", kHidden},
    {K::List, "lstAlphaSubFunc", "Frame8(1)", 2, 6, 1, "", "", kHidden},
    {K::Frame, "Frame8(11)", "", 3, 0, 1, "Serial Output - Numeric Messages",
     "Configure cap codes etc for numeric message repeater"},
    {K::CheckBox, "chkEnableNumericRepeat", "Frame8(11)", 0, 0, 1, "Enable", kRepeatEnable},
    {K::Label, "Label26(13)", "Frame8(11)", 0, 1, 1, "RIC"},
    {K::Text, "txtRepeatRIC3", "Frame8(11)", 0, 2, 1, "", kRepeatStart},
    {K::Label, "Label27(11)", "Frame8(11)", 0, 3, 1, "<->", "", kBold},
    {K::Text, "txtRepeatRIC4", "Frame8(11)", 0, 4, 1, "", kRepeatEnd},
    {K::Label, "Label16(13)", "Frame8(11)", 0, 5, 1, "Beep"},
    {K::List, "lstNumericRepeatFunc", "Frame8(11)", 0, 6, 1},
    {K::CheckBox, "chkEnableNumericCode", "Frame8(11)", 1, 0, 3, "Orvel Protocol", kOrvel},
    {K::CheckBox, "chkEnableNumericSub", "Frame8(11)", 2, 0, 1, "Sub", kSub},
    {K::Label, "Label26(12)", "Frame8(11)", 2, 1, 1, "RIC", "", kHidden},
    {K::Text, "txtNumericSubRIC", "Frame8(11)", 2, 2, 1, "", kSubRic, kHidden},
    {K::Label, "Label16(12)", "Frame8(11)", 2, 5, 1, "Beep", "", kHidden},
    {K::List, "lstNumericSubFunc", "Frame8(11)", 2, 6, 1, "", "", kHidden},
};

// One zone; "#" is the zone index, "Seconds" the zone's own seconds label.
const ControlEntry kZone[] = {
    {K::Frame, "Frame8(#)", "", 0, 0, 1, "Close"},
    {K::CheckBox, "chkEnableClose(#)", "Frame8(#)", 0, 0, 1, "Enable", "Enable close on RIC"},
    {K::Label, "Label26(#)", "Frame8(#)", 0, 1, 1, "RIC"},
    {K::Text, "txtCloseRIC1(#)", "Frame8(#)", 0, 2, 1, "", "Start of RIC range for Close"},
    {K::Label, "Label27(#)", "Frame8(#)", 0, 3, 1, "<->", "", kBold},
    {K::Text, "txtCloseRIC2(#)", "Frame8(#)", 0, 4, 1, "", "End of RIC range for Close"},
    {K::Label, "Label16(#)", "Frame8(#)", 0, 5, 1, "Beep"},
    {K::List, "lstCloseFunc(#)", "Frame8(#)", 0, 6, 1},
    {K::CheckBox, "chkTxMonitor(#)", "Frame8(#)", 1, 0, 1, "Test Call Monitor",
     "Use Channel to monitor test calls from transmitter"},
    {K::Label, "Label28(#)", "Frame8(#)", 1, 1, 1, "TMax"},
    {K::Text, "txtCloseTMax(#)", "Frame8(#)", 1, 2, 1, "",
     "Max time to be closed or to wait for test call (Max = 327,670 seconds, with 10 second "
     "resolution)"},
    {K::Label, "Seconds", "Frame8(#)", 1, 3, 1, "S"},
    {K::Frame, "Frame9(#)", "", 1, 0, 1, "Open"},
    {K::CheckBox, "chkEnableOpen(#)", "Frame9(#)", 0, 0, 1, "Enable", "Enable Open on RIC"},
    {K::Label, "Label37(#)", "Frame9(#)", 0, 1, 1, "RIC"},
    {K::Text, "txtOpenRIC1(#)", "Frame9(#)", 0, 2, 1, "", "Start of RIC range for Open"},
    {K::Label, "Label36(#)", "Frame9(#)", 0, 3, 1, "<->", "", kBold},
    {K::Text, "txtOpenRIC2(#)", "Frame9(#)", 0, 4, 1, "", "End of RIC range for Open"},
    {K::Label, "Label40(#)", "Frame9(#)", 0, 5, 1, "Beep"},
    {K::List, "lstOpenFunc(#)", "Frame9(#)", 0, 6, 1},
    {K::Frame, "Frame10(#)", "", 2, 0, 1, "Toggle"},
    {K::CheckBox, "chkEnableToggle(#)", "Frame10(#)", 0, 0, 1, "Enable", "Enable Toggle on RIC"},
    {K::Label, "Label45(#)", "Frame10(#)", 0, 1, 1, "RIC"},
    {K::Text, "txtToggleRIC1(#)", "Frame10(#)", 0, 2, 1, "", "Start of RIC range for Toggle"},
    {K::Label, "Label44(#)", "Frame10(#)", 0, 3, 1, "<->", "", kBold},
    {K::Text, "txtToggleRIC2(#)", "Frame10(#)", 0, 4, 1, "", "End of RIC range for Toggle"},
    {K::Label, "Label46(#)", "Frame10(#)", 0, 5, 1, "Beep"},
    {K::List, "lstToggleFunc(#)", "Frame10(#)", 0, 6, 1},
};

const ControlEntry kOptions[] = {
    {K::Frame, "Frame11", "", 0, 0, 3, "Reset"},
    {K::CheckBox, "chkResetEnable", "Frame11", 0, 0, 1, "Enable", "Enable Reset on RIC"},
    {K::Label, "Label31", "Frame11", 0, 1, 1, "RIC"},
    {K::Text, "txtResetRIC", "Frame11", 0, 2, 1, "", "RIC for unit reset"},
    {K::Label, "Label15", "Frame11", 0, 3, 1, "Beep"},
    {K::List, "lstResetFunc", "Frame11", 0, 4, 1},
    // The relay sits left of the sounder, so that ">" points the way it copies.
    {K::Frame, "Frame16", "", 1, 0, 1, "Common Relay"},
    {K::Frame, "Frame17", "Frame16", 0, 0, 4, "", kMonitored},
    {K::CheckBox, "chkRlyChan", "Frame17", 0, 0, 1, "Chan #",
     "Connect this channel to the common relay", 0, 10},
    {K::Option, "optRlyWireOrd", "Frame16", 1, 0, 1, "Fixed",
     "Common relay closes when any ticked channel activates"},
    {K::Option, "optRlyTimed", "Frame16", 2, 0, 1, "Timed",
     "Common relay closes for a set time when any ticked channel activates"},
    {K::Label, "Label28(12)", "Frame16", 2, 1, 1, "Time", "", kHidden},
    {K::Text, "txtRlyTime", "Frame16", 2, 2, 1, "",
     "Time for which common relay will close (Max = 255s) (0 -> Latched)", kHidden},
    {K::Label, "Label56", "Frame16", 2, 3, 1, "S", "", kHidden},
    {K::Button, "cmdCpyRly2Sndr", "", 1, 1, 1, ">", "Copy Relay Settings to Sounder"},
    {K::Frame, "Frame12", "", 1, 2, 1, "Sounder"},
    {K::Frame, "Frame15", "Frame12", 0, 0, 4, "", kMonitored},
    {K::CheckBox, "chkSndrChan", "Frame15", 0, 0, 1, "Chan #",
     "Connect this channel to the sounder", 0, 10},
    {K::Option, "optSndrWireOrd", "Frame12", 1, 0, 1, "Fixed",
     "Sounder operates when any ticked channel activates"},
    {K::Option, "optSndrTimed", "Frame12", 2, 0, 1, "Timed",
     "Sounder operates for a set time when any channel activates"},
    {K::Label, "Label28(10)", "Frame12", 2, 1, 1, "Time", "", kHidden},
    {K::Text, "txtSndrTime", "Frame12", 2, 2, 1, "",
     "Time for which sounder will operate (Max = 255s) (0 -> Latched)", kHidden},
    {K::Label, "Label30", "Frame12", 2, 3, 1, "S", "", kHidden},
    {K::Frame, "Frame14", "", 2, 0, 3, "Repeated Toggle Command Filter"},
    {K::Label, "Label28(11)", "Frame14", 0, 0, 1, "Time"},
    {K::Text, "txtRepeatFilter", "Frame14", 0, 1, 1, "",
     "Filter time constant for repeated messages (0 => Disabled) (Max = 255s)"},
    {K::Label, "Label39", "Frame14", 0, 2, 1, "S"},
};

const ControlEntry kVerification[] = {
    {K::Label, "Label38", "", 0, 0, 1, "Verification Sequence"},
    {K::Text, "txtVC", "", 0, 1, 1},
    {K::CheckBox, "chkAlphaVC", "", 1, 0, 2,
     "Verification Sequence is in Alpha Format (11 characters max)"},
    {K::CheckBox, "chkNumericVC", "", 2, 0, 2,
     "Verification Sequence is in Numeric Format (20 chararcters max)"},
};

constexpr std::array<const char*, 10> kSecondsLabels{"Label41", "Label42", "Label47", "Label48",
                                                     "Label49", "Label50", "Label51", "Label52",
                                                     "Label53", "Label54"};

void AddPage(TabGrid& tabs, const QString& caption, std::span<const ControlEntry> table,
             const NameResolver& resolve = {}) {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("page(%1)").arg(tabs.count()));
  BuildControls(page, table, resolve);
  tabs.addTab(page, caption);
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
  for (int zone = 0; zone < 10; ++zone) {
    AddPage(tabs, QStringLiteral("Chan %1").arg(zone + 1), kZone,
            [zone](std::string_view name) { return ZoneControlName(name, zone); });
  }
  AddPage(tabs, "Options", kOptions);
  AddPage(tabs, "Verification", kVerification);
}

}  // namespace kova
