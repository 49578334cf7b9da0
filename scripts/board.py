# SPDX-License-Identifier: GPL-3.0-or-later
"""tests/board.tsv, the board as a player sees it, for the scripts that play
on it (scripts/compositor_round.py, scripts/orca-round)."""

from pathlib import Path


def read(path=Path(__file__).resolve().parent.parent / "tests/board.tsv"):
    """The squares as (colour, cell, key, spoken word) in key order, and every
    cell by name; a line that is no board line ends the script, naming it."""
    squares, cells = [], {}
    for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if (f := line.split()) and not f[0].startswith("#"):
            try:
                cell = tuple(int(v) for v in f[1:5])
                square = f[0] == "square" and (int(f[5], 16), cell, f[6], f[7])
                if len(cell) != 4 or len(f) != (8 if square else 5):
                    raise ValueError
            except (ValueError, IndexError):
                raise SystemExit(f"{path}:{n}: not a board line: {line}")
            cells.setdefault(f[0], cell)
            squares += [square] if square else []
    if len(squares) != 8 or not {"start", "speed", "bare"} <= cells.keys():
        raise SystemExit(f"{path}: expected eight squares, start, speed and bare")
    return squares, cells
