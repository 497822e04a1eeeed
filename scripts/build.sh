#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one build tree. Usage: scripts/build.sh DIR [cmake options...]
# Our own builds treat warnings as errors; a user's or a packager's cmake does not.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
cmake -S . -B "$dir" -G Ninja -DKOVA_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
