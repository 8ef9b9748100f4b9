#!/usr/bin/env python3
"""Draw Prodle's icons and cursor from the pixel art below and write them
as Windows .ico/.cur files into src/app/res/.  Every icon holds images of
16, 20 and 24 px (small icons at 100, 125 and 150 %) and of 32 and 48 px
(large icons at 100 and 150 %), so that Windows never has to stretch one.

Run from the repository root:   python3 scripts/make_icons.py
Only the standard library is used.  The files are rewritten every run and
read back afterwards as a sanity check.
"""
import os
import struct
import sys

# The standard 16-colour VGA palette, in Windows order (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
MONO_PALETTE = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]

# Characters used in the art, mapped to palette indexes.  '.' is transparent.
INK = {'#': 0, 'w': 15, 'R': 9, 'G': 10, '=': 8, 's': 7}

# ---------------------------------------------------------------- the art --
# The tray hand, index finger pointing to the upper left.
HAND_32 = """
................................
................................
................................
.####...........................
#wwww#..................###.....
#wwww#.................#www#....
#wwwww#............###.#wwww#...
#wwwwww#..........#www##wwwww#..
#wwwwwww#........#wwwwww#wwwww#.
.#wwwwwww#....####wwwwwww#wwww#.
..#wwwwwww#..#wwww#wwwwwww#wwww#
...#wwwwwww##wwwwww#wwwwww#wwww#
....#wwwwwwww#wwwwww#wwwwwwwwww#
.....#wwwwwwww#wwwwww#wwwwwwwww#
......#wwwwwwww#wwwww#wwwwwwwww#
.......#wwwwwww#wwwwwwwwwwwwwww#
........#wwwwwww#wwwwwwwwwwwwww#
........#wwwwwww#wwwwwwwwwwwwww#
.........#wwwwwwwwwwwwwwwwwwwww#
........##wwwwwwwwwwwwwwwwwwwww#
.......#ww#www##wwwwwwwwwwwwwww#
......#wwww###wwwwwwwwwwwwwwwww#
......#wwwwwwwwwwwwwwwwwwwwwwww#
......#wwwwwwwwwwwwwwwwwwwwwwww#
.......#wwwwwwwwwwwwwwwwwwwww##.
........####wwwwwwwwwwwwwww##...
............###wwwwwwwwwww#.....
...............###########......
"""

HAND_16 = """
................
................
.##.............
#ww#.......##...
#www#.....#ww##.
.#www#.###ww#ww#
..#www#ww#ww#ww#
...#www#ww#ww#w#
....#www#wwwwww#
....#wwwwwwwwww#
...##wwwwwwwwww#
..#ww##wwwwwwww#
..#wwwwwwwwwwww#
...##wwwwwwwww#.
.....#########..
................
"""

# The same hand at the sizes of 125 and 150 % (small icons) and 150 % (large icons).
HAND_20 = """
....................
....................
###............#....
#ww#..........#w##..
#www#......####www#.
#wwww#....#wwww#ww#.
.#wwww#.##w#wwww#ww#
..#wwww##www#www#ww#
...#wwwww#www#wwwww#
....#wwww#www#wwwww#
.....#wwww#wwwwwwww#
.....#wwwwwwwwwwwww#
.....##ww#wwwwwwwww#
....#ww##wwwwwwwwww#
....#wwwwwwwwwwwwww#
.....##wwwwwwwwww##.
.......###wwwwww#...
..........######....
"""

HAND_24 = """
........................
........................
.###....................
#www#.............##....
#www#..........#.#ww#...
#wwww#........#w##www#..
#wwwww#......#wwww#www#.
.#wwwww#..####wwwww#www#
..#wwwww##wwww#wwww#www#
...#wwwwww#wwww#wwwwwww#
....#wwwww##wwww#wwwwww#
.....#wwwww#wwwwwwwwwww#
......#wwwww#wwwwwwwwww#
......#wwwww#wwwwwwwwww#
......##wwwwwwwwwwwwwww#
.....#w#ww##wwwwwwwwwww#
....#www###wwwwwwwwwwww#
....#wwwwwwwwwwwwwwwwww#
.....#wwwwwwwwwwwwwww##.
......#####wwwwwwwww#...
...........#########....
"""

