#!/usr/bin/env python3
"""Pellora's level designer: draws the shapes of new levels for data/levels.

Each design is a shape (a picture on the hex field, drawn by a rule in field units,
mirrored about the middle), a way of colouring it, a colour count and the special balls
it teaches or mixes in. The script prints level texts; a person reviews and tunes each
one before it goes into data/levels (the bake then checks the design rules, and the
simulator's report measures how hard it plays).

    python3 tools/sim/level_designs.py OUT_DIR FIRST_NUMBER
"""
import math
import sys

ROWS_USED = 9          # rows 0..8; the four lowest rows stay free
COLOURS = "01234567"


def row_length(r):
    return 9 if r % 2 else 10


def cells():
    for r in range(ROWS_USED):
        for c in range(row_length(r)):
            yield c, r


def pos(c, r):
    """The cell's centre in ball units: x across (0..9.5), y down (rows 0.875 apart)."""
    return c + (1.0 if r % 2 else 0.5), r * 0.875 + 0.5


def mirror(c, r):
    return row_length(r) - 1 - c, r


def neighbours(c, r):
    s = 0 if r % 2 else 1
    out = [(c - 1, r), (c + 1, r)]
    for rr in (r - 1, r + 1):
        out += [(c - s, rr), (c - s + 1, rr)]
    return [(cc, rr) for cc, rr in out if 0 <= rr < ROWS_USED and 0 <= cc < row_length(rr)]


# ---------------------------------------------------------------- shapes (x, y in ball units; x = 5 is the middle)

def lanterns(count):
    def inside(x, y):
        span = 10.0 / count
        k = min(int(x / span), count - 1)
        cx = span * (k + 0.5)
        bulb = abs(x - cx) + abs(y - 4.2) * 0.8 < 1.3 + 0.15 * (4 - count)
        stem = abs(x - cx) < 0.6 and y < 4.0
        return bulb or stem or y < 0.9
    return inside


def diamond(x, y):
    return abs(x - 5) + abs(y - 3.8) * 1.1 < 3.9 or (abs(x - 5) < 1.1 and y < 1.5)


def ring(x, y):
    d = math.hypot(x - 5, (y - 4.2) * 1.15)
    return 2.0 < d < 3.6 or y < 0.9 and abs(x - 5) < 3.2


def heart_drop(x, y):
    return math.hypot(x - 5, y - 2.5) < 3.2 or abs(x - 5) < (7.2 - y) * 0.8 and y < 7.2 or y < 0.9


def curtains(x, y):
    return y < 0.9 or (int(abs(x - 5) + 0.5) % 3 != 2 and y < 6.5 - abs(x - 5) * 0.45)


def vee(x, y):
    return y < 7.5 - abs(x - 5) * 1.35 or y < 0.9


def waves(x, y):
    return abs(y - (3.2 + 1.6 * math.sin(x * 1.2))) < 1.1 or y < 0.9 or abs(x - 5) < 0.6 and y < 3


def arch(x, y):
    legs = abs(abs(x - 5) - 3.3) < 1.1 and y < 7.3
    return y < 2.2 or legs


def tree(x, y):
    crown = abs(x - 5) < 3.8 - abs(y - 2.2) * 1.0 and y < 4.5
    trunk = abs(x - 5) < 0.9 and y < 7.6
    return crown or trunk or y < 0.9


def honeycomb(x, y):
    return y < 6.6 and not (round(x * 2) % 4 == 1 and int(y / 0.875) % 2 == 1 and y > 1)


def stairs(x, y):
    return y < 0.9 or abs(y - 1.2 - abs(x - 5) * 1.05) < 1.2


def columns(x, y):
    return y < 0.9 or (int(x) % 2 == 0 and y < 4 + abs(x - 5) * 0.7)


def bowl(x, y):
    return y < 0.9 or (abs(x - 5) > 3.2 and y < 6.8) or (y > 5.0 and y < 6.8 and abs(x - 5) < 4.2)


SHAPES = {
    "lanterns2": lanterns(2), "lanterns3": lanterns(3), "diamond": diamond, "ring": ring,
    "heart": heart_drop, "curtains": curtains, "vee": vee, "waves": waves, "arch": arch,
    "tree": tree, "honeycomb": honeycomb, "stairs": stairs, "columns": columns, "bowl": bowl,
}


