#!/usr/bin/env bash
# Builds VantrelLab (in build/) and packs it as a Debian package, vantrellab_VERSION_ARCH.deb,
# into the folder given as first argument (default: build/package).
# Install it with: apt install ./vantrellab_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build"
out_dir=$(realpath -m "${1:-"$build_dir/package"}")

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build_dir"
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$out_dir" >/dev/null
rm -rf "$out_dir/_CPack_Packages"
ls "$out_dir"/*.deb
