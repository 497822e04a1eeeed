#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds one build tree. Usage: scripts/build.sh DIR [cmake options...]
# Our own builds treat warnings as errors and check the standard library's
# indexes; a user's or a packager's cmake does neither.
# They go through ccache where it is installed, so that sources already compiled
# once (in another tree or another clone of this one) are not compiled again;
# KOVA_CCACHE=0 builds without it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
cache=()
if [ "${KOVA_CCACHE:-1}" != 0 ] && command -v ccache >/dev/null; then
  # Paths below the checkout count as relative, so any clone shares the cache.
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
  cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
else
  cache=(-UCMAKE_CXX_COMPILER_LAUNCHER -UCMAKE_C_COMPILER_LAUNCHER)
fi
cmake -S . -B "$dir" -G Ninja -DKOVA_WERROR=ON -DKOVA_ASSERTIONS=ON "${cache[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
