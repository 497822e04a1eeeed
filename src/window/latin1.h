#pragma once

#include <QString>
#include <string>

#include "diag/message.h"

// The model keeps texts as Latin-1 bytes, the widgets as QString.
namespace kova {

inline QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}

// Messages reach the user as UTF-8; those that quote a field carry its
// Latin-1 bytes until they are shown.
inline Message Latin1Message(Message message) {
  message.text = FromLatin1(message.text).toStdString();
  return message;
}

}  // namespace kova
