#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

class QWidget;

// Pages are written as tables of controls, one line per control (or per
// control array), and built by one loop.
namespace kova {

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
  const char* name;     // the object name; "#" stands for the zone of a zone page
  const char* in = "";  // the enclosing frame's name, "" for the page itself
  int row = 0;
  int col = 0;
  int span = 1;
  const char* caption = "";  // a control array: "a|b" per member, or "#" for the member's number
  const char* tip = "";
  unsigned flags = 0;
  int count = 1;  // a control array of this many members "name(0)".., five to a grid row
};

// Names a zone page's controls: "#" becomes the zone index, and the few
// controls whose documented names break the pattern are renamed.
using NameResolver = std::function<std::string(std::string_view)>;

// Builds the table's controls onto the page (which gets a grid layout).
void BuildControls(QWidget* page, std::span<const ControlEntry> table,
                   const NameResolver& resolve = {});

}  // namespace kova