HAND_48 = """
................................................
................................................
................................................
................................................
..#####.........................................
.#wwwww#........................................
#wwwwwww#...........................#####.......
#wwwwwww#..........................#wwwww#......
#wwwwwww#.........................#wwwwww#......
#wwwwwwww##.................#####.#wwwwwww##....
#wwwwwwwwww#...............#wwwww#wwwwwwwwww#...
#wwwwwwwwww#...............#wwwwwww#wwwwwwww#...
#wwwwwwwwwww##...........##wwwwwwwww#wwwwwwww##.
#wwwwwwwwwwwww#......####wwwwwwwwwwww#wwwwwwww#.
.##wwwwwwwwwww#......#wwww#wwwwwwwwwww#wwwwwww#.
...#wwwwwwwwwww##..##wwwwww#wwwwwwwwwww#wwwwwww#
...#wwwwwwwwwwwww##wwwwwwwww#wwwwwwwwww#wwwwwww#
....##wwwwwwwwwwwwwwwwwwwwwww#wwwwwwwww#wwwwwww#
......#wwwwwwwwwwwww#wwwwwwwww#wwwwwwwwwwwwwwww#
......#wwwwwwwwwwwwww#wwwwwwwww#wwwwwwwwwwwwwww#
.......##wwwwwwwwwwww#wwwwwwwwww#wwwwwwwwwwwwww#
.........#wwwwwwwwwwww##wwwwwwww#wwwwwwwwwwwwww#
.........#wwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwww#
..........##wwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwww#
............#wwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
............#wwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
............#wwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
.............#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
............#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
............#w#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
..........##www#wwwww###wwwwwwwwwwwwwwwwwwwwwww#
.........#wwwwww#wwww#wwwwwwwwwwwwwwwwwwwwwwwww#
.........#wwwwwww####wwwwwwwwwwwwwwwwwwwwwwwwww#
.........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
.........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
.........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
..........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.
...........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww##..
............######wwwwwwwwwwwwwwwwwwwwwww###....
..................#wwwwwwwwwwwwwwwwwwwww#.......
..................####wwwwwwwwwwwwwwwww#........
......................#################.........
"""

# The same hand with the index finger lowered to point left.
POINT_LEFT_16 = """
................
................
................
...........##...
..........#ww##.
.......###ww#ww#
......#ww#ww#ww#
.#######ww#ww#w#
#wwwwwww#wwwwww#
#wwwwwwww#wwwww#
.#####wwwwwwwww#
...#ww#wwwwwwww#
...#wwwwwwwwwww#
....##wwwwwwww#.
......########..
"""

POINT_LEFT_20 = """
....................
....................
...............#....
..............#w##..
...........####www#.
..........#wwww#ww#.
........##w#wwww#ww#
........#www#www#ww#
.#########www#wwwww#
#wwwwwwww#www#wwwww#
#wwwwwwwww#wwwwwwww#
.#######wwwwwwwwwww#
....#ww#wwwwwwwwwww#
....#wwwwwwwwwwwwww#
.....##wwwwwwwwww##.
.......###wwwwww#...
..........######....
"""

POINT_LEFT_24 = """
........................
........................
........................
..................##....
...............#.#ww#...
..............#w##www#..
.............#wwww#www#.
..........####wwwww#www#
.........#wwww#wwww#www#
.........#wwwww#wwwwwww#
.........#wwwwww#wwwwww#
.##########wwwwww#wwwww#
#wwwwwwwwwww#wwwwwwwwww#
#wwwwwwwwwwww#wwwwwwwww#
#wwwwwwwwwwww#wwwwwwwww#
.########wwwwwwwwwwwwww#
....#wwww#wwwwwwwwwwwww#
....#wwwwwwwwwwwwwwwwww#
.....#wwwwwwwwwwwwwww##.
......#####wwwwwwwww#...
...........#########....
"""

