#!/usr/bin/env bash
# Runs VantrelLab against a freshly started crate simulator on 127.0.0.1:9876.
# With a display the window opens as usual; without one the program runs under a virtual
# display, saves a screenshot of its window once connected, and both processes stop.
# SCREENSHOT=path chooses the picture's file (default: ./vantrellab-screenshot.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir="$root/build"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$build_dir"

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The demo crate powers on with three detector channels biased and counting.
"$build_dir/bin/vantrel-sim" --address 127.0.0.1 --port 9876 --crate "$root/sim/crates/demo.json" \
  --verbose >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q "listening on" "$work/sim.log" && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$work/sim.log"; echo "The simulator did not start." >&2; exit 1; }
  sleep 0.1
done
grep -q "listening on" "$work/sim.log" || { echo "The simulator did not start listening." >&2; exit 1; }

# A settings folder of its own, so the demo always uses the default address 127.000.000.001.
export XDG_CONFIG_HOME="$work/config"
export TZ=${TZ:-UTC}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$build_dir/bin/VantrelLab"
else
  shot=${SCREENSHOT:-"$PWD/vantrellab-screenshot.png"}
  VT4_SCREENSHOT="$shot" timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" "$build_dir/bin/VantrelLab"
  echo "Screenshot of the main window: $shot"
fi
