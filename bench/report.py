#!/usr/bin/env python3
"""The benchmark's table: bench.exe's samples, and the idle CPU of ten copies of each program from
/proc (under Wine a Windows process is a host one). Each ratio of medians has a 95% bootstrap
interval over the pairs, taken alternately so that a slower minute hits both.
Usage: report.py TRAYLNCH_EXE REFERENCE_EXE MARKER_FOLDER SAMPLES TABLE.md PAIR  (TRAYLNCH_WINE runs them)
"""
import os
import random
import statistics
import subprocess
import sys
import time

RUNS, IDLE_SECONDS, RESAMPLES = 10, 10, 2000
WINE = os.environ.get("TRAYLNCH_WINE", "/usr/lib/wine/wine64")


def cpu_ns(pid):
    """Time on a CPU of all the process's threads, in ns, from the scheduler's own statistics."""
    tasks = f"/proc/{pid}/task"
    return sum(int(open(f"{tasks}/{task}/schedstat").read().split()[0]) for task in os.listdir(tasks))


def ratio(ours, reference):
    """The ratio of the medians, with its 95% interval from resampling the pairs."""
    if not statistics.median(reference):
        return "n/a"
    pairs = list(zip(ours, reference))
    sample = random.Random(0)  # the same samples give the same table
    ratios = sorted(statistics.median(o for o, _ in chosen) / (statistics.median(r for _, r in chosen) or 1e-9)
                    for chosen in (sample.choices(pairs, k=len(pairs)) for _ in range(RESAMPLES)))
    low, high = ratios[int(0.025 * RESAMPLES)], ratios[int(0.975 * RESAMPLES) - 1]
    return f"{statistics.median(ours) / statistics.median(reference):.2f} ({low:.2f}..{high:.2f})"


def row(figure, ours, reference):
    def cell(values):
        return f"{statistics.median(values):.2f} ({min(values):.2f}..{max(values):.2f})"
    return f"| {figure} | {cell(ours)} | {cell(reference)} | {ratio(ours, reference)} |\n"


def main():
    ours_exe, reference_exe, markers, samples, table, pair = sys.argv[1:7]
    target = markers + "\\marker.exe%x"
    processes = {"ours": [], "reference": []}
    for _ in range(RUNS):
        for name, exe in (("ours", ours_exe), ("reference", reference_exe)):
            processes[name].append(subprocess.Popen([WINE, exe, target], stdout=subprocess.DEVNULL,
                                                    stderr=subprocess.DEVNULL))
    time.sleep(5)
    start = {p.pid: cpu_ns(p.pid) for group in processes.values() for p in group}
    time.sleep(IDLE_SECONDS)
    used = {p.pid: cpu_ns(p.pid) - start[p.pid] for group in processes.values() for p in group}
    with open(table, "w") as f:
        f.write(f"Measured: {pair}\n\n")
        f.write("| figure | traylnch: median (min..max) | reference: median (min..max) | ratio (95% interval) |\n"
                "|---|---|---|---|\n")
        for line in open(samples):
            figure, ours, reference = line.rstrip("\n").split("\t")
            f.write(row(figure, [float(v) for v in ours.split()], [float(v) for v in reference.split()]))
        f.write(row("CPU to start (ms)", [start[p.pid] / 1e6 for p in processes["ours"]],
                    [start[p.pid] / 1e6 for p in processes["reference"]]))
        f.write(row(f"CPU during {IDLE_SECONDS} s idle (ns)", [used[p.pid] for p in processes["ours"]],
                    [used[p.pid] for p in processes["reference"]]))
    for group in processes.values():
        for p in group:
            p.kill()
            p.wait()


main()
