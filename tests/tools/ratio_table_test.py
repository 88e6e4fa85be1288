#!/usr/bin/env python3
"""bench/ratio_table.py on result files shaped like Google Benchmark's: the
medians of the rounds, ratios from the medians as printed, the clock or
counter each row compares, and which implementation is the subject."""
from __future__ import annotations

import contextlib
import io
import json
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "bench"))
import ratio_table  # noqa: E402


def run(name: str, cpu: float = 0.0, real: float = 0.0, unit: str = "ns", label: str = "", **counters) -> dict:
    entry = {"name": name, "run_name": name, "run_type": "iteration", "repetitions": 1, "repetition_index": 0,
             "threads": 1, "iterations": 1, "real_time": real, "cpu_time": cpu, "time_unit": unit}
    if label:
        entry["label"] = label
    entry.update(counters)
    return entry


def failed(name: str) -> dict:
    return {"name": name, "run_name": name, "run_type": "iteration", "error_occurred": True,
            "error_message": "a connection failed to open"}


def table(rounds: list[list[dict]]) -> dict[str, list[str]]:
    """Runs the script on one result file per round; its first table by benchmark/reference."""
    with tempfile.TemporaryDirectory() as folder:
        paths = []
        for i, benchmarks in enumerate(rounds):
            path = pathlib.Path(folder) / f"x_bench.{i + 1}.json"
            path.write_text(json.dumps({"context": {}, "benchmarks": benchmarks}))
            paths.append(str(path))
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            ratio_table.main(paths)
    rows = {}
    for line in out.getvalue().split("\n\n")[1].splitlines()[2:]:
        cells = [c.strip() for c in line.strip("|").split("|")]
        rows[f"{cells[0]}|{cells[3]}"] = cells
    return rows


class RatioTableTest(unittest.TestCase):
    def test_compared_values_are_medians_of_the_rounds_and_ratios_of_the_printed_medians(self) -> None:
        # value, arx values and reference values per round -> unit, printed arx, reference, printed ref, ratio.
        cases = [
            ("cpu", [100, 100, 1000], [100, 100, 100], "ns 100 raw 100 1.00"),  # an outlier moves a mean, not a median
            ("cpu", [300, 100, 200], [60, 50, 70], "ns 200 raw 60 3.33"),
            ("cpu", [5, 7], [10, 10], "ns 6 raw 10 0.60"),  # even count: the middle two averaged
            # 0.01234 prints as 0.0123, 0.004567 as 0.00457: 2.69 from the printed values, 2.70 from the unrounded.
            ("rate", [0.01234], [0.004567], "rate 0.0123 raw 0.00457 2.69"),
        ]
        for value, arx, ref, expected in cases:
            with self.subTest(arx=arx, ref=ref):
                label = "" if value == "cpu" else value
                rounds = [[run("op/case/arx", label=label, **{value: a}), run("op/case/raw", label=label, **{value: r})]
                          for a, r in zip(arx, ref)]
                self.assertEqual(" ".join(table(rounds)["op/case|raw"][1:6]), expected)

    def test_each_row_compares_its_own_clock_or_labelled_counter(self) -> None:
        cases = [
            # name suffix, extra fields, expected printed value
            ("", dict(cpu=2.0, real=9.0, unit="us"), "2000"),
            ("/real_time", dict(cpu=2.0, real=9.0, unit="us"), "9000"),
            ("/iterations:20/manual_time", dict(cpu=2.0, real=0.5, unit="ms"), "500000"),
            ("/min_time:0.200", dict(cpu=3.0, real=4.0), "3"),
            ("/iterations:1/real_time", dict(cpu=1.0, real=1.0, label="cpu_percent", cpu_percent=27.5), "27.5"),
        ]
        for suffix, fields, expected in cases:
            with self.subTest(suffix=suffix, fields=fields):
                rows = table([[run("op/case/arx" + suffix, **fields)]])
                self.assertEqual(rows["op/case|"][2], expected)

    def test_subject_is_arx_else_the_first_arx_named_implementation(self) -> None:
        rounds = [[run("cpu/300_vs_1/arx", cpu=30), run("cpu/300_vs_1/arx_1_connection", cpu=10),
                   run("sim/100_clients/arx_sim", cpu=8), run("sim/100_clients/epoll_server", cpu=10)]]
        rows = table(rounds)
        self.assertEqual(rows["cpu/300_vs_1|arx_1_connection"][5], "3.00")
        self.assertEqual(rows["sim/100_clients|epoll_server"][5], "0.80")
        self.assertEqual(len(rows), 2)

    def test_a_written_median_counts_only_where_no_single_run_is_written(self) -> None:
        def aggregate(name: str, kind: str, cpu: float) -> dict:
            return dict(run(name, cpu=cpu), run_type="aggregate", aggregate_name=kind)
        rounds = [[run("own/case/arx", cpu=4), aggregate("own/case/arx", "median", 40), aggregate("own/case/arx", "mean", 90),
                   aggregate("alt/case/arx", "mean", 90), aggregate("alt/case/arx", "median", 30),
                   aggregate("alt/case/ref", "median", 10)]]
        rows = table(rounds)
        self.assertEqual(rows["own/case|"][2], "4")
        self.assertEqual(rows["alt/case|ref"][2:6], ["30", "ref", "10", "3.00"])

    def test_failed_runs_are_shown_not_compared(self) -> None:
        rows = table([[run("op/case/arx", cpu=5), failed("op/case/raw")], [failed("op/case/arx"), failed("op/case/raw")]])
        self.assertEqual(rows["op/case|raw"][2:5], ["5", "raw", "failed"])
        rows = table([[failed("other/case/arx")]])
        self.assertIn("failed: a connection failed to open", rows["other/case/arx|"][2])


if __name__ == "__main__":
    unittest.main()