POINT_LEFT_32 = """
................................
................................
................................
................................
........................###.....
.......................#www#....
...................###.#wwww#...
..................#www##wwwww#..
.................#wwwwww#wwwww#.
..............####wwwwwww#wwww#.
.............#wwww#wwwwwww#wwww#
............#wwwwww#wwwwww#wwww#
............#wwwwwww#wwwwwwwwww#
.............#wwwwwww#wwwwwwwww#
.##############wwwwww#wwwwwwwww#
#wwwwwwwwwwwwww#wwwwwwwwwwwwwww#
#wwwwwwwwwwwwwww#wwwwwwwwwwwwww#
#wwwwwwwwwwwwwww#wwwwwwwwwwwwww#
.###########wwwwwwwwwwwwwwwwwww#
...#wwwwwww#wwwwwwwwwwwwwwwwwww#
...#wwwwwwww#wwwwwwwwwwwwwwwwww#
....##wwwwwwwwwwwwwwwwwwwwwwwww#
......#wwwwwwwwwwwwwwwwwwwww##.
.......#####wwwwwwwwwwwwwww##...
............###wwwwwwwwwww#.....
...............###########......
"""

POINT_LEFT_48 = """
................................................
................................................
................................................
................................................
................................................
................................................
....................................#####.......
...................................#wwwww#......
..................................#wwwwww#......
............................#####.#wwwwwww##....
...........................#wwwww#wwwwwwwwww#...
...........................#wwwwwww#wwwwwwww#...
.........................##wwwwwwwww#wwwwwwww##.
.....................####wwwwwwwwwwww#wwwwwwww#.
.....................#wwww#wwwwwwwwwww#wwwwwww#.
...................##wwwwww#wwwwwwwwwww#wwwwwww#
..................#wwwwwwwww#wwwwwwwwww#wwwwwww#
..................#wwwwwwwwww#wwwwwwwww#wwwwwww#
..................#wwwwwwwwwww#wwwwwwwwwwwwwwww#
..................#wwwwwwwwwwww#wwwwwwwwwwwwwww#
...................#wwwwwwwwwwww#wwwwwwwwwwwwww#
.#####################wwwwwwwwww#wwwwwwwwwwwwww#
#wwwwwwwwwwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwwww#
#wwwwwwwwwwwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwww#
#wwwwwwwwwwwwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
#wwwwwwwwwwwwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
#wwwwwwwwwwwwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwww#
.#################wwwwwwwwwwwwwwwwwwwwwwwwwwwww#
..##wwwwwwwwwwww##wwwwwwwwwwwwwwwwwwwwwwwwwwwww#
....#wwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwwwwwwwww#
....#wwwwwwwwwwwww#wwwwwwwwwwwwwwwwwwwwwwwwwwww#
.....#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#
......###wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww###
.........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#...
.........#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#...
..........########wwwwwwwwwwwwwwwwwwwwwww###....
..................#wwwwwwwwwwwwwwwwwwwww#.......
..................####wwwwwwwwwwwwwwwww#........
......................#################.........
"""

# The mouse-over cursor: a hand pointing straight up (black and white only).
HAND_UP_32 = """
.....###
....#www#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww#
...#wwwww####
...#wwwww#www####
...#wwwww#www#www####
...#wwwww#www#www#www#
###wwwwww#www#www#www#
#ww#wwwww#www#www#www#
#ww#wwwww#www#www#www#
#www#wwww#www#www#www#
#wwww#wwwwwww#www#www#
.#wwwwwwwwwwwwwww#www#
.#wwwwwwwwwwwwwwwwwww#
..#wwwwwwwwwwwwwwwwww#
..#wwwwwwwwwwwwwwwwww#
...#wwwwwwwwwwwwwwwww#
....#wwwwwwwwwwwwwww#
.....#wwwwwwwwwwwww#
......#wwwwwwwwwww#
.......###########
"""

# A page with a red caption bar and grey ruled lines.
DOCUMENT_32 = """
................................
..###########################...
..#RRRRRRRRRRRRRRRRRRRRRRRRR#...
..#RRRRRRRRRRRRRRRRRRRRRRRRR#...
..#RRRRRRRRRRRRRRRRRRRRRRRRR#...
..#RRRRRRRRRRRRRRRRRRRRRRRRR#...
..###########################...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww=====================ww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..#ww===========wwwwwwwwwwww#...
..#wwwwwwwwwwwwwwwwwwwwwwwww#...
..###########################...
"""

DOCUMENT_16 = """
................
.#############..
.#RRRRRRRRRRR#..
.#RRRRRRRRRRR#..
.#############..
.#wwwwwwwwwww#..
.#w=======www#..
.#wwwwwwwwwww#..
.#w=========w#..
.#wwwwwwwwwww#..
.#w=========w#..
.#wwwwwwwwwww#..
.#w=====wwwww#..
.#wwwwwwwwwww#..
.#############..
"""


