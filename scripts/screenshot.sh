#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of the window under a virtual X server of
# the smallest screen the window is made for (1024x768):
# docs/screenshot-general.png and docs/screenshot-chan1.png, with a sample
# configuration file loaded. BUILD_DIR picks the build tree (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target kova-screenshot -j "$(nproc)"
mkdir -p docs
# The window's own style and fonts, not the offscreen platform's.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$dir/app/kova-screenshot" docs tests/fixtures/image_layout.kova
ls -l docs/screenshot-general.png docs/screenshot-chan1.png
