#!/usr/bin/env python3
"""Doxygen's view of include/arx_api.h (its FILTER_PATTERNS entry).

The header keeps plain C comments, the shapes tools/arx_header.py reads; this
filter turns them into Doxygen's on the way in, line for line (so warnings
name the header's own lines):

  /* ---- title */ + the comment on the next line
                          -> /** @defgroup <id> <Title> <intro> @{ */, and
                             the previous family's @} before it; the
                             "commands" group stays open, so the families
                             after it are its subgroups
  code; /* text */        -> code; /**< text */   (a member's or value's note)
  /* text */ on its own   -> /** text */          (the next declaration's doc)
  /* text */ above #if... or above another comment
                          -> unchanged (notes for the header's reader)
  "Errors: ..." in a function's comment
                          -> @errors ...          (its own paragraph)
  one comment above several exports in a row
                          -> each of them gets it, with the @param lines of
                             its own parameters only
  the export macro's definition and the layout checks are hidden.

    doxygen_filter.py HEADER   writes the filtered header to standard output
"""
from __future__ import annotations

import re
import sys

from arx_header import parameter_name, split_parameters

_HEADING = re.compile(r"^/\*\s*-{3,}\s*(.*?)\s*\*/\s*$")
_COMMENT_START = re.compile(r"^(\s*)/\*(?!\*)")
_DECLARATION_START = re.compile(r"^ARX_API\s")
_PARAM = re.compile(r"@param\s+(\w+)")
# Lines Doxygen should not see: the export macro (stripped by PREDEFINED in
# the declarations) and the compile-time layout checks.
_HIDDEN_BLOCKS = (("/* ARX_STATIC:", "#endif"), ("static_assert(sizeof(eul)", "#endif"))
COMMANDS_HEADING = "commands"


def group_id(title: str) -> str:
    return re.sub(r"[^a-z0-9]+", "_", title.lower()).strip("_")


def comment_end(lines: list[str], start: int) -> int:
    """Index of the line that closes the comment opened on line `start`."""
    i = start
    while "*/" not in lines[i][lines[i].index("/*") + 2 if i == start else 0:]:
        i += 1
    return i


def declaration_end(lines: list[str], start: int) -> int:
    i = start
    while ";" not in lines[i]:
        i += 1
    return i


def parameter_names(declaration: str) -> set[str]:
    inside = declaration[declaration.index("(") + 1: declaration.rindex(")")]
    return {parameter_name(p) for p in split_parameters(inside)}


def doc_for(comment: list[str], parameters: set[str]) -> str:
    """The comment as one line of Doxygen, keeping only its @param lines for
    `parameters` (a shared comment names the parameters of all its exports)."""
    text = " ".join(re.sub(r"^\s*(/\*|\*/|\*)?", "", line.replace("*/", "")).strip() for line in comment)
    # "Errors: ..." closes a function's own text: its paragraph (@errors).
    text = re.sub(r"\bErrors( \([^)]*\))?: ", lambda m: f"@errors{m.group(1) or ''} ", text)
    pieces = re.split(r"(?=@\w+\s)", text)
    kept = [p for p in pieces if not _PARAM.match(p) or _PARAM.match(p).group(1) in parameters]
    return "/** " + " ".join(p.strip() for p in kept) + " */ "


def filter_header(text: str) -> str:
    lines = text.split("\n")
    out = list(lines)
    hidden = False
    group_open = False
    in_commands = False
    i = 0
    while i < len(lines):
        line = lines[i]
        for begin, end in _HIDDEN_BLOCKS:
            if line.startswith(begin):
                hidden = end
        if hidden:
            out[i] = ""
            if line.startswith(hidden):
                hidden = False
            i += 1
            continue
        heading = _HEADING.match(line)
        if heading:
            title = heading.group(1)
            if i + 1 >= len(lines) or not _COMMENT_START.match(lines[i + 1]):
                raise SystemExit(f"line {i + 1}: the heading '{title}' needs its family's comment on the next line")
            last = comment_end(lines, i + 1)
            intro = doc_for(lines[i + 1: last + 1], set())[4:-4]
            # The title ends Doxygen's @defgroup line; the intro fills the
            # comment's own lines (one line, then blanks).
            close = "/** @} */ " if group_open else ""
            out[i] = f"{close}/** @defgroup {group_id(title)} {title[:1].upper() + title[1:]}"
            out[i + 1] = f"{intro} @{{ */"
            # The rules common to every command family: a group that stays
            # open to the end and so holds the families, not their members.
            group_open = title != COMMANDS_HEADING
            in_commands = in_commands or title == COMMANDS_HEADING
            for j in range(i + 2, last + 1):
                out[j] = ""
            i = last + 1
            continue
        start = _COMMENT_START.match(line)
        if start and line.strip().startswith("/*"):
            last = comment_end(lines, i)
            comment = lines[i: last + 1]
            # The declarations this comment stands above, one after another.
            j = last + 1
            run = []
            while j < len(lines) and _DECLARATION_START.match(lines[j]):
                end = declaration_end(lines, j)
                run.append((j, end))
                j = end + 1
            following = lines[last + 1] if last + 1 < len(lines) else ""
            if run:
                for k in range(i, last + 1):
                    out[k] = ""
                for begin, end in run:
                    names = parameter_names(" ".join(lines[begin: end + 1]))
                    out[begin] = doc_for(comment, names) + lines[begin]
            elif not following.startswith("#if") and not _COMMENT_START.match(following):
                out[i] = line.replace("/*", "/**", 1)
            i = last + 1
            continue
        code_then_comment = re.match(r"^(.*\S.*?)/\*(?!\*)(.*)$", line)
        if code_then_comment and not line.lstrip().startswith("#include"):
            out[i] = f"{code_then_comment.group(1)}/**<{code_then_comment.group(2)}"
        i += 1
    out.append("/** @} */" * (group_open + in_commands))
    return "\n".join(out)


def main(argv: list[str]) -> int:
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as header:
        sys.stdout.write(filter_header(header.read()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