DOCUMENT_20 = """
....................
.##################.
.#RRRRRRRRRRRRRRRR#.
.#RRRRRRRRRRRRRRRR#.
.##################.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#w=============ww#.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#w=============ww#.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#w======wwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.#wwwwwwwwwwwwwwww#.
.##################.
"""

DOCUMENT_24 = """
........................
..####################..
..#RRRRRRRRRRRRRRRRRR#..
..#RRRRRRRRRRRRRRRRRR#..
..#RRRRRRRRRRRRRRRRRR#..
..####################..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#w===============ww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#w===============ww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#w===============ww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#w=======wwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..#wwwwwwwwwwwwwwwwww#..
..####################..
"""

DOCUMENT_48 = """
................................................
................................................
...########################################.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...#RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR#.....
...########################################.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============================wwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#www===============wwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#.....
...########################################.....
"""


# ------------------------------------------------------- art helpers --
def grid(art, size):
    """Turn an art string into a size x size list of rows of characters."""
    rows = art.strip('\n').split('\n')
    assert len(rows) <= size, 'too many rows'
    for r in rows:
        assert len(r) <= size, 'row too long: %r' % r
    rows = [r.ljust(size, '.') for r in rows]
    rows += ['.' * size] * (size - len(rows))
    return [list(r) for r in rows]


def recolour(g, old, new):
    return [[new if c == old else c for c in row] for row in g]


