#!/usr/bin/env bash
# Builds VantrelLab with its tests and runs them all with CTest (headless).
# VT_SANITIZE=1 builds into build-asan with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

bash "$root/scripts/install-deps.sh"

if [ "${VT_SANITIZE:-0}" = "1" ]; then
  build_dir="$root/build-asan"
  bash "$root/scripts/build.sh" "$build_dir" -DVT_SANITIZE=ON
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
  build_dir="$root/build"
  bash "$root/scripts/build.sh" "$build_dir"
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
