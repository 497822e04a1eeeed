#include "image/field_names.h"

#include <array>
#include <utility>

namespace kova {
namespace {

struct Label {
  std::string_view control;
  std::string_view label;
};

constexpr std::array kLabels{
    Label{"lstBaudKova", "Kova baud rate"},
    Label{"txtClkJog", "Clock jog"},
    Label{"txtResetRIC", "Reset RIC"},
    Label{"lstResetFunc", "Reset beep"},
    Label{"txtSndrTime", "Sounder time"},
    Label{"txtSign1RIC", "Serial sign 1 RIC"},
    Label{"lstSign1Func", "Serial sign 1 beep"},
    Label{"txtSign2RIC", "Serial sign 2 RIC"},
    Label{"lstSign2Func", "Serial sign 2 beep"},
    Label{"txtRepeatRIC1", "Alpha output RIC range start"},
    Label{"lstAlphaRepeatFunc", "Alpha output beep"},
    Label{"txtRepeatRIC2", "Alpha output RIC range end"},
    Label{"txtRepeatFilter", "Repeat filter time"},
    Label{"txtCloseRIC1", "Close RIC"},
    Label{"lstCloseFunc", "Close beep"},
    Label{"txtCloseRIC2", "Close RIC range end"},
    Label{"txtCloseTMax", "TMax"},
    Label{"txtOpenRIC1", "Open RIC"},
    Label{"lstOpenFunc", "Open beep"},
    Label{"txtOpenRIC2", "Open RIC range end"},
    Label{"txtToggleRIC1", "Toggle RIC"},
    Label{"lstToggleFunc", "Toggle beep"},
    Label{"txtToggleRIC2", "Toggle RIC range end"},
    Label{"txtRepeatRIC3", "Numeric output RIC range start"},
    Label{"lstNumericRepeatFunc", "Numeric output beep"},
    Label{"txtRepeatRIC4", "Numeric output RIC range end"},
    Label{"txtAlphaSubRIC", "Alpha substitute RIC"},
    Label{"lstAlphaSubFunc", "Alpha substitute beep"},
    Label{"txtNumericSubRIC", "Numeric substitute RIC"},
    Label{"lstNumericSubFunc", "Numeric substitute beep"},
    Label{"txtFreq", "Synth Rx frequency"},
    Label{"optChanSpace", "Channel spacing"},
    Label{"txtRlyTime", "Common relay time"},
    Label{"txtVC", "Verification sequence"},
};

}  // namespace

std::string FieldLabel(std::string_view control, int zone) {
  std::string label(control);
  for (const auto& entry : kLabels) {
    if (entry.control == control) label = entry.label;
  }
  return zone < 0 ? label : "Chan " + std::to_string(zone + 1) + " " + label;
}

std::string ControlName(std::string_view control, int zone) {
  return zone < 0 ? std::string(control) : std::string(control) + "(" + std::to_string(zone) + ")";
}

}  // namespace kova
