// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "image/configuration.h"
#include "image/eeprom_image.h"

// One row per field of the Configuration: where it is kept, its JSON key, the
// control that shows it, the label messages give it, what it may hold, what
// File New leaves in it, where the value lives and, for a unit field, the bits
// that hold it and how. The window's bindings, the command line's JSON, the
// messages, clearing the form, packing and reading the image are loops over
// it, so adding a field is one row here (plus its member, its bits and, if
// shown, its place on a page).
namespace kova {

enum class FieldKind {
  Text,      // a text box; the text is converted only when packed
  CheckBox,  // a check box: 0, 1 or 2 (greyed)
  List,      // a drop-down list: the item index, kNoSelection for none
  Options,   // an option group: one button per item
  Number,    // a number held as such (Hz, a divider word)
};

enum class FieldHome {
  Unit,      // packed into the unit's image and read back from it
  Pc,        // kept by this program only
  ReadOnly,  // read from the unit, never written to it
};

// What else the window does with a control's input.
enum class FieldCheck {
  None,
  Ric,           // digits only; a valid RIC to leave
  RepeaterRic,   // the same, then the repeater overlap warning
  Time,          // digits only; a time in tens of seconds to leave
  Sequence,      // the verification sequence's key filter
  RepeatList,    // the repeater overlap warning on leaving
  RepeatEnable,  // the repeater overlap warning on a click
};

// How a unit field's value sits in its bits.
enum class Codec {
  None,          // no bits of its own, or packed and read by a step of its own
  Flag,          // a check box: only ticked (1) sets the bit
  AnyFlag,       // a check box whose greyed state (2) sets the bit too
  InvertedFlag,  // a check box kept as its opposite: unticked (0) sets the bit
  OptionBit,     // an option group of two: its first item sets the bit
  Byte,          // a text holding a whole number of seconds, 0..255
  Item,          // a list's item index; a code beyond the items reads as the last
  Ric,           // a RIC text in its slot's 21 bits (writing it clears the slot's flags)
  TenSeconds,    // a text holding seconds, kept in tens rounded toward zero
  ZoneBit,       // a zone's check box as bit i of a channel mask
};

// Where the value is kept: a member of the Configuration or of each Zone.
// Ver is three texts, indexed like a zone field.
using FieldMember =
    std::variant<std::string Configuration::*, int Configuration::*, double Configuration::*,
                 PocsagRate Configuration::*, PolarityMode Configuration::*,
                 HuntingMode Configuration::*, OutputMode Configuration::*,
                 std::array<std::string, 3> Configuration::*, std::string Zone::*, int Zone::*>;

// One item of a list or option group, or one allowed value of a number.
struct FieldItem {
  int value;                 // the list index, the enum's value, or the number itself
  std::string text = {};     // its JSON form: a name, or the digits of a number
  std::string control = {};  // an option group's button; "" otherwise
};

struct FieldRange {
  double min;
  double max;
};

// File New's value: a text, a number (check, list index, enum, Hz), or
// nothing when the field is the user's and stays as it is.
using ClearedValue = std::variant<std::monostate, std::string_view, int, double>;

struct Field {
  FieldMember member = {};
  std::string_view key = {};  // JSON key, inside "Zones" for a zone field; "" when not in JSON
  // "txtRlyTime"; "txtCloseRIC1(%d)" for an indexed field; "" for none.
  std::string_view control = {};
  std::string_view label = {};  // "Common relay time"; zone fields get "Chan 3 " in front
  FieldKind kind = FieldKind::Text;
  FieldHome home = FieldHome::Unit;
  std::string_view tab = {};          // the window's tab ("Chan" for the ten zone tabs)
  std::vector<FieldItem> items = {};  // a list's or option group's items, a number's allowed values
  bool numericItems = false;          // the items are numbers in JSON
  int none = kNoSelection;            // the value of "nothing selected"
  ClearedValue cleared = {};          // File New
  std::string_view unit = {};         // "Hz", "seconds", "bit/s", ""
  std::optional<FieldRange> range = {};  // for texts, the number the text must hold when packed
  FieldCheck check = FieldCheck::None;
  // The click rule a user's change goes through (a selected option passes its value).
  void (*apply)(Configuration&, int) = nullptr;
  // A direct store that must keep a companion member in step (JSON has no click rules).
  void (*store)(Configuration&, int) = nullptr;
  // A number the window only shows, and how.
  std::string (*display)(const Configuration&) = nullptr;

