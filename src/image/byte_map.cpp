// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/byte_map.h"

#include <algorithm>
#include <vector>

#include "image/field_table.h"
#include "image/ric_slot.h"

namespace kova {
namespace {

struct Line {
  addr::Bits bits;
  std::string field;
  std::string meaning;
};

std::string Items(const Field& field) {
  std::string items;
  for (const FieldItem& item : field.items)
    items += (items.empty() ? "" : ", ") + item.text;
  return items;
}

// What the codec makes of the bits.
std::string Meaning(const Field& field) {
  std::string meaning;
  switch (field.codec) {
    case Codec::Flag:
      meaning = "1: ticked (greyed packs 0)";
      break;
    case Codec::AnyFlag:
      meaning = "1: ticked or greyed";
      break;
    case Codec::InvertedFlag:
      meaning = "1: unticked";
      break;
    case Codec::OptionBit:
      meaning = "1: " + field.items[0].text + ", 0: " + field.items[1].text;
      break;
    case Codec::Byte:
      meaning = "0..255 " + std::string(field.unit);
      break;
    case Codec::Item:
      meaning = "list index: " + Items(field);
      break;
    case Codec::Ric:
      meaning = "RIC 0.." + std::to_string(kMaxRic) + "; writing it clears the slot's flags";
      break;
    case Codec::TenSeconds:
      meaning = "seconds / " + std::to_string(field.step) + ", rounded toward zero";
      break;
    case Codec::ZoneBit:
      meaning = "bit i: zone i ticked (greyed counts); the bits above are 0";
      break;
    case Codec::None:
      break;
  }
  if (field.home == FieldHome::ReadOnly) meaning += "; read only";
  return meaning;
}

std::string Span(int first, int count, const char* prefix) {
  const std::string from = prefix + std::to_string(first);
  return count == 1 ? from : from + ".." + prefix + std::to_string(first + count - 1);
}

std::string Rows(std::vector<Line> lines, const char* prefix) {
  std::stable_sort(lines.begin(), lines.end(), [](const Line& x, const Line& y) {
    const int a = 8 * x.bits.byte + x.bits.first;
    const int b = 8 * y.bits.byte + y.bits.first;
    return a != b ? a < b : x.bits.width < y.bits.width;
  });
  std::string table;
  for (const Line& line : lines) {
    table += "| " + Span(line.bits.byte, line.bits.Bytes(), prefix) + " | " +
             Span(line.bits.first, line.bits.width, "") + " | " + line.field + " | " +
             line.meaning + " |\n";
  }
  return table;
}

}  // namespace

std::string ByteMapTable() {
  std::vector<Line> image;
  std::vector<Line> zone;
  for (const HandWrittenField& hand : HandWrittenFields())
    image.push_back({hand.bits, std::string(hand.fields), std::string(hand.meaning)});
  for (const Field& field : Fields()) {
    if (field.codec == Codec::None) continue;
    const bool inZone = field.zoned() && field.codec != Codec::ZoneBit;
    (inZone ? zone : image).push_back({field.bits, std::string(field.key), Meaning(field)});
  }
  return "| Byte | Bits | Field | Meaning |\n|---|---|---|---|\n" + Rows(image, "") +
         Rows(zone, "Z+");
}

std::vector<std::string> FieldsAtByte(int address) {
  const auto holds = [address](const addr::Bits& bits) {
    return address >= bits.byte && address < bits.byte + bits.Bytes();
  };
  std::vector<std::string> names;
  for (const HandWrittenField& hand : HandWrittenFields()) {
    if (holds(hand.bits) && hand.fields != "-") names.emplace_back(hand.fields);
  }
  for (const Field& field : Fields()) {
    if (field.codec == Codec::None) continue;
    for (int i = 0; i < field.count(); ++i) {
      const int index = field.zoned() ? i : -1;
      // A channel mask holds zone i in its bit i; any other zone field sits
      // at the same place of each zone.
      const bool here = field.codec == Codec::ZoneBit
                            ? field.bits.byte + (field.bits.first + i) / 8 == address
                            : holds(field.zoned() ? field.bits.At(addr::ZoneStart(i)) : field.bits);
      if (here) names.push_back(KeyPath(field, index));
    }
  }
  return names;
}

}  // namespace kova
