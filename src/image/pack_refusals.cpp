// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/pack_refusals.h"

#include <algorithm>
#include <set>

#include "image/pack.h"

namespace kova {
namespace {

bool Blank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Puts a value there that packing takes, so that the next refusal shows.
void Substitute(Configuration& cfg, const FieldAt& at) {
  const Field& field = *at.field;
  if (const auto* text = std::get_if<std::string_view>(&field.cleared)) {
    SetText(cfg, field, at.index, std::string(*text));
  } else if (const auto* number = std::get_if<int>(&field.cleared)) {
    SetNumber(cfg, field, at.index, *number);
  } else if (const auto* value = std::get_if<double>(&field.cleared)) {
    SetNumber(cfg, field, at.index, *value);
  } else if (field.kind == FieldKind::Text) {
    SetText(cfg, field, at.index, "0");
  } else {
    SetNumber(cfg, field, at.index, field.items.empty() ? 0 : field.items.front().value);
  }
}

std::string ZoneSpan(int first, int last) {
  if (first == last) return ZoneName(first);
  return ZoneName(first) + (last == first + 1 ? ", " : " to ") + ZoneName(last);
}

}  // namespace

std::vector<FieldFailure> PackRefusals(const Document& doc) {
  std::vector<FieldFailure> refusals;
  std::set<std::string> seen;
  Document scratch = doc;
  while (true) {
    try {
      PackWithoutTrace(scratch);
      return refusals;
    } catch (const FieldFailure& refusal) {
      const FieldAt at = FindByControl(refusal.control());
      const bool again = !seen.insert(refusal.control()).second;
      if (!again && at && at.field->kind == FieldKind::Text &&
          Blank(GetText(scratch.cfg, *at.field, at.index))) {
        // "is empty" says more than "'' is not a number".
        refusals.emplace_back(refusal.code(), FieldLabel(*at.field, at.index) + " is empty",
                              refusal.control());
      } else if (!again) {
        refusals.push_back(refusal);
      }
      // A refusal that no substitute cures would come back for ever.
      if (!at || again) return refusals;
      Substitute(scratch.cfg, at);
    }
  }
}

std::vector<FieldAt> EmptyTexts(const Configuration& cfg) {
  std::vector<FieldAt> empty;
  for (const Field& field : Fields()) {
    if (field.kind != FieldKind::Text || field.home != FieldHome::Unit) continue;
    const auto* cleared = std::get_if<std::string_view>(&field.cleared);
    if (!cleared || cleared->empty()) continue;  // a text that may be empty
    for (int i = 0; i < field.count(); ++i) {
      const int index = field.count() > 1 ? i : -1;
      if (Blank(GetText(cfg, field, index))) empty.push_back({&field, index});
    }
  }
  return empty;
}

std::vector<FieldAt> FillEmptyTexts(Configuration& cfg) {
  const std::vector<FieldAt> empty = EmptyTexts(cfg);
  for (const FieldAt& ref : empty)
    SetText(cfg, *ref.field, ref.index,
            std::string(std::get<std::string_view>(ref.field->cleared)));
  return empty;
}

std::string ListRefusals(const std::vector<FieldFailure>& refusals, std::size_t named) {
  std::string text;
  for (std::size_t i = 0; i < refusals.size() && i < named; ++i) {
    if (!text.empty()) text += '\n';
    text += refusals[i].what();
  }
  if (refusals.size() > named) text += "\nand " + std::to_string(refusals.size() - named) + " more";
  return text;
}

std::string DescribeEmptyTexts(const std::vector<FieldAt>& empty) {
  std::vector<bool> zones(kZoneCount, false);
  std::vector<std::string> others;
  for (const FieldAt& ref : empty) {
    if (ref.field->zoned()) {
      zones[static_cast<std::size_t>(ref.index)] = true;
    } else {
      others.push_back(FieldLabel(*ref.field, ref.index));
    }
  }
  std::vector<std::string> parts;
  for (int first = 0; first < kZoneCount; ++first) {
    if (!zones[static_cast<std::size_t>(first)]) continue;
    int last = first;
    while (last + 1 < kZoneCount && zones[static_cast<std::size_t>(last + 1)])
      ++last;
    parts.push_back(ZoneSpan(first, last));
    first = last;
  }
  parts.insert(parts.end(), others.begin(), others.end());
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text;
}

}  // namespace kova
