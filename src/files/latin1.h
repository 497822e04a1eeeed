// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "diag/message.h"

// The configuration's texts are single-byte Latin-1, like the files that hold
// them; messages for the user are UTF-8.
namespace kova {

inline QString FromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters outside Latin-1 become "?".
inline std::string ToLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}

inline std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

// A value from a file, quoted for a message: control characters shown as "?",
// and a long value cut, so that a message stays one readable line.
std::string QuoteValue(std::string_view latin1);

// Messages reach the user as UTF-8; those that quote a field carry its
// Latin-1 bytes until they are shown.
inline Message Latin1Message(Message message) {
  message.text = FromLatin1(message.text).toStdString();
  return message;
}

}  // namespace kova
