#!/usr/bin/env python3
"""One table of ratios from the JSON results of one `make bench` run.

Every benchmark is named operation/case/implementation. Within an operation
and case, the implementation "arx" is compared with each other one: the ratio
is arx time / other time (below 1: arx is faster). Times are CPU time per
iteration, the median of the repetitions where there are several (the machine
may be shared); benchmarks that measure waiting on the network (run with
real time) are compared by real time. A "success" counter, where a benchmark
reports one, is shown as a percentage; other counters (latency percentiles,
rates, wake-ups, allocations) follow in a second table. Rows keep the order in which the benchmarks ran; any number
of result files and rows is accepted.
"""
import json
import sys

SUBJECT = "arx"
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
STANDARD_FIELDS = {"family_index", "per_family_instance_index", "repetitions", "repetition_index", "threads",
                   "iterations", "real_time", "cpu_time", "success"}
COUNTERS = {}


def read_results(paths):
    """(operation/case, implementation) -> (ns per iteration, success or None), in run order."""
    results, medians = {}, {}
    global COUNTERS
    for path in paths:
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                median = b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"
                if b.get("run_type", "iteration") != "iteration" and not median:
                    continue
                parts = b["run_name"].split("/")
                real_time = "real_time" in parts
                parts = [p for p in parts if p != "real_time" and not p.startswith(("iterations:", "repeats:"))]
                if len(parts) < 3:
                    continue
                key = ("/".join(parts[:-1]), parts[-1])
                clock = "real_time" if real_time else "cpu_time"
                value = (b[clock] * UNIT_NS[b.get("time_unit", "ns")], b.get("success"))
                (medians if median else results)[key] = value
                counters = {k: v for k, v in b.items() if k not in STANDARD_FIELDS and isinstance(v, (int, float))}
                if counters and (median or key not in COUNTERS):
                    COUNTERS[key] = counters
    results.update(medians)
    return results


def percent(success):
    return "" if success is None else f"{100.0 * success:.1f} %"


def main(paths):
    results = read_results(paths)
    groups = list(dict.fromkeys(group for group, _ in results))
    rows = []
    for group in groups:
        if (group, SUBJECT) not in results:
            continue
        ns, success = results[(group, SUBJECT)]
        others = [(impl, r) for (g, impl), r in results.items() if g == group and impl != SUBJECT]
        if not others:
            rows.append((group, f"{ns:.0f}", "", "", "", percent(success), ""))
        for impl, (other_ns, other_success) in others:
            rows.append((group, f"{ns:.0f}", impl, f"{other_ns:.0f}", f"{ns / other_ns:.2f}",
                         percent(success), percent(other_success)))

    header = ("benchmark", "arx ns", "reference", "ref ns", "arx / ref", "arx success", "ref success")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(v).ljust(w) for v, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))
    if COUNTERS:
        print()
        print("| benchmark | counters |")
        print("|---|---|")
        for (group, impl), counters in COUNTERS.items():
            text = ", ".join(f"{k} {v:.3g}" for k, v in sorted(counters.items()))
            print(f"| {group}/{impl} | {text} |")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: ratio_table.py RESULT.json...")
    main(sys.argv[1:])