def shape_cells(name):
    inside = SHAPES[name]
    chosen = set()
    for c, r in cells():
        x, y = pos(c, r)
        if inside(x, y) or inside(10 - x, y):
            chosen.add((c, r))
            chosen.add(mirror(c, r))
    return keep_hanging(chosen)


def keep_hanging(chosen):
    """Only what hangs from the top row through other balls stays."""
    held = {(c, r) for c, r in chosen if r == 0}
    todo = list(held)
    while todo:
        cell = todo.pop()
        for n in neighbours(*cell):
            if n in chosen and n not in held:
                held.add(n)
                todo.append(n)
    return held


# ---------------------------------------------------------------- colours

def colour_cells(chosen, colours, patch, style, seed):
    """Patches of `patch` balls of one colour, mirrored; `style` orders the patches."""
    palette = [COLOURS[(i + seed) % 8] for i in range(colours)]
    colour = {}
    order = sorted(chosen, key=lambda cr: (cr[1], min(cr[0], mirror(*cr)[0])))
    if style == "bands":
        for c, r in chosen:
            colour[(c, r)] = palette[(r // 2 + seed) % colours]
        return colour
    if style == "rays":
        for c, r in chosen:
            x, _ = pos(c, r)
            colour[(c, r)] = palette[int(abs(x - 5) / 1.3 + r // 3) % colours]
        return colour
    turn = seed
    for start in order:
        if start in colour:
            continue
        used = {colour[n] for n in neighbours(*start) if n in colour}
        pick = [p for p in palette[turn % colours:] + palette[:turn % colours] if p not in used] or palette
        turn += 1
        patch_cells = [start]
        frontier = [start]
        while frontier and len(patch_cells) < patch:
            cell = frontier.pop(0)
            for n in sorted(neighbours(*cell), key=lambda cr: (cr[1], cr[0])):
                if n in chosen and n not in colour and n not in patch_cells and len(patch_cells) < patch:
                    patch_cells.append(n)
                    frontier.append(n)
        for cell in patch_cells:
            colour[cell] = pick[0]
            colour[mirror(*cell)] = pick[0]
    return colour


# ---------------------------------------------------------------- special balls

def narrowest(chosen, rows):
    """Cells in the given rows with the fewest neighbours in the shape: necks and stems."""
    found = [cr for cr in chosen if cr[1] in rows]
    return sorted(found, key=lambda cr: (len([n for n in neighbours(*cr) if n in chosen]), cr[1], cr[0]))


def place_specials(chosen, colour, specials):
    for kind in specials:
        if kind == "*":      # explosions in the necks, a mirrored pair
            for c, r in narrowest(chosen, range(1, 5))[:1]:
                colour[(c, r)] = "*"
                colour[mirror(c, r)] = "*"
        elif kind == "~":    # a colour change in the middle of the picture
            middle = sorted(chosen, key=lambda cr: (abs(pos(*cr)[0] - 5) + abs(cr[1] - 3), cr[1], cr[0]))
            for c, r in middle[:1]:
                colour[(c, r)] = "~"
        elif kind == "<>":   # arrows at both ends of the widest low row
            rows = sorted({r for _, r in chosen if r > 1}, key=lambda r: (-sum(1 for cr in chosen if cr[1] == r), r))
            if rows:
                r = rows[0]
                row = sorted(c for c, rr in chosen if rr == r)
                colour[(row[0], r)] = ">"
                colour[(row[-1], r)] = "<"
        elif kind == "@":    # the multicolour ball low in the middle
            low = sorted(chosen, key=lambda cr: (-cr[1], abs(pos(*cr)[0] - 5)))
            for c, r in low[:1]:
                colour[(c, r)] = "@"
        elif kind == "#":    # stones: every third ball of the second and fourth rows
            for c, r in chosen:
                if r in (2, 4) and c % 3 == 1:
                    colour[(c, r)] = "#"
                    colour[mirror(c, r)] = "#"
    return colour


def open_cells(chosen):
    """Free cells a shot can reach from below: the free cells joined to the lowest row."""
    free = {(c, r) for r in range(13) for c in range(row_length(r)) if (c, r) not in chosen}
    reached = {(c, 12) for c in range(10)}
    todo = list(reached)
    while todo:
        c, r = todo.pop()
        s = 0 if r % 2 else 1
        for n in [(c - 1, r), (c + 1, r), (c - s, r - 1), (c - s + 1, r - 1), (c - s, r + 1), (c - s + 1, r + 1)]:
            if n in free and n not in reached and 0 <= n[0] < row_length(n[1]):
                reached.add(n)
                todo.append(n)
    return reached


def show_every_colour(chosen, colour):
    """Every colour used gets a ball beside a free cell that a shot can reach."""
    reached = open_cells(chosen)
    exposed = sorted((cr for cr in chosen if colour[cr] in COLOURS and any(n in reached for n in neighbours(*cr))),
                     key=lambda cr: (-cr[1], cr[0]))
    for wanted in sorted({v for v in colour.values() if v in COLOURS}):
        if any(colour[cr] == wanted for cr in exposed):
            continue
        for cr in exposed:
            if sum(1 for e in exposed if colour[e] == colour[cr]) >= 2:
                colour[cr] = wanted
                break
    return colour


def level_text(title, note, chosen, colour):
    lines = ["; " + title, "; " + note]
    for r in range(13):
        text = "".join(colour.get((c, r), ".") if (c, r) in chosen else "." for c in range(row_length(r)))
        lines.append((" " if r % 2 else "") + text)
    return "\n".join(lines) + "\n"


TITLES = {
    "lanterns2": "Twin lanterns", "lanterns3": "Three lanterns", "diamond": "Diamond", "ring": "Ring",
    "heart": "Drop", "curtains": "Curtains", "vee": "Valley", "waves": "Waves", "arch": "Archway",
    "tree": "Tree", "honeycomb": "Honeycomb", "stairs": "Stairs", "columns": "Organ pipes", "bowl": "Bowl",
}
NOTES = {
    "": "Cut what holds the big pieces and they fall.",
    "*": "Explosions sit in the necks: one shot there opens a whole side.",
    "~": "The colour change in the middle repaints what touches it in your colour.",
    "<>": "Arrows at the ends of the widest row sweep it clean.",
    "@": "The multicolour ball at the bottom flies to you and matches anything.",
    "#": "Stones never match: take the balls that hold them.",
}
# The order of the shapes and the mixes of special balls for each colour count; the
# pack's final order comes from the measured curve.
SHAPE_ORDER = ["lanterns2", "diamond", "curtains", "vee", "arch", "lanterns3", "tree", "ring", "waves",
               "heart", "stairs", "columns", "bowl", "honeycomb"]
TIERS = [  # colours, how many levels, patch size, mixes of specials
    (3, 8, 3, ["", "", "", "", "*", "", "~", ""]),
    (4, 12, 3, ["", "*", "~", "", "<>", "", "@", "#", "", "*", "~", "<>"]),
    (5, 12, 3, ["#", "*", "@", "~", "<>", "", "#,*", "~,@", "<>", "#", "", "*,~"]),
    (6, 12, 2, ["", "#", "*,~", "<>,@", "#", "~", "*", "@", "<>,#", "", "*,#", "~,<>"]),
    (7, 12, 2, ["#", "*,@", "~", "<>", "#,~", "", "*", "@,#", "<>", "~,*", "#", "@"]),
    (8, 12, 2, ["#,*", "~,@", "<>", "#", "*", "~", "@,<>", "#,~", "", "*,@", "<>,#", "*,~,@"]),
]


def designs():
    out = []
    turn = 0
    for colours, count, patch, mixes in TIERS:
        for i in range(count):
            shape = SHAPE_ORDER[turn % len(SHAPE_ORDER)]
            specials = mixes[i % len(mixes)]
            style = ["patches", "bands", "patches", "rays"][turn % 4] if colours < 6 else "patches"
            out.append((TITLES[shape], shape, colours, patch, style, specials, turn, NOTES[specials.split(",")[0]]))
            turn += 1
    return out


if __name__ == "__main__":
    out_dir, first = sys.argv[1], int(sys.argv[2])
    for i, (title, shape, colours, patch, style, specials, seed, note) in enumerate(designs()):
        chosen = shape_cells(shape)
        colour = colour_cells(chosen, colours, patch, style, seed)
        colour = place_specials(chosen, colour, [s for s in specials.split(",") if s])
        colour = show_every_colour(chosen, colour)
        number = first + i
        with open("%s/%02d.txt" % (out_dir, number), "w") as f:
            f.write(level_text("%d. %s" % (number, title), note, chosen, colour))
