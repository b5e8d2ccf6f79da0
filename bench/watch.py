#!/usr/bin/env python3
"""What `calvoro watch` costs on the simulated machine, measured rather than asserted.

Runs `calvoro watch --json` in the background against a state file of its own, then:
  - changes the source 20 times through other runs of calvoro, and takes for each the time
    from the change being written to the decision's line, less the debounce time: the median
    and the 95th percentile;
  - leaves it idle for 60 seconds and reads the CPU time it used meanwhile (/proc).

usage: bench/watch.py PATH/TO/calvoro [--changes N] [--idle SECONDS] [--debounce SECONDS]
"""
import argparse
import json
import os
import pathlib
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from datetime import datetime


def cpu_seconds(pid):
    """User and system time of a process so far (Linux)."""
    fields = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--changes", type=int, default=20)
    parser.add_argument("--idle", type=float, default=60)
    parser.add_argument("--debounce", type=float, default=0.5)
    arguments = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        state = os.path.join(folder, "machine.json")
        lines_path = os.path.join(folder, "watch.out")

        def calvoro(*words):
            subprocess.run([arguments.program, "--state", state, *words], check=True,
                           stdout=subprocess.DEVNULL)

        calvoro("set-default", "ac", "Balanced")
        calvoro("set-default", "dc", "Power saver")
        with open(lines_path, "w") as out:
            watcher = subprocess.Popen([arguments.program, "--state", state, "watch", "--json",
                                        "--debounce", str(arguments.debounce)], stdout=out)

        def lines():
            with open(lines_path) as read:
                return [json.loads(line) for line in read if line.strip()]

        def wait_for(count):
            deadline = time.time() + 30
            while len(lines()) < count:
                if time.time() > deadline:
                    sys.exit("the watcher did not decide")
                time.sleep(0.005)
            return lines()[count - 1]

        try:
            wait_for(1)
            delays = []
            for change in range(arguments.changes):
                calvoro("simulation", "set-source", "dc" if change % 2 == 0 else "ac")
                written = time.time()
                decided = wait_for(change + 2)
                at = datetime.fromisoformat(decided["time"].replace("Z", "+00:00")).timestamp()
                delays.append((at - written - arguments.debounce) * 1000)
                time.sleep(0.1)
            before = cpu_seconds(watcher.pid)
            time.sleep(arguments.idle)
            idle = (cpu_seconds(watcher.pid) - before) * 1000
        finally:
            watcher.send_signal(signal.SIGTERM)
            watcher.wait(timeout=30)

    delays.sort()
    p95 = delays[min(len(delays) - 1, round(0.95 * (len(delays) - 1)))]
    print(f"source change to plan applied, past the {arguments.debounce:g} s debounce, over "
          f"{len(delays)} changes: median {statistics.median(delays):.0f} ms, "
          f"95th percentile {p95:.0f} ms")
    print(f"CPU time over {arguments.idle:g} idle seconds: {idle:.0f} ms")


if __name__ == "__main__":
    main()
