#!/usr/bin/env python3
"""The start-up step table from the lines a KLANGRID_STEP_TIMING build writes
(bench/step_timer.h): for each program, each step's median time since process
creation and the median of the time the step itself took (from the step before,
run by run), in the order the steps happened.

Usage: step_table.py STEP_LOG [LAUNCHER_OUTPUT]
With the launcher's output, a last row gives the launcher's median for each
program, from CreateProcess until the dialog was shown and the program idle,
and the median of what came after the last step (in the program, painting
the controls).
Each program's first line belongs to the launcher's unmeasured round and is
left out, as the launcher leaves that round out of its figures.
"""
import re
import statistics
import sys


def main():
    runs = {}
    for line in open(sys.argv[1]):
        program, *marks = line.split()
        steps = [(name, float(ms)) for name, ms in (mark.split("=") for mark in marks)]
        runs.setdefault(program, []).append(steps)
    totals = {}
    if len(sys.argv) > 2:
        for line in open(sys.argv[2]):
            match = re.match(r"run +\d+ +(\S+) +([\d.]+) ms", line)
            if match:
                totals.setdefault(match.group(1), []).append(float(match.group(2)))

    for program, program_runs in runs.items():
        program_runs = program_runs[1:] or program_runs
        print(f"{program} ({len(program_runs)} runs)    median ms: since process start / the step itself")
        names = [name for name, _ in program_runs[0]]
        for name in names:
            at, took = [], []
            for steps in program_runs:
                times = dict(steps)
                if name not in times:
                    continue
                order = [n for n, _ in steps]
                before = order.index(name) - 1
                at.append(times[name])
                took.append(times[name] - (steps[before][1] if before >= 0 else 0.0))
            print(f"  {name:<18} {statistics.median(at):8.1f} {statistics.median(took):8.1f}")
        if program in totals:
            # Runs pair up in order; the launcher's clock starts a little
            # before the process's own, so the step is a shade long.
            rest = [total - steps[-1][1] for total, steps in zip(totals[program], program_runs)]
            print(f"  {'shown-and-idle':<18} {statistics.median(totals[program]):8.1f}"
                  f" {statistics.median(rest):8.1f}   (launcher, from CreateProcess)")


main()
