#!/usr/bin/env python3
"""The built library's exports against the public header and the façade rule.

    exports.py nm NM LIBARX_SO HEADER
    exports.py objdump OBJDUMP CXXFILT ARX_DLL HEADER

Checks, from the symbols the library really exports:
  - the C functions are exactly those the header declares, undecorated;
  - the only other exports are Arx_Service's constructor and methods;
  - methods and functions correspond one to one: Service_<name> for every
    function but Get_Install_Pose, with the renamed ones as listed below.
"""
import re
import subprocess
import sys

NO_METHOD = {"Get_Install_Pose"}
# Functions whose method is not simply Service_ + the name.
RENAMED = {
    "end2tool": "Service_End2tool",
    "tool2end": "Service_Tool2end",
    "euler2matrix": "Service_Euler2matrix",
    "euler2quaternion": "Service_Euler2quaternion",
    "quaternion2euler": "Service_Quaternion2euler",
    "matrix2pos": "Service_Matrix2pos",
    "pos2matrix": "Service_Pos2matrix",
    "inverse_kinematics": "Service_Inverse_Kinematics",
    "setAngle": "Service_SetAngle",
    "setLwt": "Service_SetLwt",
}
# Linker-made symbols of an ELF shared library.
ELF_NOISE = {"_init", "_fini", "_edata", "_end", "__bss_start"}


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def header_functions(header):
    text = open(header).read()
    text = text.split("/* BEGIN Arx_Service")[0]
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r"^\s*#.*$", "", text, flags=re.M)
    return set(re.findall(r"\bARX_API\b[^;{(]*?(\w+)\s*\(", text))


def exports_elf(nm, library):
    names = set()
    for line in run(nm, "-D", "--defined-only", "-C", library).splitlines():
        name = line.split(" ", 2)[2].split("(")[0]
        if "@" not in name and name not in ELF_NOISE and not name.startswith("_ITM_"):
            names.add(name)
    return names


def exports_pe(objdump, cxxfilt, dll):
    table = run(objdump, "-p", dll).split("[Ordinal/Name Pointer] Table")[1]
    raw = re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", table, flags=re.M)
    demangled = run(cxxfilt, *raw).splitlines() if raw else []
    return {name.split("(")[0] for name in demangled}, raw


def main(argv):
    if argv[1] == "nm":
        exported, header = exports_elf(argv[2], argv[3]), argv[4]
    else:
        exported, raw = exports_pe(argv[2], argv[3], argv[4])
        header = argv[5]
        decorated = [n for n in raw if not n.startswith("_Z") and re.search(r"[@?]", n)]
        if decorated:
            print("decorated C names:", decorated)
            return 1
    declared = header_functions(header)
    functions = {n for n in exported if "::" not in n}
    methods = {n.split("::")[1] for n in exported if n.startswith("Arx_Service::")}
    others = {n for n in exported if "::" in n and not n.startswith("Arx_Service::")}
    wanted_methods = {RENAMED.get(f, "Service_" + f) for f in declared - NO_METHOD} | {"Arx_Service"}
    problems = [
        ("declared but not exported", declared - functions),
        ("exported but not declared", functions - declared),
        ("functions without their method", wanted_methods - methods),
        ("methods without their function", methods - wanted_methods),
        ("other exports", others),
    ]
    status = 0
    for what, names in problems:
        if names:
            print(f"{what}: {' '.join(sorted(names))}")
            status = 1
    if status == 0:
        print(f"{len(functions)} C functions and {len(methods) - 1} Arx_Service methods, one to one")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
