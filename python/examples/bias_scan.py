#!/usr/bin/env python3
"""Takes a count-rate-versus-bias curve of one detector channel and writes it as CSV.

Run it while VantrelLab runs with its automation interface on (``--automation`` or
``--headless``), for example:

    python3 bias_scan.py --from-ua 15 --to-ua 25 --step-ua 0.2 --output scan.csv
"""

import argparse
import csv
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from vantrellab_client import AutomationError, Client  # noqa: E402

MICRO = 1e-6
MILLI = 1e-3
DETECTOR_TYPES = ("VT4SDM0", "VT4SDM1")


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--address", type=int, help="bus address of the channel (default: the first detector)")
    parser.add_argument("--from-ua", type=float, default=15.0, help="first bias current, uA")
    parser.add_argument("--to-ua", type=float, default=25.0, help="last bias current, uA")
    parser.add_argument("--step-ua", type=float, default=0.5, help="bias step, uA")
    parser.add_argument("--time-constant", type=float, default=0.1, help="counting time per point, s")
    parser.add_argument("--stop-trigger-mv", type=float, default=100.0,
                        help="the scan ends when the detector voltage passes this, mV")
    parser.add_argument("--output", default="bias_scan.csv", help="CSV file to write")
    parser.add_argument("--token-file", help="the program's automation-PORT.json (default: a running one's)")
    parser.add_argument("--timeout", type=float, default=600.0, help="longest wait for the scan, s")
    return parser.parse_args()


def main():
    options = parse_arguments()
    with Client(token_file=options.token_file) as lab:
        modules = lab.wait_for_modules()
        address = options.address
        if address is None:
            detectors = [m["address"] for m in modules if m["type"] in DETECTOR_TYPES]
            if not detectors:
                sys.exit("the crate has no detector channel")
            address = detectors[0]
        lab.start_sweep("cps_vs_current", address,
                        **{"from": options.from_ua * MICRO, "to": options.to_ua * MICRO,
                           "step": options.step_ua * MICRO, "time_constant": options.time_constant,
                           "trigger": options.stop_trigger_mv * MILLI})
        try:
            finished = lab.wait_until_finished(options.timeout)
        except BaseException:
            lab.stop()  # never leave the channel sweeping
            raise
        curve = lab.series()
    points = curve["series"][0] if curve["series"] else {"x": [], "y": []}
    with open(options.output, "w", newline="", encoding="utf-8") as file:
        writer = csv.writer(file)
        writer.writerow(["bias_uA", "count_rate_cps"])
        writer.writerows(zip(points["x"], points["y"]))
    print("%d points of channel %d written to %s (%s)"
          % (len(points["x"]), address, options.output, finished["status"].replace("\r\n", " ")))


if __name__ == "__main__":
    try:
        main()
    except (AutomationError, OSError, TimeoutError) as error:
        sys.exit("bias scan failed: %s" % error)
