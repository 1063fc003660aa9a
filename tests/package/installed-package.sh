#!/usr/bin/env bash
# Packs the build as a .deb, unpacks it with dpkg -x into a temporary root and starts the unpacked
# program headless against the unpacked simulator: it must load its private library from there,
# connect to the crate and quit with status 0. Exit 77 (skipped) where the Debian tools are missing.
set -euo pipefail
cpack_config=$1

for tool in cpack dpkg-deb dpkg; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$cpack_config" -B "$work/pack" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(ls "$work"/pack/*.deb)
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
grep -q "libqt6quick6" <<<"$depends" || fail "the Qt runtime is missing from Depends"
! grep -q -- "-dev" <<<"$depends" || fail "Depends names a development package"

dpkg -x "$deb" "$work/root"
usr="$work/root/usr"
for f in share/applications/vantrellab.desktop share/icons/hicolor/scalable/apps/vantrellab.svg \
         share/vantrellab/crates/demo.json share/vantrellab/python/vantrellab_client.py bin/vantrel-sim bin/vantrel-flash bin/VantrelLab; do
  [ -e "$usr/$f" ] || fail "the package lacks $f"
done
# Whole output first: grep -q stopping early would kill ldd with SIGPIPE and fail the pipeline.
libraries=$(ldd "$usr/bin/VantrelLab")
grep -q "libOrvexProtocol.so => $usr/.*lib/vantrellab/libOrvexProtocol.so" <<<"$libraries" ||
  fail "the installed program does not load libOrvexProtocol from the package: $(grep Orvex <<<"$libraries")"

"$usr/bin/vantrel-sim" --address 127.0.0.1 --port 0 --crate "$usr/share/vantrellab/crates/demo.json" \
  --verbose >"$work/sim.log" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 300); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/sim.log" | head -1)
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.log"; fail "the installed simulator stopped"; }
  sleep 0.1
done
[ -n "$port" ] || fail "the installed simulator did not start listening"

status=0
env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" \
  QT_QPA_PLATFORM=offscreen VT4_CRATE_PORT="$port" VT4_SCREENSHOT="$work/shot.png" \
  VT4_SCREENSHOT_DELAY_MS=0 timeout 120 "$usr/bin/VantrelLab" >"$work/app.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || { cat "$work/app.log"; fail "the installed program exited with status $status"; }
[ -s "$work/shot.png" ] || fail "the installed program quit without having connected"
echo "PASS: the unpacked program connected to the unpacked simulator on port $port and exited 0"
