// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/latin1.h"

namespace kova {

std::string QuoteValue(std::string_view latin1) {
  constexpr std::size_t kShown = 40;
  std::string shown(latin1.substr(0, kShown));
  for (char& c : shown) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || (u >= 0x7F && u < 0xA0)) c = '?';
  }
  return "'" + ToUtf8(FromLatin1(shown)) + (latin1.size() > kShown ? "...'" : "'");
}

}  // namespace kova
