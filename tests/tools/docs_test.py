#!/usr/bin/env python3
"""make docs as make check runs it: the reference builds without a Doxygen
warning (make_docs.py also fails when an export is on no family page or does
not say how long it blocks), carries the README's tables on its main page,
and fails when the header's documentation has a gap.

    docs_test.py DOXYGEN
"""
from __future__ import annotations

import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(__file__).resolve().parents[2]
DOXYGEN = "doxygen"
VERSION = "0.0.0-test"


def make_docs(source: pathlib.Path, out: pathlib.Path) -> subprocess.CompletedProcess[str]:
    return subprocess.run([sys.executable, str(source / "tools" / "make_docs.py"), DOXYGEN, str(source), str(out),
                           VERSION], capture_output=True, text=True)


def source_copy(into: pathlib.Path) -> pathlib.Path:
    """The files make docs reads, copied so that a test may spoil them."""
    for part in ("README.md", "docs/Doxyfile", "include/arx_api.h", "tools/make_docs.py",
                 "tools/doxygen_filter.py", "tools/arx_header.py"):
        (into / part).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(SOURCE / part, into / part)
    return into


class Reference(unittest.TestCase):
    def test_builds_without_a_warning_with_a_page_per_family_and_the_readme_tables(self) -> None:
        with tempfile.TemporaryDirectory() as work:
            html = pathlib.Path(work) / "docs" / "html"
            result = make_docs(SOURCE, html.parent)
            self.assertEqual(result.returncode, 0, result.stderr)
            header = (SOURCE / "include" / "arx_api.h").read_text()
            for family in re.findall(r"^/\*\s*-{3,}\s*(.*?)\s*\*/$", header, re.M):
                page = "group__" + re.sub(r"[^a-z0-9]+", "_", family.lower()).strip("_").replace("_", "__") + ".html"
                self.assertTrue((html / page).is_file(), page)
            index = (html / "index.html").read_text()
        tables = re.findall(r"<table.*?</table>", index, re.S)
        headers = [re.sub(r"<[^>]+>|\s+", " ", t.split("</tr>")[0]).split() for t in tables]
        self.assertIn(["quantity", "in", "calls", "and", "results", "on", "the", "wire"], headers)
        self.assertIn(["call", "runs", "on", "holds", "the", "caller"], headers)
        self.assertIn(VERSION, index)


class Filter(unittest.TestCase):
    """What tools/doxygen_filter.py hands Doxygen for the header's shapes."""

    HEADER = """/* The file's own note. */
#ifndef H
/* ------------------------------------------------------------------ motion */
/* Moves. Errors common to the section: none.
 * More about moving. */

/* Starts / stops. Errors: ARX_TYPE_ERROR when the
 * state is not true/false.
 * @param handle connection
 * @param speed m/s
 * @param block wait
 * @blocking 20 ms. */
ARX_API int Start_It(SOCKHANDLE handle, float speed,
                     bool block);
ARX_API int Stop_It(SOCKHANDLE handle, bool block);
#define CAPACITY 6 /* elements */
/* ------------------------------------------------------------------ commands */
/* Common rules. */
/* ------------------------------------------------------------------ modbus */
/* Modbus. */
#endif"""

    def test_shapes(self) -> None:
        sys.path.insert(0, str(SOURCE / "tools"))
        from doxygen_filter import filter_header
        out = filter_header(self.HEADER).split("\n")
        lines = self.HEADER.split("\n")
        rows = [
            ("the file's note stays plain", 0, "/* The file's own note. */"),
            ("a heading opens its family with the next comment as intro", 2, "/** @defgroup motion Motion"),
            ("the intro follows, the group opened", 3,
             "Moves. Errors common to the section: none. More about moving. @{ */"),
            ("the intro's other lines are left", 4, ""),
            ("a shared comment leaves its lines", 6, ""),
            ("each export gets it with its own parameters and its errors paragraph", 12,
             "/** Starts / stops. @errors ARX_TYPE_ERROR when the state is not true/false. @param handle connection "
             "@param speed m/s @param block wait @blocking 20 ms. */ ARX_API int Start_It(SOCKHANDLE handle, float speed,"),
            ("the follower without the parameter it lacks", 14,
             "/** Starts / stops. @errors ARX_TYPE_ERROR when the state is not true/false. @param handle connection "
             "@param block wait @blocking 20 ms. */ ARX_API int Stop_It(SOCKHANDLE handle, bool block);"),
            ("a trailing comment documents its line", 15, "#define CAPACITY 6 /**< elements */"),
            ("the next family closes the previous", 16, "/** @} */ /** @defgroup commands Commands"),
            ("commands' intro opens its group", 17, "Common rules. @{ */"),
            ("commands stays open for the families after it", 18, "/** @defgroup modbus Modbus"),
            ("both close at the end", len(lines), "/** @} *//** @} */"),
        ]
        for what, line, expected in rows:
            with self.subTest(what):
                self.assertEqual(out[line], expected)
        # Line for line (one line more at the end), so warnings name the header's lines.
        self.assertEqual(len(out), len(lines) + 1)


class Warnings(unittest.TestCase):
    """Each spoiled header makes make docs fail and name the fault."""

    CASES = [  # what, a regular expression of the header's text, its replacement, a name the error gives
        ("an undocumented export", r"/\* Initialises the end of the arm\..*?\*/\n", "", "Set_Arm_Tip_Init"),
        ("an undocumented parameter", r" \* @param speed deg/s\n", "", "speed"),
        ("an undocumented result", r" \* @return the version text, static\n", "", "API_Version"),
        ("a misspelt parameter", r" \* @param speed deg/s\n", " * @param sped deg/s\n", "speed"),
        ("no blocking paragraph", r" \* @blocking 20 ms pause, then up to 33 s for the result\. \*/", " */",
         "Set_Force_Sensor"),
        ("an undocumented record field", r"    float rx; /\* about the fixed X axis, rad \*/", "    float rx;", "rx"),
    ]

    def test_spoiled_headers_fail(self) -> None:
        for what, text, replacement, named in self.CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as work:
                source = source_copy(pathlib.Path(work) / "src")
                header = source / "include" / "arx_api.h"
                spoiled, found = re.subn(text, replacement, header.read_text(), count=1, flags=re.S)
                self.assertEqual(found, 1)
                header.write_text(spoiled)
                result = make_docs(source, pathlib.Path(work) / "docs")
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(named, result.stderr)


if __name__ == "__main__":
    if len(sys.argv) > 1:
        DOXYGEN = sys.argv.pop(1)
    unittest.main()
