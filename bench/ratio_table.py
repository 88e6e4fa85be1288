#!/usr/bin/env python3
"""One table of ratios from the JSON results of one `make bench` run.

`make bench` runs every benchmark binary several rounds, one result file per
binary and round, so that within a binary each arx row and its reference
alternate round after round instead of running all their repetitions in a
row. Every benchmark is named operation/case/implementation. Within an
operation and case, the subject (the implementation "arx", else the first one
whose name begins with "arx") is compared with each other implementation.

The compared value of a row is its time per iteration (CPU time; real time
for benchmarks that wait on the network, or the manual time they set), or,
when the benchmark sets a label, the counter the label names. The table
prints the median over the rounds of each value, and the ratio is computed
from those printed medians (subject / reference: below 1 the subject takes
less of it). A program that alternates its own repetitions may write only
their median: that median is then its value for the round. A "success" counter, where a benchmark reports one, is shown as
a percentage; the other counters follow in a second table, medians too.
Rows keep the order in which the benchmarks ran.
"""
from __future__ import annotations

import json
import statistics
import sys
from dataclasses import dataclass, field

SUBJECT = "arx"
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
NOT_COUNTERS = {"family_index", "per_family_instance_index", "repetitions", "repetition_index", "threads",
                "iterations", "real_time", "cpu_time", "success"}


@dataclass
class Row:
    measure: str = "ns"
    values: list[float] = field(default_factory=list)
    successes: list[float] = field(default_factory=list)
    counters: dict[str, list[float]] = field(default_factory=dict)
    errors: list[str] = field(default_factory=list)


def split_name(run_name: str) -> tuple[str, str, bool] | None:
    """(operation/case, implementation, timed by the clock on the wall) of a run name."""
    parts = run_name.split("/")
    wall = "real_time" in parts or "manual_time" in parts
    parts = [p for p in parts if p not in ("real_time", "manual_time") and not p.startswith(("iterations:", "repeats:", "min_time:"))]
    if len(parts) < 3:
        return None
    return "/".join(parts[:-1]), parts[-1], wall


def read_results(paths: list[str]) -> dict[tuple[str, str], Row]:
    rows: dict[tuple[str, str], Row] = {}
    for path in paths:
        with open(path) as f:
            benchmarks = json.load(f)["benchmarks"]
        # A program that alternates its own repetitions writes only their
        # median: taken as its file's value where no single run is written.
        single = {b["run_name"] for b in benchmarks if b.get("run_type", "iteration") == "iteration"}
        for b in benchmarks:
            median = b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"
            if b.get("run_type", "iteration") != "iteration" and not (median and b["run_name"] not in single):
                continue
            name = split_name(b["run_name"])
            if name is None:
                continue
            group, impl, wall = name
            row = rows.setdefault((group, impl), Row())
            if b.get("error_occurred"):
                row.errors.append(b.get("error_message", "error"))
                continue
            counters = {k: float(v) for k, v in b.items() if k not in NOT_COUNTERS and isinstance(v, (int, float))
                        and not isinstance(v, bool)}
            label = b.get("label", "")
            if label and label in counters:
                row.measure = label
                row.values.append(counters[label])
            else:
                row.values.append(b["real_time" if wall else "cpu_time"] * UNIT_NS[b.get("time_unit", "ns")])
            if "success" in b:
                row.successes.append(float(b["success"]))
            for k, v in counters.items():
                row.counters.setdefault(k, []).append(v)
    return rows


def shown(value: float, measure: str) -> str:
    """A median as printed: whole nanoseconds, three significant digits otherwise."""
    return f"{value:.0f}" if measure == "ns" else f"{value:.3g}"


def percent(successes: list[float]) -> str:
    return f"{100.0 * statistics.median(successes):.1f} %" if successes else ""


def subject_of(impls: list[str]) -> str | None:
    if SUBJECT in impls:
        return SUBJECT
    return next((i for i in impls if i.startswith(SUBJECT)), None)


def table_rows(rows: dict[tuple[str, str], Row]) -> list[tuple[str, ...]]:
    out = []
    for group in dict.fromkeys(g for g, _ in rows):
        impls = [i for g, i in rows if g == group]
        subject = subject_of(impls)
        if subject is None:
            continue
        s = rows[(group, subject)]
        if not s.values:
            out.append((f"{group}/{subject}", s.measure, "failed: " + "; ".join(sorted(set(s.errors))), "", "", "", "", ""))
            continue
        s_text = shown(statistics.median(s.values), s.measure)
        others = [i for i in impls if i != subject]
        if not others:
            out.append((group if subject == SUBJECT else f"{group}/{subject}", s.measure, s_text, "", "", "",
                        percent(s.successes), ""))
        for impl in others:
            r = rows[(group, impl)]
            if not r.values:
                out.append((group, s.measure, s_text, impl, "failed", "", percent(s.successes), ""))
                continue
            r_text = shown(statistics.median(r.values), r.measure)
            ratio = float(s_text) / float(r_text) if float(r_text) else float("nan")
            out.append((group, s.measure, s_text, impl, r_text, f"{ratio:.2f}", percent(s.successes),
                        percent(r.successes)))
    return out


def print_table(header: tuple[str, ...], rows: list[tuple[str, ...]]) -> None:
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    print("| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |")
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print("| " + " | ".join(str(v).ljust(w) for v, w in zip(r, widths)) + " |")


def main(paths: list[str]) -> None:
    rows = read_results(paths)
    rounds = max((len(r.values) for r in rows.values()), default=0)
    print(f"Medians of {rounds} rounds.\n")
    print_table(("benchmark", "measure", "arx", "reference", "ref", "arx / ref", "arx success", "ref success"),
                table_rows(rows))
    counter_rows = [(f"{g}/{i}", ", ".join(f"{k} {statistics.median(v):.3g}" for k, v in sorted(r.counters.items())))
                    for (g, i), r in rows.items() if r.counters]
    if counter_rows:
        print()
        print_table(("benchmark", "counters (medians)"), counter_rows)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: ratio_table.py RESULT.json...")
    main(sys.argv[1:])
