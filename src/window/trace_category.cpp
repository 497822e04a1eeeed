// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/trace_category.h"

#include <QString>

#include "diag/trace.h"

namespace kova {

Q_LOGGING_CATEGORY(lcTrace, "kova.trace", QtInfoMsg)

bool AttachTraceToLog() {
  if (!lcTrace().isDebugEnabled()) {
    SetTraceSink(nullptr);
    return false;
  }
  SetTraceSink([](std::string_view line) {
    qCDebug(lcTrace).noquote() << QString::fromLatin1(line.data(),
                                                      static_cast<qsizetype>(line.size()));
  });
  return true;
}

}  // namespace kova
