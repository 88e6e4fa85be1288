#!/usr/bin/env python3
"""The exported functions of the public header, read in one place.

The facade generator, the Python generator, the export checks, the layer
check and the sweep's completeness test all take the list of exports from
here, so they cannot disagree about what the header declares. The records,
enumerations, constants and comments are read here too, for the Python layer.

    arx_header.py functions HEADER        one exported C function per line
    arx_header.py sweep-list HEADER OUT   writes OUT, a C++ header with the
                                          functions as kDeclaredFunctions
"""
from __future__ import annotations

import difflib
import pathlib
import re
import sys
from dataclasses import dataclass

# Marks the end of the C declarations in a header that carries the class too.
CLASS_BEGIN = "/* BEGIN Arx_Service"
SERVICE_CLASS = "Arx_Service"
# Exports without a method of the class.
NO_METHOD = frozenset({"Get_Install_Pose"})

_HEADING = re.compile(r"/\*\s*-{3,}\s*(.*?)\s*\*/")
_DECLARATION = re.compile(r"\bARX_API\s+([^;{}()#]*?)\b(\w+)\s*\(((?:[^()]|\([^()]*\))*)\)\s*;", re.S)
# Headings that group records, not functions.
_NOT_FUNCTION_SECTIONS = ("types", "commands")


@dataclass(frozen=True)
class Function:
    result: str
    name: str
    parameters: tuple[str, ...]
    section: str


def service_name(function: str) -> str:
    """Service_ + the function's name; a lower-case name is capitalised word by
    word (inverse_kinematics -> Inverse_Kinematics, setAngle -> SetAngle)."""
    if function[0].islower():
        function = "_".join(word[:1].upper() + word[1:] for word in function.split("_"))
    return "Service_" + function


def split_parameters(text: str) -> tuple[str, ...]:
    """Splits a parameter list at top-level commas, whitespace normalised."""
    parts: list[str] = []
    depth, current = 0, ""
    for ch in text:
        if ch == "(":
            depth += 1
        elif ch == ")":
            depth -= 1
        if ch == "," and depth == 0:
            parts.append(current)
            current = ""
        else:
            current += ch
    parts.append(current)
    parts = [" ".join(p.split()) for p in parts]
    return () if parts in (["void"], [""]) else tuple(parts)


def parameter_name(parameter: str) -> str:
    pointer_to_function = re.search(r"\(\s*\*\s*(\w+)\s*\)", parameter)
    if pointer_to_function:
        return pointer_to_function.group(1)
    return re.findall(r"\w+", re.sub(r"\[.*?\]", "", parameter))[-1]


