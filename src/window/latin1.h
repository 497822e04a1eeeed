#pragma once

#include "diag/message.h"
#include "files/latin1.h"

// The model keeps texts as Latin-1 bytes, the widgets as QString.
namespace kova {

// Messages reach the user as UTF-8; those that quote a field carry its
// Latin-1 bytes until they are shown.
inline Message Latin1Message(Message message) {
  message.text = FromLatin1(message.text).toStdString();
  return message;
}

}  // namespace kova
