#!/usr/bin/env bash
# The Python example takes a bias scan end to end: the simulator plays the crate, the program runs
# headless (no display, no platform chosen) with its automation interface on a free port, and the
# script finds the port and token in the user's configuration folder. A second program killed
# beside it leaves its own token file behind and the first one's alone; the client must still find
# the running one. The CSV must hold the curve; SIGTERM must then end the program in order, taking
# its token file along.
# Exit 77 (skipped) without python3.
set -euo pipefail
program=$1 simulator=$2 script=$3

command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }

work=$(mktemp -d)
sim_pid="" program_pid="" second_pid=""
cleanup() {
  for pid in $second_pid $program_pid $sim_pid; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; tail -n 20 "$work"/*.log >&2 || true; exit 1; }

# Prints the first capture of `pattern` in `file` once it appears (30 s at most).
wait_for() {
  local file=$1 pattern=$2 pid=$3 found=""
  for _ in $(seq 300); do
    found=$(sed -n "s/$pattern/\1/p" "$file" | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

"$simulator" --address 127.0.0.1 --port 0 --verbose >"$work/sim.log" 2>&1 &
sim_pid=$!
crate_port=$(wait_for "$work/sim.log" '.*listening on 127\.0\.0\.1:\([0-9]*\).*' "$sim_pid") ||
  fail "the simulator did not start listening"

mkdir -p "$work/home"
# Starts the headless program with its interface on a free port: sets started_pid and started_port.
start_program() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    VT4_CRATE_PORT="$crate_port" "$program" --headless --automation=0 >"$work/$1.log" 2>&1 &
  started_pid=$!
  started_port=$(wait_for "$work/$1.log" '.*listening on 127\.0\.0\.1:\([0-9]*\).*' "$started_pid") ||
    fail "the headless program did not start its automation interface"
}
start_program program
program_pid=$started_pid
token_file="$work/home/config/VantrelLab/automation-$started_port.json"
[ "$(stat -c %a "$token_file")" = 600 ] || fail "the token file is readable by others"

start_program second
second_pid=$started_pid
[ -e "$work/home/config/VantrelLab/automation-$started_port.json" ] || fail "the second program wrote no token file"
kill -KILL "$second_pid"
wait "$second_pid" 2>/dev/null || true
second_pid=""
[ -e "$token_file" ] || fail "the second program took the first one's token file"

# Module 1 of the default crate goes normal at 24 uA; the scan stops there, the trigger passed.
XDG_CONFIG_HOME="$work/home/config" python3 "$script" --address 1 --from-ua 15 --to-ua 26 --step-ua 0.25 \
  --time-constant 0.05 --output "$work/scan.csv" --timeout 120 >"$work/client.log" 2>&1 ||
  fail "the example script failed: $(cat "$work/client.log")"
cat "$work/client.log"

python3 - "$work/scan.csv" <<'PY' || fail "the CSV does not hold the curve"
import csv, sys
rows = list(csv.reader(open(sys.argv[1])))
assert rows[0] == ["bias_uA", "count_rate_cps"], rows[0]
points = [(float(x), float(y)) for x, y in rows[1:]]
assert len(points) >= 20, len(points)
assert abs(points[0][0] - 15) < 0.1, points[0]
assert all(b[0] > a[0] for a, b in zip(points, points[1:])), "bias not rising"
peak = max(points, key=lambda p: p[1])
assert 20 < peak[0] < 25 and peak[1] > 2 * points[0][1], peak
assert points[-1][1] < peak[1] / 10, points[-1]
print("%d points, peak %.0f cps at %.2f uA" % (len(points), peak[1], peak[0]))
PY

# The client's parameter write, and a refusal it raises as an error with its code.
XDG_CONFIG_HOME="$work/home/config" PYTHONPATH="$(dirname "$script")/.." python3 - <<'PY' ||
from vantrellab_client import AutomationError, Client
with Client() as lab:
    lab.set(2, "current", 12e-6)
    try:
        lab.set(2, "current", 1.0)
        raise SystemExit("1 A was accepted")
    except AutomationError as error:
        assert error.code == "out-of-range", error
PY
  fail "the client's parameter calls went wrong"

kill -TERM "$program_pid"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" = 0 ] || fail "the program ended with status $status after SIGTERM"
[ ! -e "$token_file" ] || fail "the token file outlived the program"
echo "PASS"
