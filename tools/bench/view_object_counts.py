#!/usr/bin/env python3
"""Per-run counters of the view-object benchmark, read from /proc.

Runs `bench_restore.exe view-object marked` under Wine and, at the lines it prints at
every run's start and end, reads the counters of every process of the Wine prefix (and
the Xvfb of DISPLAY): CPU time, read and write system calls (wineserver requests are a
write and a read on a pipe), context switches and time slices, for the process and for
its main thread (in the benchmark: the restore's thread). Prints, per run, the mean of
the runs with the commit and of those without. Counts, unlike times, do not follow the
load of a shared machine.

Run from the project folder, with the build's prefix started and a tall private Xvfb
(as scripts/bench.sh does):
    WINEPREFIX=$PWD/build/windows/wineprefix python3 tools/bench/view_object_counts.py
"""
import collections
import os
import subprocess
import sys

EXE = "build/windows/tools/bench/bench_restore.exe"


def read(path):
    with open(path) as f:
        return f.read()


def ours(prefix, display):
    """The pids of the prefix's processes (by their environment) and of our Xvfb."""
    pids = {}
    for p in filter(str.isdigit, os.listdir("/proc")):
        try:
            env = open(f"/proc/{p}/environ", "rb").read().split(b"\0")
            cmd = open(f"/proc/{p}/cmdline", "rb").read().split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=" + prefix).encode() in env and int(p) != os.getpid():
            pids[int(p)] = read(f"/proc/{p}/comm").strip()
        elif cmd and cmd[0].endswith(b"Xvfb") and display.encode() in cmd:
            pids[int(p)] = "Xvfb"
    return pids


def counters(pid):
    stat = read(f"/proc/{pid}/stat")
    fields = stat[stat.rfind(")") + 2:].split()
    io = dict(line.split(": ") for line in read(f"/proc/{pid}/io").splitlines())
    main = f"/proc/{pid}/task/{pid}"
    mio = dict(line.split(": ") for line in read(main + "/io").splitlines())
    sched = read(main + "/schedstat").split()
    status = dict(line.split(":\t") for line in read(main + "/status").splitlines()
                  if ":\t" in line)
    return {
        "process cpu ms": (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK"),
        "process read calls": int(io["syscr"]),
        "process write calls": int(io["syscw"]),
        "main cpu ms": int(sched[0]) / 1e6,
        "main time slices": int(sched[2]),
        "main read calls": int(mio["syscr"]),
        "main write calls": int(mio["syscw"]),
        "main voluntary switches": int(status["voluntary_ctxt_switches"]),
        "main involuntary switches": int(status["nonvoluntary_ctxt_switches"]),
    }


def snapshot(pids):
    snap = {}
    for pid, name in pids.items():
        try:
            snap[(name, pid)] = counters(pid)
        except (OSError, KeyError, ValueError):
            pass  # ended meanwhile
    return snap


def list_of(snap):
    return {pid: name for name, pid in snap}


def main():
    prefix = os.environ["WINEPREFIX"]
    display = os.environ["DISPLAY"]
    bench = subprocess.Popen(["wine", EXE, "view-object", "marked"], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True, bufsize=1)
    sums = {"with": collections.Counter(), "without": collections.Counter()}
    runs = collections.Counter()
    begin = None
    loads = []
    for line in bench.stdout:
        line = line.rstrip("\r\n")
        words = line.split()
        if words[:2] == ["MARK", "begin"]:
            begin = snapshot(ours(prefix, display))
            loads.append(os.getloadavg()[0])
        elif words[:2] == ["MARK", "end"] and begin is not None:
            end = snapshot(list_of(begin))
            kind = words[2]
            runs[kind] += 1
            for key, before in begin.items():
                after = end.get(key)
                if after:
                    for field, value in before.items():
                        sums[kind][(key[0], field)] += after[field] - value
            begin = None
        else:
            print(line, flush=True)
    bench.wait()
    if not runs["with"] or not runs["without"]:
        sys.exit("no marked runs")
    print(f"\nper run ({runs['with']} with, {runs['without']} without; "
          f"load average {min(loads):.1f}-{max(loads):.1f}):")
    for key in sorted(set(sums["with"]) | set(sums["without"])):
        w = sums["with"][key] / runs["with"]
        o = sums["without"][key] / runs["without"]
        if w or o:
            ratio = f"{w / o:.3f}" if o else "-"
            print(f"  {key[0]:16s} {key[1]:26s} with {w:10.1f}  without {o:10.1f}  {ratio}")


if __name__ == "__main__":
    main()
