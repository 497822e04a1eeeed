// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace kova::ctl {
namespace {

// True while the bar's line waits for its end.
bool barOpen = false;

}  // namespace

ProgressSink ProgressBar() {
  if (!isatty(STDERR_FILENO)) return {};
  return [](const Progress& progress) {
    barOpen = progress.done < progress.expected;
    const int width = 30;
    const int filled = progress.expected > 0 ? width * progress.done / progress.expected : 0;
    std::fprintf(stderr, "\r%-6s [%s%s] %3d/%-3d", progress.phase.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), progress.done,
                 progress.expected);
    if (progress.done >= progress.expected) std::fprintf(stderr, "\n");
  };
}

void EndProgressLine() {
  if (barOpen) std::fprintf(stderr, "\n");
  barOpen = false;
}

}  // namespace kova::ctl
