#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora from the sweep's rows.

Every row of tests/sweep/*_rows.cpp holds the exact request line of a call
and the controller's scripted reply, as raw string literals: the first on a
source line is the request, any after it replies. From them:

  receive/      replies, two to a stream, as the controller would send them
  decoders/     each reply alone
  number_text/  each number of a request as double and float bits, then its
                command word and a text of the line
  sim/          each request line, and each family's requests as one session

usage: make_seeds.py SWEEP_DIR OUT_DIR
"""
from __future__ import annotations

import hashlib
import json
import re
import struct
import sys
from pathlib import Path

RAW = re.compile(r'R"\((.*?)\)"')
NUMBER = re.compile(r"-?\d+(?:\.\d+)?(?:[eE][-+]?\d+)?")


def rows(sweep_dir: Path) -> dict[str, list[list[str]]]:
    """Per family, the raw literals of each source line that has any."""
    families: dict[str, list[list[str]]] = {}
    for path in sorted(sweep_dir.glob("*_rows.cpp")):
        lines = [RAW.findall(line) for line in path.read_text().splitlines()]
        families[path.stem.removesuffix("_rows")] = [found for found in lines if found]
    return families


def write(folder: Path, content: bytes) -> None:
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(content).hexdigest()).write_bytes(content)


def number_seed(line: str) -> list[bytes]:
    try:
        request = json.loads(line)
    except json.JSONDecodeError:
        return []
    word = str(request.get("command", ""))
    texts = [v for v in request.values() if isinstance(v, str) and v != word] or ["World"]
    seeds = []
    for number in NUMBER.findall(line):
        value = float(number)
        head = struct.pack("<d", value) + struct.pack("<f", value / 1000)
        seeds.append(head + word.encode() + b"\0" + texts[0].encode())
    return seeds


def main(argv: list[str]) -> int:
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    sweep_dir, out = Path(argv[1]), Path(argv[2])
    families = rows(sweep_dir)
    if not families:
        print(f"make_seeds.py: no rows in {sweep_dir}", file=sys.stderr)
        return 1
    for family_rows in families.values():
        requests = [found[0] for found in family_rows if '"command"' in found[0]]
        replies = [reply for found in family_rows for reply in found[1:]]
        for previous, reply in zip([""] + replies, replies):
            write(out / "receive", f"{previous}\r\n{reply}\r\n".encode())
            write(out / "decoders", reply.encode())
        for request in requests:
            write(out / "sim", f"{request}\r\n".encode())
            for seed in number_seed(request):
                write(out / "number_text", seed)
        write(out / "sim", "".join(f"{r}\r\n" for r in requests).encode())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