  // The unit field's bits (a zone field's counted from its zone's start, a
  // channel mask's absolute) and how its value sits there.
  Codec codec = Codec::None;
  addr::Bits bits = {};
  // The step of packing and of reading the image at which its row runs; 0
  // for none (see HandWrittenFields for the unit fields that have none).
  int packStep = 0;
  int readStep = 0;

  // What a value may be, beyond range and items: a multiple of step (TMax is
  // kept in tens of seconds), at most length characters, each one of chars.
  int step = 1;
  int length = 0;
  std::string_view chars = {};
  // Why a value written here cannot reach the image as given ("" when it can).
  std::string_view note = {};

  // 1, 3 (Ver) or kZoneCount.
  int count() const;
  bool zoned() const;
};

// Every field, in the order of the tabs.
std::span<const Field> Fields();

// A unit field no row packs and reads: its bits depend on another field's
// (the rate bits and the clock jog, polarity across two bytes, the
// synthesizer word, the verification sequence), or its order of steps is
// part of what it means. Listed once here for the byte map and its tests.
struct HandWrittenField {
  std::string_view fields;  // "SynthN, Freq"; "-" for bits no field holds
  addr::Bits bits;
  std::string_view meaning;
};
std::span<const HandWrittenField> HandWrittenFields();

// The fields whose row runs at a step of packing (readStep false) or reading.
std::vector<const Field*> RowsAtStep(int step, bool reading);

// The field kept in a member; a member without a row is a programming error
// (std::logic_error).
const Field& FieldOf(const FieldMember& member);

// A control or key path resolved to its field: index is the zone (or Ver's
// element), -1 for a single field; item is the option button, -1 otherwise.
struct FieldAt {
  const Field* field = nullptr;
  int index = -1;
  int item = -1;
  explicit operator bool() const { return field != nullptr; }
  bool operator==(const FieldAt&) const = default;
};

// "txtRlyTime", "txtCloseRIC1(3)", "opt1200", "txtVer(2)".
FieldAt FindByControl(std::string_view name);
// "RlyTime", "Zones[3].CloseRIC1", "Ver[2]"; "Ver" alone names the whole array
// and "CloseRIC1" a zone field without its zone (index -1 in both).
FieldAt FindByKey(std::string_view path);

// "txtCloseRIC1(3)" for index 3; the pattern's base for index -1.
std::string ControlName(const Field& field, int index = -1);
// "Zones[3].CloseRIC1", "Ver[2]", "RlyTime"; the pattern "Zones[i].CloseRIC1" for index -1.
std::string KeyPath(const Field& field, int index = -1);
// "Chan 3" for zone index 2: a zone tab's caption.
std::string ZoneName(int index);
// "Chan 3 Close RIC" for a zone field, the label alone otherwise.
std::string FieldLabel(const Field& field, int index = -1);

// Values. Texts through the first pair, everything else as a number (enums
// as their value, Freq in Hz). Index as above; it is ignored for single fields.
std::string GetText(const Configuration& cfg, const Field& field, int index = -1);
void SetText(Configuration& cfg, const Field& field, int index, std::string text);
double GetNumber(const Configuration& cfg, const Field& field, int index = -1);
// Stores the value as such (with its companion, see store).
void SetNumber(Configuration& cfg, const Field& field, int index, double value);
// Stores the value as a click would, through the field's rule.
void ApplyNumber(Configuration& cfg, const Field& field, int index, double value);

}  // namespace kova