def _without_comments_but_headings(text: str) -> str:
    """Removes comments except section headings, which name the method groups."""
    text = re.sub(r"/\*(?!\s*-{3,}).*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def declared_functions(header_text: str) -> list[Function]:
    """The ARX_API function declarations of the header's C part, in order, each
    with the section heading it stands under. The export macro's own
    definition and a class declared ARX_API are not functions."""
    c_part = _without_comments_but_headings(header_text.split(CLASS_BEGIN)[0])
    c_part = re.sub(r"^[ \t]*#.*$", "", c_part, flags=re.M)
    functions: list[Function] = []
    section = ""
    for chunk in re.split(r"(/\*.*?\*/)", c_part, flags=re.S):
        heading = _HEADING.fullmatch(chunk)
        if heading:
            if heading.group(1) not in _NOT_FUNCTION_SECTIONS:
                section = heading.group(1)
            continue
        for m in _DECLARATION.finditer(chunk):
            functions.append(Function(" ".join(m.group(1).split()), m.group(2),
                                      split_parameters(m.group(3)), section))
    return functions


# ------------------------------------------------------------ records, enums

@dataclass(frozen=True)
class Field:
    type: str                    # the C type as written ("float", "FRAME_NAME", "uint16_t")
    name: str
    dims: tuple[int, ...] = ()   # array dimensions, outermost first
    comment: str = ""


@dataclass(frozen=True)
class Record:
    name: str
    fields: tuple[Field, ...]
    comment: str


@dataclass(frozen=True)
class Enumeration:
    name: str                               # the typedef's name; "" for an anonymous enum
    members: tuple[tuple[str, int, str], ...]  # (name, value, comment)
    comment: str


def _comment_text(comment: str) -> str:
    """The words of a /* */ comment without its frame and leading stars."""
    body = comment.strip()[2:-2]
    lines = [re.sub(r"^\s*\*\s?", "", line).rstrip() for line in body.splitlines()]
    return "\n".join(line.strip() if i == 0 else line for i, line in enumerate(lines)).strip()


def _preceding_comment(text: str, at: int) -> str:
    """The comment that ends right before position `at` (blank space between), or ""."""
    before = text[:at].rstrip()
    if not before.endswith("*/"):
        return ""
    start = before.rfind("/*")
    comment = before[start:]
    return "" if _HEADING.fullmatch(comment) else _comment_text(comment)


def _c_part(header_text: str) -> str:
    return header_text.split(CLASS_BEGIN)[0]


def declared_records(header_text: str) -> list[Record]:
    """The typedef'd structs of the header, with their fields in order."""
    text = _c_part(header_text)
    records = []
    for m in re.finditer(r"typedef\s+struct\s*\{(.*?)\}\s*(\w+)\s*;", text, re.S):
        fields: list[Field] = []
        for decl in re.finditer(r"([^;]*?);[ \t]*(/\*.*?\*/)?", m.group(1), re.S):
            words = re.sub(r"/\*.*?\*/", " ", decl.group(1), flags=re.S).split(None, 1)
            if len(words) < 2:
                continue
            ctype, declarators = words[0], words[1]
            comment = _comment_text(decl.group(2)) if decl.group(2) else ""
            for one in declarators.split(","):
                name = re.match(r"\s*(\w+)", one).group(1)
                dims = tuple(int(d) for d in re.findall(r"\[(\d+)\]", one))
                fields.append(Field(ctype, name, dims, comment))
        records.append(Record(m.group(2), tuple(fields), _preceding_comment(text, m.start())))
    return records


def declared_enums(header_text: str) -> list[Enumeration]:
    """The enumerations: a typedef'd enum takes its typedef's name, an anonymous
    one the name of a `typedef <int type> Name;` right before it, else ""."""
    text = _c_part(header_text)
    enums = []
    pattern = r"(typedef\s+)?enum\s*\{(.*?)\}\s*(\w*)\s*;"
    for m in re.finditer(pattern, text, re.S):
        members = []
        for item in re.finditer(r"(\w+)\s*=\s*(-?\d+)\s*,?\s*(/\*.*?\*/)?", m.group(2), re.S):
            members.append((item.group(1), int(item.group(2)),
                            " ".join(_comment_text(item.group(3)).split()) if item.group(3) else ""))
        name = m.group(3)
        comment = _preceding_comment(text, m.start())
        if not name:
            alias = re.search(r"typedef\s+\w+\s+(\w+)\s*;\s*$", text[:m.start()])
            if alias:
                name = alias.group(1)
                comment = _preceding_comment(text, alias.start())
        enums.append(Enumeration(name, tuple(members), comment))
    return enums


def declared_constants(header_text: str) -> dict[str, tuple[int, str]]:
    """`#define NAME <integer>` lines: name -> (value, trailing comment)."""
    out = {}
    for m in re.finditer(r"^#define\s+(\w+)\s+(-?\d+)\b[ \t]*(/\*.*?\*/)?", _c_part(header_text), re.M | re.S):
        out[m.group(1)] = (int(m.group(2)), " ".join(_comment_text(m.group(3)).split()) if m.group(3) else "")
    return out


def _without_reference_lines(comment: str) -> str:
    """A function's comment up to its Doxygen lines (@param, @return: the C
    reference's), keeping what @blocking says as a "Blocking:" sentence."""
    prose: list[str] = []
    blocking: list[str] = []
    part = "prose"
    for line in comment.splitlines():
        text = line.strip()
        if text.startswith("@"):
            part = "blocking" if text.startswith("@blocking") else "reference"
            text = text.removeprefix("@blocking").strip()
        if part == "prose":
            prose.append(line)
        elif part == "blocking":
            blocking.append(text)
    return "\n".join(prose).strip() + ("\nBlocking: " + " ".join(blocking) if blocking else "")


def function_comments(header_text: str) -> dict[str, str]:
    """Each export's comment: the one right above its declaration, else the one
    above the group of declarations it stands in (one comment may describe
    several functions declared on the lines after it, up to a blank line),
    without the lines written for the C reference (@param, @return)."""
    text = _c_part(header_text)
    out: dict[str, str] = {}
    last = ""
    position = 0
    for m in _DECLARATION.finditer(text):
        between = text[position:m.start()]
        position = m.end()
        own = _preceding_comment(text, m.start())
        if own:
            last = own
        elif between.strip() or re.search(r"\n[ \t]*\n", between):
            last = ""  # a blank line or other text ends the group its comment describes
        out[m.group(2)] = _without_reference_lines(last)
    return out


def read_functions(header: pathlib.Path) -> list[Function]:
    return declared_functions(header.read_text())


def with_method(functions: list[Function]) -> list[Function]:
    return [f for f in functions if f.name not in NO_METHOD]


def sweep_list(functions: list[Function]) -> str:
    lines = [
        "// Written by tools/arx_header.py from include/arx_api.h at build time.",
        "#pragma once",
        "",
        "inline constexpr const char* kDeclaredFunctions[] = {",
    ]
    lines += [f'    "{f.name}",' for f in functions]
    lines.append("};")
    return "\n".join(lines) + "\n"


def write_generated(files: dict[pathlib.Path, str], check: bool, generator: str) -> int:
    """Writes each generated file whose text changed; with `check`, writes
    nothing and prints the differences instead. 1 when a checked file is stale."""
    stale = 0
    for path, text in files.items():
        current = path.read_text() if path.exists() else ""
        if current == text:
            continue
        if check:
            stale += 1
            sys.stdout.writelines(difflib.unified_diff(current.splitlines(True), text.splitlines(True),
                                                       str(path), "generated"))
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
            print(f"wrote {path}")
    if check and stale:
        print(f"{stale} generated file(s) differ: run {generator}")
        return 1
    return 0


def main(argv: list[str]) -> int:
    if len(argv) < 3 or argv[1] not in ("functions", "sweep-list"):
        print(__doc__, file=sys.stderr)
        return 2
    functions = read_functions(pathlib.Path(argv[2]))
    if not functions:
        print(f"{argv[2]}: no ARX_API function declared", file=sys.stderr)
        return 1
    if argv[1] == "functions":
        print("\n".join(f.name for f in functions))
    else:
        if len(argv) != 4:
            print(__doc__, file=sys.stderr)
            return 2
        out = pathlib.Path(argv[3])
        text = sweep_list(functions)
        # Rewritten only when it changes, so the sweep is not rebuilt for nothing.
        if not out.exists() or out.read_text() != text:
            out.parent.mkdir(parents=True, exist_ok=True)
            out.write_text(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
