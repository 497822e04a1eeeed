#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
# Skips with a note where clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, fuzz targets skipped"
  exit 0
fi
scripts/install-deps.sh
scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKOVA_FUZZ=ON -DKOVA_BENCH=OFF
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>"build-fuzz/$name.log" \
    || { tail -50 "build-fuzz/$name.log"; exit 1; }
  grep -E 'stat::number_of_executed_units' "build-fuzz/$name.log" || true
done
