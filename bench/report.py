#!/usr/bin/env python3
"""The benchmark's table: the samples bench.exe took, and idle CPU read from the host.

Under Wine each Windows process is a host process, so /proc shows its real CPU time.
Starts ten copies of each program, lets them settle, then counts the clock ticks they use
in ten seconds of idling.
Usage: report.py TRAYLNCH_EXE REFERENCE_EXE MARKER_FOLDER SAMPLES TABLE.md PAIR
PAIR names the two programs measured; TRAYLNCH_WINE in the environment is the Wine that runs them.
"""
import os
import statistics
import subprocess
import sys
import time

RUNS = 10
IDLE_SECONDS = 10
WINE = os.environ.get("TRAYLNCH_WINE", "/usr/lib/wine/wine64")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime, in clock ticks


def row(figure, ours, reference):
    def cell(values):
        return f"{statistics.median(values):.2f} ({min(values):.2f}..{max(values):.2f})"
    ratio = f"{statistics.median(ours) / statistics.median(reference):.2f}" if statistics.median(reference) else "n/a"
    return f"| {figure} | {cell(ours)} | {cell(reference)} | {ratio} |\n"


def main():
    ours_exe, reference_exe, markers, samples, table, pair = sys.argv[1:7]
    target = markers + "\\marker.exe%x"
    processes = {"ours": [], "reference": []}
    for _ in range(RUNS):
        for name, exe in (("ours", ours_exe), ("reference", reference_exe)):
            processes[name].append(subprocess.Popen([WINE, exe, target], stdout=subprocess.DEVNULL,
                                                    stderr=subprocess.DEVNULL))
    time.sleep(5)
    start = {p.pid: cpu_ticks(p.pid) for group in processes.values() for p in group}
    time.sleep(IDLE_SECONDS)
    used = {p.pid: cpu_ticks(p.pid) - start[p.pid] for group in processes.values() for p in group}
    hz = os.sysconf("SC_CLK_TCK")
    with open(table, "w") as f:
        f.write(f"Measured: {pair}\n\n")
        f.write("| figure | traylnch: median (min..max) | reference: median (min..max) | ratio |\n|---|---|---|---|\n")
        for line in open(samples):
            figure, ours, reference = line.rstrip("\n").split("\t")
            f.write(row(figure, [float(v) for v in ours.split()], [float(v) for v in reference.split()]))
        f.write(row("CPU to start (ms)", [start[p.pid] * 1000 / hz for p in processes["ours"]],
                    [start[p.pid] * 1000 / hz for p in processes["reference"]]))
        f.write(row(f"CPU during {IDLE_SECONDS} s idle (clock ticks)", [used[p.pid] for p in processes["ours"]],
                    [used[p.pid] for p in processes["reference"]]))
    for group in processes.values():
        for p in group:
            p.kill()
            p.wait()


if __name__ == "__main__":
    main()
