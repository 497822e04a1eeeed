// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/field_table.h"

class QWidget;

// Pages are written as tables of controls, one line per control (or per
// control array), and built by one loop.
namespace kova {

// The widget to make. Not a FieldKind: labels, frames and buttons show no field.
enum class Kind { Label, Text, CheckBox, Option, List, Button, Frame };

enum ControlFlag : unsigned {
  kHidden = 1,     // not visible when the window is created
  kBold = 2,       // bold caption
  kShownOnly = 4,  // filled by the program: read-only, in the menu colour
  kDisabled = 8,   // the user cannot change it
  kReadOnly = 16,  // output only
  kWrap = 32,      // a long caption wraps
};

struct ControlEntry {
  Kind kind;
  const char* name = "";  // the object name; "#" stands for the zone of a zone page
  // Or the field the control shows, whose row in the field table names it
  // (a zone field's with "(#)"); item picks an option group's button.
  std::optional<FieldMember> field = {};
  int item = -1;
  const char* in = "";  // the enclosing frame's name, "" for the page itself
  int row = 0;
  int col = 0;
  int span = 1;
  const char* caption = "";  // a control array: "#" for the member's number
  const char* tip = "";
  unsigned flags = 0;
  int count = 1;  // a control array of this many members "name(0)".., five to a grid row
  // The longest text the control must show whole: a text box gets the width
  // for it and no more, a label at least that width (a caption that changes).
  const char* fits = "";
};

// Names a zone page's controls: "#" becomes the zone index, and the few
// controls whose documented names break the pattern are renamed.
using NameResolver = std::function<std::string(std::string_view)>;

// Builds the table's controls onto the page (which gets a grid layout), in
// the table's order, which is also the order the Tab key follows. Each input
// control is named for assistive tools after its label (its buddy) or its
// own caption, within its frame: "Chan 3 Close RIC range start" when zone
// names the page's zone ("Chan 3").
void BuildControls(QWidget* page, std::span<const ControlEntry> table,
                   const NameResolver& resolve = {}, const QString& zone = {});

// Gives the frames' grid columns one width each, the widest any of them
// needs, so that controls in the same column of the frames line up.
void AlignColumns(const std::vector<QWidget*>& frames);

}  // namespace kova