def red_cross(g, cx, cy, arm, thickness=3):
    """Paint a bold red X centred on (cx, cy), inside the drawing."""
    g = [row[:] for row in g]
    for d in range(-arm, arm + 1):
        for t in range(-(thickness // 2), thickness - thickness // 2):
            for x, y in ((cx + d + t, cy + d), (cx + d + t, cy - d)):
                if g[y][x] != '.':
                    g[y][x] = 'R'
    return g


def down_badge(g, diameter):
    """Paint the down link's mark into the lower right corner: a red disc with a white X, ringed dark
    and then light, so that its shape reads on a light taskbar, a dark one and the hand alike."""
    g = [row[:] for row in g]
    size = len(g)
    r = diameter / 2.0
    c = size - r                                      # the centre, in pixel-edge coordinates
    arm = r - 2.0 if diameter < 14 else r - 2.5       # the X stays clear of the ring
    half = 0.5 if diameter < 14 else 1.0              # half the X's stroke
    for y in range(size):
        for x in range(size):
            dx, dy = x + 0.5 - c, y + 0.5 - c
            d = (dx * dx + dy * dy) ** 0.5
            if d > r + 1.0:
                continue
            if d > r:
                g[y][x] = 'w'
            elif d > r - 1.0:
                g[y][x] = '#'
            elif max(abs(dx), abs(dy)) <= arm and min(abs(dx - dy), abs(dx + dy)) <= half * 1.42:
                g[y][x] = 'w'
            else:
                g[y][x] = 'R'
    return g


def indexes(g):
    """Palette index per pixel, None where transparent."""
    return [[None if c == '.' else INK[c] for c in row] for row in g]


# ---------------------------------------------------- ICO / CUR writer --
def packed(bits, stride):
    """A row of bits as bytes, padded with zeros to the row's stride (widths like 20 px)."""
    return int(bits.ljust(stride * 8, '0'), 2).to_bytes(stride, 'big')


def dib(pixels, bpp, palette):
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask."""
    h, w = len(pixels), len(pixels[0])
    xor_stride = ((w * bpp + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor, mask = b'', b''
    for row in reversed(pixels):                      # bottom-up
        bits = ''.join(format(0 if p is None else p, '0%db' % bpp) for p in row)
        xor += packed(bits, xor_stride)
        bits = ''.join('1' if p is None else '0' for p in row)
        mask += packed(bits, and_stride)
    header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, len(palette), 0)
    colours = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask


def icon_file(images, kind=1, hotspot=(0, 0)):
    """images: list of (pixels, bpp, palette).  kind 1 = icon, 2 = cursor."""
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for pixels, bpp, palette in images:
        blob = dib(pixels, bpp, palette)
        w, h = len(pixels[0]), len(pixels)
        colours = len(palette) if bpp < 8 else 0
        if kind == 1:
            planes, bits = 1, bpp
        else:
            planes, bits = hotspot
        out += struct.pack('<BBBBHHII', w % 256, h % 256, colours, 0,
                           planes, bits, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b''.join(blobs)


def check(path):
    """Read a written file back and make sure it hangs together."""
    data = open(path, 'rb').read()
    _, kind, count = struct.unpack_from('<HHH', data, 0)
    assert kind in (1, 2) and count > 0
    for i in range(count):
        w, h, ncol, _, p1, p2, size, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        assert off + size <= len(data), path
        hsize, bw, bh, planes, bpp = struct.unpack_from('<IiiHH', data, off)
        assert (hsize, bw, bh, planes) == (40, w, 2 * h, 1), path
        xor_stride = ((w * bpp + 31) // 32) * 4
        and_stride = ((w + 31) // 32) * 4
        assert size == 40 + 4 * (1 << bpp) + h * (xor_stride + and_stride), path
        xor = off + 40 + 4 * (1 << bpp)
        mask = xor + h * xor_stride
        for y in range(h):
            for x in range(w):
                bit = data[mask + y * and_stride + x // 8] >> (7 - x % 8) & 1
                byte = data[xor + y * xor_stride + x * bpp // 8]
                value = (byte >> (8 - bpp - x * bpp % 8)) & ((1 << bpp) - 1)
                assert not (bit and value), '%s: opaque colour under mask' % path
        what = 'hot spot (%d,%d)' % (p1, p2) if kind == 2 else '%d bpp' % bpp
        print('  %s: %dx%d, %s' % (os.path.basename(path), w, h, what))


# ------------------------------------------------------------------ main --
def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    res = os.path.join(root, 'src', 'app', 'res')
    os.makedirs(res, exist_ok=True)

    # Small images (notification area, title bar) at 100, 125 and 150 %; large ones at 100 and 150 %.
    hand = {16: grid(HAND_16, 16), 20: grid(HAND_20, 20), 24: grid(HAND_24, 24),
            32: grid(HAND_32, 32), 48: grid(HAND_48, 48)}
    point_left = {16: grid(POINT_LEFT_16, 16), 20: grid(POINT_LEFT_20, 20), 24: grid(POINT_LEFT_24, 24),
                  32: grid(POINT_LEFT_32, 32), 48: grid(POINT_LEFT_48, 48)}
    # Stopped: the hand with a red cross on its palm (centre x, y, arm, thickness per size). Waiting for a
    # reply: the green hand pointing left. Each is the same picture at every size: the notification
    # area shows the small images, the title bar and Alt+Tab the others.
    cross = {16: (10, 10, 3, 2), 20: (12, 12, 3, 2), 24: (15, 14, 4, 3), 32: (20, 19, 5, 3), 48: (30, 29, 8, 4)}
    stopped = {n: red_cross(hand[n], *cross[n]) for n in hand}
    flight = {n: recolour(point_left[n], 'w', 'G') for n in point_left}
    # The link is down: the phase's picture with the mark in its lower right corner.
    badge = {16: 9, 20: 11, 24: 13, 32: 15, 48: 21}
    running_down = {n: down_badge(hand[n], badge[n]) for n in hand}
    flight_down = {n: down_badge(flight[n], badge[n]) for n in flight}
    document = {16: grid(DOCUMENT_16, 16), 20: grid(DOCUMENT_20, 20), 24: grid(DOCUMENT_24, 24),
                32: grid(DOCUMENT_32, 32), 48: grid(DOCUMENT_48, 48)}

    def icon(images):
        return icon_file([(indexes(images[n]), 4, PALETTE) for n in sorted(images, reverse=True)])

    files = {
        'prodle.ico': icon(hand),
        'stopped.ico': icon(stopped),
        'in_flight.ico': icon(flight),
        'running_down.ico': icon(running_down),
        'in_flight_down.ico': icon(flight_down),
        'document.ico': icon(document),
        'hand.cur': icon_file([([[None if c == '.' else (1 if c == 'w' else 0)
                                  for c in row] for row in grid(HAND_UP_32, 32)],
                                1, MONO_PALETTE)], kind=2, hotspot=(0, 0)),
    }
    for name, data in files.items():
        path = os.path.join(res, name)
        with open(path, 'wb') as f:
            f.write(data)
        check(path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
