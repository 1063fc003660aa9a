#!/usr/bin/env bash
# Configures and builds VantrelLab into the folder given as first argument (default: build).
# Further arguments go to CMake (e.g. -DVT_SANITIZE=ON). Reconfigures only when needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
shift || true

if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
fi
ninja -C "$build_dir" -j"$(nproc)"
