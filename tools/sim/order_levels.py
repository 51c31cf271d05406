#!/usr/bin/env python3
"""Puts the level sources of data/levels in the order of their measured difficulty.

    build/tools/pellora-sim --report --seeds 4 --sources data/levels > report.md
    python3 tools/sim/order_levels.py data/levels report.md

The easiest level comes first, except that a level waits until every special ball it
holds has been taught: a kind of special ball first appears in the level built to teach
it, which holds no other kind, says what the ball does in its note and carries a line
"; teaches: <kind>" (for example "; teaches: explosion"). The files are renumbered, the number in each
level's title line follows, and the table of the pack for data/levels/README.md is printed.
"""
import os
import re
import sys

KINDS = {"*": "explosion", "~": "colour change", "<": "arrows", ">": "arrows", "@": "multicolour ball",
         "#": "obstacles"}
FIRST_NEW_KIND = 5   # levels 1-5 hold only ordinary balls
KIND_SPACING = 4     # levels between two new kinds


def read_level(path):
    lines = open(path).read().splitlines()
    title = re.sub(r"^;\s*\d+\.\s*", "", lines[0])
    rows = [l for l in lines if not l.startswith(";")]
    kinds = sorted({KINDS[ch] for row in rows for ch in row if ch in KINDS})
    colours = len({ch for row in rows for ch in row if ch in "01234567"})
    teaches = None
    for line in lines:
        m = re.match(r"^;\s*teaches:\s*(.+?)\s*$", line)
        if m:
            teaches = m.group(1)
            if kinds != [teaches]:
                sys.exit("%s teaches %s but holds %s" % (path, teaches, ", ".join(kinds) or "no special ball"))
    return {"title": title, "lines": lines, "kinds": kinds, "colours": colours, "teaches": teaches}


def main(folder, report):
    difficulty = {}
    for line in open(report):
        m = re.match(r"^\| (\d+) \|.*\| ([\d.]+) \|$", line.strip())
        if m:
            difficulty[int(m.group(1))] = float(m.group(2))
    levels = []
    number = 1
    while os.path.exists("%s/%02d.txt" % (folder, number)):
        level = read_level("%s/%02d.txt" % (folder, number))
        level["difficulty"] = difficulty[number]
        levels.append(level)
        number += 1
    taught, order = set(), []
    remaining = sorted(levels, key=lambda l: (l["difficulty"], l["title"]))
    while remaining:
        for level in remaining:
            missing = [k for k in level["kinds"] if k not in taught]
            # The first levels are plain; new kinds come one at a time, a few levels apart.
            ready = len(order) >= FIRST_NEW_KIND + KIND_SPACING * len(taught)
            if not missing or (ready and missing == [level["teaches"]]):
                break
        else:
            sys.exit("no level can come next: a kind of special ball has no level that teaches it")
        remaining.remove(level)
        taught.update(level["kinds"])
        order.append(level)
    for i, level in enumerate(order, start=1):
        lines = list(level["lines"])
        lines[0] = "; %d. %s" % (i, level["title"])
        with open("%s/%02d.txt" % (folder, i), "w") as f:
            f.write("\n".join(lines) + "\n")
    print("| Level | Title | Colours | Special balls |")
    print("|---|---|---|---|")
    seen = set()
    for i, level in enumerate(order, start=1):
        kinds = ", ".join(("**%s** (new)" % k) if k not in seen else k for k in level["kinds"])
        seen.update(level["kinds"])
        print("| %d | %s | %d | %s |" % (i, level["title"], level["colours"], kinds or "-"))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
