#!/usr/bin/env python3
"""Turns the RESULT lines of the benchmarks into a table and one GOAL line per goal.

Reads standard input. For every (register, size, operation) the minimum and the
median of the rounds are shown for libpq and for the program. A goal compares the
program with libpq's least SQL for the same step at the largest size (ratio, at
most `limit`) and the largest size with 10 000 rows (scaling, at most 1.5: no
interactive step grows with the register). For the steps that go through the
whole register (scrolling, memory) scaling is per row."""
import math
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

NAN = float("nan")


def median(side, reg, size, op):
    v = values.get((side, reg, size, op))
    return statistics.median(v) if v else None


def sizes(reg):
    return sorted({k[2] for k in values if k[1] == reg})


def fmt(v, f):
    return ("%12.1f" % f(v)) if v else "%12s" % "-"


print("%-10s %8s %-22s %12s %12s %12s %12s" % ("register", "size", "operation", "libpq min", "libpq med",
                                                "program min", "program med"))
for reg in sorted({k[1] for k in values}):
    for size in sizes(reg):
        for op in sorted({k[3] for k in values if k[1] == reg and k[2] == size}):
            raw = values.get(("raw", reg, size, op), [])
            own = values.get(("model", reg, size, op), [])
            print("%-10s %8d %-22s %s %s %s %s" % (reg, size, op, fmt(raw, min), fmt(raw, statistics.median),
                                                   fmt(own, min), fmt(own, statistics.median)))

fills = sorted((k[2], statistics.median(v)) for k, v in values.items() if k[1] == "fill" and k[3] == "fill")
if fills:
    print()
    for size, ms in fills:
        print("FILL rows=%d per register seconds=%.1f" % (size, ms / 1000))

# (name, register, program op, anchor (side, op), limit, scaling op, per row)
goals = []
for reg in ("tools", "transfers", "issues", "repairs"):
    p = "" if reg == "tools" else reg + "_"
    goals += [
        # Opening: the model's first read against libpq's first page; the
        # scaling of the module opened and painted.
        (p + "open", reg, "first_page", ("raw", "first_page"), 2.0, "open_painted", False),
        (p + "sort", reg, "sort", ("raw", "sort"), 2.0, "sort", False),
        (p + "search", reg, "search", ("raw", "search"), 1.5, "search", False),
        (p + "clear", reg, "clear", ("raw", "first_page"), 2.0, "clear", False),
        (p + "tab_switch", reg, "tab_switch", ("raw", "first_page"), 2.0, "tab_switch", False),
        (p + "ctrl_end", reg, "last_page", ("raw", "last_page"), 2.0, "last_page", False),
        (p + "scroll", reg, "full", ("raw", "full"), 1.5, "full", True),
        (p + "memory", reg, "memory", ("raw", "memory"), 2.0, "memory", True),
        # No growth: the memory after a refresh against the memory before it.
        (p + "memory_after_refresh", reg, "memory_after_refresh", ("model", "memory"), 1.1, "memory_after_refresh", True),
    ]
goals += [
    ("scan", "tools", "scan", ("raw", "scan"), 2.0, "scan", False),
    ("add", "tools", "add_save", ("raw", "add"), 2.0, "add", False),
    ("write", "tools", "write", ("raw", "write"), 2.0, "write", False),
]
# The movement commands, from the last OK until the register shows the row,
# against libpq's writes and reading them back (the scaling of the whole
# command, dialogs included), and the dependent tabs.
for reg, commands in (("transfers", ("issue", "receive")), ("issues", ("issue", "take_back")),
                      ("repairs", ("send", "take_back"))):
    for command in commands:
        goals.append((reg + "_" + command, reg, command + "_save", ("raw", command), 2.0, command, False))
    goals.append((reg + "_tab", reg, "tab_open", ("raw", "tab_open"), 2.0, "tab_open", False))
# A 50-tool kit issued and taken back, from OK until the kits' register
# shows it, against libpq's same statements and page (one size: no scaling).
goals += [("kit_issue", "kits", "kit_issue", ("raw", "kit_issue"), 2.0, "kit_issue", False),
          ("kit_return", "kits", "kit_return", ("raw", "kit_return"), 2.0, "kit_return", False)]
# A stocktake of a 10 000-tool warehouse: one scan, Enter until the scans tab
# shows it, and the closing; scaling from the 10 000-tool register.
goals += [("stocktake_scan", "stocktake", "scan", ("raw", "scan"), 2.0, "scan", False),
          ("stocktake_close", "stocktake", "close", ("raw", "close"), 2.0, "close", False)]

print()
for name, reg, op, anchor, limit, scaling_op, per_row in goals:
    ss = sizes(reg)
    if not ss:
        continue
    big, small = ss[-1], ss[0]
    own = median("model", reg, big, op)
    base = median(anchor[0], reg, big, anchor[1])
    ratio = own / base if own is not None and base else NAN
    scale_big = median("model", reg, big, scaling_op)
    scale_small = median("model", reg, small, scaling_op)
    scaling = scale_big / scale_small if scale_big and scale_small and big != small else NAN
    if per_row and not math.isnan(scaling):
        scaling = scaling * small / big
    print("GOAL %s ratio=%.2f limit=%.2f scaling=%.2f" % (name, ratio, limit, scaling))

# Live updates: milliseconds from another workstation's commit to the open
# register showing it, against a LISTENing libpq connection reading the row;
# and the client's CPU time for a burst of 10 000 rows.
ss = sizes("live")
if ss:
    big, small = ss[-1], ss[0]
    val = lambda side, op, size=big: median(side, "live", size, op) or NAN
    print("GOAL live_latency ratio=%.2f limit=2.00 scaling=%.2f ms=%.1f p95=%.1f libpq=%.1f" % (
        val("model", "latency_median") / val("raw", "latency_median"),
        val("model", "latency_median") / val("model", "latency_median", small) if big != small else NAN,
        val("model", "latency_median"), val("model", "latency_p95"), val("raw", "latency_median")))
    print("GOAL live_burst_cpu ratio=%.2f limit=2.00 scaling=%.2f ms=%.1f libpq=%.1f" % (
        val("model", "burst_cpu") / val("raw", "burst_cpu"),
        val("model", "burst_cpu") / val("model", "burst_cpu", small) if big != small else NAN,
        val("model", "burst_cpu"), val("raw", "burst_cpu")))
for f in sorted(failed):
    print("FAILED " + f)
