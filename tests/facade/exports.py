#!/usr/bin/env python3
"""The built library exports exactly the header's C functions, undecorated, and
Arx_Service's constructor and one method per function that has one.
Usage: exports.py nm NM LIBARX_SO HEADER | objdump OBJDUMP CXXFILT ARX_DLL HEADER"""
from __future__ import annotations

import pathlib
import re
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
import arx_header  # noqa: E402


ELF_NOISE = {"_init", "_fini", "_edata", "_end", "__bss_start"}  # linker-made symbols


def run(*command: str) -> str:
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def exports_elf(nm: str, library: str) -> set[str]:
    lines = run(nm, "-D", "--defined-only", "-C", library).splitlines()
    names = {line.split(" ", 2)[2].split("(")[0] for line in lines}
    return {n for n in names if "@" not in n and n not in ELF_NOISE and not n.startswith("_ITM_")}


def exports_pe(objdump: str, cxxfilt: str, dll: str) -> tuple[set[str], list[str]]:
    table = run(objdump, "-p", dll).split("[Ordinal/Name Pointer] Table")[1]
    raw = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", table, flags=re.M)
    demangled = run(cxxfilt, *raw).splitlines() if raw else []
    return {name.split("(")[0] for name in demangled}, raw


def main(argv: list[str]) -> int:
    if argv[1] == "nm":
        exported, header = exports_elf(argv[2], argv[3]), argv[4]
    else:
        exported, raw = exports_pe(argv[2], argv[3], argv[4])
        header = argv[5]
        decorated = [n for n in raw if not n.startswith("_Z") and re.search(r"[@?]", n)]
        if decorated:
            print("decorated C names:", decorated)
            return 1
    declared_functions = arx_header.read_functions(pathlib.Path(header))
    declared = {f.name for f in declared_functions}
    functions = {n for n in exported if "::" not in n}
    methods = {n.split("::")[1] for n in exported if n.startswith("Arx_Service::")}
    others = {n for n in exported if "::" in n and not n.startswith("Arx_Service::")}
    wanted_methods = {arx_header.service_name(f.name) for f in arx_header.with_method(declared_functions)}
    wanted_methods.add(arx_header.SERVICE_CLASS)
    problems = [("declared but not exported", declared - functions), ("exported but not declared", functions - declared),
                ("functions without their method", wanted_methods - methods),
                ("methods without their function", methods - wanted_methods), ("other exports", others)]
    for what, names in problems:
        if names:
            print(f"{what}: {' '.join(sorted(names))}")
    return 1 if any(names for _, names in problems) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
