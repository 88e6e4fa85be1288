#!/usr/bin/env python3
"""make docs: the API reference from include/arx_api.h with Doxygen.

    make_docs.py DOXYGEN SOURCE_DIR OUT_DIR VERSION
        writes OUT_DIR/html/index.html; exit 1 on any Doxygen warning (they
        are printed), or when an export is on no family page or does not say
        how long it blocks
The main page is made here from the README's "Units" and "Threads and
blocking" sections, so the tables are written once, in the README.
"""
from __future__ import annotations

import os
import pathlib
import re
import subprocess
import sys

from arx_header import read_functions

MAIN_PAGE_SECTIONS = ("Units", "Threads and blocking")


def readme_section(readme: str, title: str) -> str:
    """The text of `## title` up to the next `## ` heading."""
    m = re.search(rf"^## {re.escape(title)}\n(.*?)(?=^## |\Z)", readme, re.M | re.S)
    if not m:
        raise SystemExit(f"README.md has no section '## {title}'")
    return m.group(1).strip()


def main_page(readme: str, version: str) -> str:
    parts = [f"# arx {version} API reference {{#mainpage}}", "",
             "The C interface of `libarx.so`: one page per command family under "
             "[Modules](modules.html), the records and result codes under "
             "[Types](group__types.html). Each function says its units, how long it "
             "blocks and the result codes beyond its family's common ones."]
    for title in MAIN_PAGE_SECTIONS:
        parts += ["", f"## {title}", "", readme_section(readme, title)]
    return "\n".join(parts) + "\n"


def incomplete_functions(html: pathlib.Path, names: list[str]) -> list[str]:
    """Exports that no family page documents, or whose entry does not say how
    long the call blocks (a missing @blocking is no Doxygen warning)."""
    entries: dict[str, str] = {}
    for page in html.glob("group__*.html"):
        for member in page.read_text(errors="replace").split('<h2 class="memtitle">')[1:]:
            title = re.search(r"(\w+)\(\)", member.split("</h2>")[0])
            if title:
                entries[title.group(1)] = member
    return ([f"{n} (no family page)" for n in names if n not in entries] +
            [f"{n} (no @blocking)" for n in names if n in entries and "<dt>Blocking:</dt>" not in entries[n]])


def main(argv: list[str]) -> int:
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    doxygen, version = argv[1], argv[4]
    source, out = pathlib.Path(argv[2]).resolve(), pathlib.Path(argv[3]).resolve()
    header = source / "include" / "arx_api.h"
    out.mkdir(parents=True, exist_ok=True)
    (out / "mainpage.md").write_text(main_page((source / "README.md").read_text(), version))
    # Doxygen ignores a filter's failure: run it once here first.
    check = subprocess.run([sys.executable, str(source / "tools" / "doxygen_filter.py"), str(header)],
                           stdout=subprocess.DEVNULL)
    if check.returncode != 0:
        return 1
    env = dict(os.environ, ARX_VERSION=version, ARX_DOCS_OUT=str(out), ARX_SOURCE_DIR=str(source),
               ARX_PYTHON=sys.executable)
    run = subprocess.run([doxygen, str(source / "docs" / "Doxyfile")], env=env, cwd=out)
    warnings = (out / "warnings.log").read_text() if (out / "warnings.log").exists() else ""
    if warnings.strip():
        sys.stderr.write(warnings)
        print(f"make docs: {len(warnings.strip().splitlines())} Doxygen warning lines", file=sys.stderr)
        return 1
    if run.returncode != 0:
        print(f"make docs: doxygen exited with {run.returncode}", file=sys.stderr)
        return 1
    names = [f.name for f in read_functions(header)]
    incomplete = incomplete_functions(out / "html", names)
    if incomplete:
        print(f"make docs: incomplete: {', '.join(incomplete)}", file=sys.stderr)
        return 1
    print(f"make docs: {out / 'html' / 'index.html'} ({len(names)} functions)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
