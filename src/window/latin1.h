#pragma once

#include <QString>
#include <string>

// The model keeps texts as Latin-1 bytes, the widgets as QString.
namespace kova {

inline QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}

}  // namespace kova
