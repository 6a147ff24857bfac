#!/usr/bin/env python3
"""Turns the RESULT lines of the benchmarks into a table and one GOAL line per goal.

Reads standard input. For every (register, size, operation) the median and the
minimum of the rounds are shown for libpq and for the program; a goal compares
the program with libpq at the largest size (ratio) and the largest size with the
smallest (scaling)."""
import re
import statistics
import sys
from collections import defaultdict

values = defaultdict(list)
failed = set()
for line in sys.stdin:
    m = re.match(r"RESULT side=(\w+) register=(\w+) size=(\d+) op=(\w+) value=([-\d.]+)", line)
    if m:
        side, reg, size, op, value = m.groups()
        # A failed operation reports -1: listed, not averaged.
        if float(value) < 0:
            failed.add("%s %s %s %s" % (side, reg, size, op))
        else:
            values[(side, reg, int(size), op)].append(float(value))


def median(side, reg, size, op):
    v = values.get((side, reg, size, op))
    return statistics.median(v) if v else None


def sizes(reg):
    return sorted({k[2] for k in values if k[1] == reg})


print("%-10s %8s %-22s %12s %12s %12s %12s" % ("register", "size", "operation", "libpq min", "libpq med",
                                                "program min", "program med"))
for reg in sorted({k[1] for k in values}):
    for size in sizes(reg):
        for op in sorted({k[3] for k in values if k[1] == reg and k[2] == size}):
            raw = values.get(("raw", reg, size, op), [])
            own = values.get(("model", reg, size, op), [])
            fmt = lambda v, f: ("%12.1f" % f(v)) if v else "%12s" % "-"
            print("%-10s %8d %-22s %s %s %s %s" % (reg, size, op, fmt(raw, min), fmt(raw, statistics.median),
                                                   fmt(own, min), fmt(own, statistics.median)))

# name: (register, program op, libpq op or None for a ratio of two program ops, limit, scaling op)
goals = [
    ("open", "tools", "first_page", ("raw", "first_page"), 2.0, "open_painted"),
    ("open_painted_scaling", "tools", "open_painted", None, 1.5, "open_painted"),
    ("scroll", "tools", "full", ("raw", "full"), 1.5, "full"),
    ("ctrl_end", "tools", "last_page", ("raw", "last_page"), 2.0, "last_page"),
    ("search", "tools", "search", ("raw", "search"), 1.5, "search"),
    ("clear", "tools", "clear", ("raw", "first_page"), 2.0, "clear"),
    ("sort", "tools", "sort", ("raw", "sort"), 2.0, "sort"),
    ("write", "tools", "write", ("raw", "write"), 2.0, "write"),
    ("write_scaling", "tools", "write", None, 1.5, "write"),
    ("tab_switch", "tools", "tab_switch", ("raw", "first_page"), 2.0, "tab_switch"),
    ("memory", "tools", "memory", ("raw", "memory"), 2.0, "memory"),
    ("memory_after_refresh", "tools", "memory_after_refresh", ("model", "memory"), 1.1, "memory_after_refresh"),
    # The tool register: a scan outside the rows read, a tool added through its dialog.
    ("tools_scan", "tools", "scan", ("raw", "scan"), 2.0, "scan"),
    ("tools_add", "tools", "add_save", ("raw", "add"), 2.0, "add"),
]
# The movement registers: opening, a dependent tab, and each command (from
# the last OK until the register shows the row, against libpq's statements;
# the scaling of the whole command, dialogs included).
for reg, tab, commands in (("transfers", False, ("issue", "receive")),
                           ("issues", True, ("issue", "take_back")),
                           ("repairs", True, ("send", "take_back"))):
    goals.append((reg + "_open", reg, "first_page", ("raw", "first_page"), 2.0, "open_painted"))
    if tab:
        goals.append((reg + "_tab", reg, "tab_open", ("raw", "tab_open"), 2.0, "tab_open"))
    for command in commands:
        goals.append((reg + "_" + command, reg, command + "_save", ("raw", command), 2.0, command))
print()
for name, reg, op, anchor, limit, scaling_op in goals:
    ss = sizes(reg)
    if not ss:
        continue
    big, small = ss[-1], ss[0]
    own = median("model", reg, big, op)
    scale_big = median("model", reg, big, scaling_op)
    scale_small = median("model", reg, small, scaling_op)
    scaling = scale_big / scale_small if scale_big and scale_small else float("nan")
    if anchor is None:
        ratio = scaling
    else:
        base = median(anchor[0], reg, big, anchor[1])
        ratio = own / base if own is not None and base else float("nan")
    print("GOAL %s ratio=%.2f limit=%.2f scaling=%.2f" % (name, ratio, limit, scaling))

# Live updates: milliseconds from another workstation's commit to the open
# register showing it, and the client's CPU time for a burst of 10 000 rows.
ss = sizes("live")
if ss:
    big, small = ss[-1], ss[0]
    nan = float("nan")
    val = lambda side, op, size=big: median(side, "live", size, op) or nan
    print("GOAL live_latency_ms value=%.1f limit=1000.00 p95=%.1f libpq=%.1f scaling=%.2f" % (
        val("model", "latency_median"), val("model", "latency_p95"), val("raw", "latency_median"),
        val("model", "latency_median") / val("model", "latency_median", small)))
    print("GOAL live_burst_cpu_ms value=%.1f limit=100.00 libpq=%.1f scaling=%.2f" % (
        val("model", "burst_cpu"), val("raw", "burst_cpu"), val("model", "burst_cpu") / val("model", "burst_cpu", small)))
for f in sorted(failed):
    print("FAILED " + f)
