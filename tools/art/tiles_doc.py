#!/usr/bin/env python3
"""Writes docs/TILES.md from the tile catalogue: tiles_doc.py OUT.md"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tiles  # noqa: E402

CLASSES = {0: 'free', 1: 'hurts', 2: 'hurts, knocks back', 3: 'solid', 4: 'strike block', 5: 'healing spot'}

HEAD = """# Tiles of bgv.bmp

Tile code t is the 32 x 32 picture at column t mod 8, row t div 8 of `data/bitmap/bgv.bmp`.
The class is fixed by the game's tile-attribute table; the picture is built by
`tools/art/tiles.py` (see the recipe named in its catalogue). Rebuild with
`python3 tools/art/build.py data` and review with `python3 tools/art/contact_sheet.py out.png`.

## How the solid sets join

Each solid material has an inside tile with no rim, and rim tiles that carry a lit edge on
the side that faces open space. Build a wall or floor mass from the inside tile and put the
rim tiles on its open sides; the rims of neighbouring tiles meet flush, so a row of top tiles
reads as one continuous floor line.

| Material | Inside | Top (floor) | Underside | Left face | Right face | Corners / single | Free wall behind |
|---|---|---|---|---|---|---|---|
| cave rock (grey-blue, moss on top) | 0 | 1 | 2 | 3 | 4 | 5 top-left, 6 top-right, 11 single | 9, 13, 14, 96, 136 |
| shrine brick (pale) | 16 | 17 | 18 | 20 | 21 | - | 22, 138, 139 |
| ice (snow on top) | 24 | 25 | 26 | 27 | 28 | 31 single | 30, 140, 152 |
| forest soil (dark loam, grass on top) | 41 | 40 | - | - | - | 42 single | 43, 44, 45, 141 |
| wet stone (blue-green, water caves) | 108 | 109 | - | - | - | 111 single | 104, 105, 110, 99 |
| cloud (sky) | 113 single | 112 | - | - | - | 113 | 58, 59, 114, 115 |
| basalt (black, fire caves) | 116 | 117 | - | - | - | 119 single | 86, 87, 143, 158 |
| abyss crystal rock (violet) | 120 | 121 | - | - | - | 123 single | 80, 81, 124, 125 |

Wooden planks 32 (left end), 33 (middle), 34 (right end) make a thin walkable ledge over any
background. The bridge is deck 118 (solid) with rail 10 (free) in the row above it.

## The look of each maze

Each maze keeps to its own materials, walls and colours, so a screenshot tells at a glance
where it was taken. A room is built from its maze's codes below; a code of another maze's
family stands out as a patch of that maze.

| Maze | Solid (builder material) | Walls behind | Decoration | Colours |
|---|---|---|---|---|
| 5 first caves | `rock` 0-6, 11 | 13, 136 (slate) | 14, 96 roots under ceilings; 75 mushrooms and 38, 137, 72, 154 crystals on floors; 74, 155 stalactites; 62 waterfalls | grey-blue rock, teal glow |
| 1 earth caves (the mine) | `rock` 0-6, 11 | 9, 73, 153 (earth and gold in the slate), mixed with 13, 136 | planks 32-34, ropes 35, chains 36, bones 97, cracked rock 7 | warm earth, gold |
| 2 water caverns | `wetstone` 108, 109, 111 | 104, 110; 99, 157 drips; 105 crystals; 144 roots | 62 waterfalls; pools of 60, 142 topped by 63; on floors 107 coral, 106 water weed | blue-green, white water, pink and orange coral |
| 3 forest roots | `soil` 40-42 | 43, 141 leaves; 103 deep shade | 44 trunks (columns), 45, 147 vines from above; on floors 46, 94 grass, 47 flowers, thorns 50, 51 | dark loam, greens, brown bark |
| 0 shrine depths | `brick` 16-21 | 22, 138 dark brick below; 64, 151 wood panels above | 70 posts, 66 lattice, 68 spiral, 69 streamers, 71 rope, 139 carving; 39 lanterns, 78, 79 braziers; 135 daylight under 133 | pale brick, vermilion, dark wood, warm light |
| 4 the pit | `abyss` 120, 121, 123 | 80, 124; 81 crystals, 125 motes, 126 columns; 82, 127, 159 void | 83, 145 runes; 156 bones; strike blocks 146 -> 122 | violet, black |
| 6 heights | `ice` 24-31; `basalt` 116, 117, 119 | 30, 152, 140 ice; 87, 143 basalt; 86, 158 lava glow; sky 55, 148 mixed with 56, 57, 149 | 100 mountains, 102 moon; clouds 112, 113 over 58, 59, 114, 115; 29 ice spikes; 52, 53 flames, 49 red-hot spikes | white-blue ice, black basalt, red fire, night blue |

Some tiles show one background wherever they stand: doors 65, 67 the wood panels; planks
32-34, spikes 48, bones 97 and the pillar cells 9, 15, 23 the cave slate; the bridge 10,
118 the night sky; the spring 76-93 marble.

## Tiles with their own rules

- Breakable blocks (solid; a head strike breaks them): 7 cracked rock -> 9; 12 cracked brick -> 8.
- Strike blocks (passable; a head strike from below changes them): 37 stone -> 0 (cave rock);
  54 gold -> 19 (spent gold block, solid); 146 abyss -> 122 (spent abyss block, solid).
  All three carry a bright star so they read as "hit me from below". A struck block must read
  as a solid step where it stands alone in open space:
  - 37 is drawn as the very cells of 0 with a glowing star and glowing dots round its edge;
    struck, the glow goes out and the same rock stays. 0 has no rim (it is also the inside of
    every cave-rock mass), so the cave-rock set keeps to shades above those of the cave walls
    behind (9, 13, 14, 96, 136): a lone 0 reads as rock in front of the wall, not as the wall.
  - 19 and 122 are their strike blocks a shade duller, with the same bevelled rim and the star
    gone out to a dim scar, lit like solid ground above any wall behind them.
- Harm: 48 steel spikes, 50 thorns, 52 low flames hurt. The ones that also throw the heroine
  back glow red from below: 29 ice spikes, 49 red-hot spikes, 51 red thorns, 53 roaring fire.
- Healing spring: the 2 x 3 picture 76 77 / 84 85 / 92 93 (all six are healing spots); stand in
  it and press Up.
- Doors: 65 closed, 67 open (the door sound plays when a script sets either).
- Fire: 78 cold brazier, 79 burning brazier (the fire sound plays when a script sets 79).
- Pillar puzzle: 9 empty cell above a pillar, 15 pillar top, 23 pillar body.
- Ending: 131 pale dawn backdrop behind the story (black text), 130 night backdrop behind the
  credits (white text). The credits fade out by drawing their text in black and leave it there,
  so 130 is black (entry 0) but for thin lines: no heading shows through the next one.

## Catalogue

| Code | Class | Shows |
|---|---|---|
"""


def main(argv):
    out = HEAD
    for code in range(160):
        desc = tiles.CATALOGUE[code][0]
        a = tiles.attr(code)
        out += '| %d | %d %s | %s |\n' % (code, a, CLASSES[a], desc)
    if len(argv) > 1:
        with open(argv[1], 'w', encoding='utf-8') as f:
            f.write(out)
    else:
        sys.stdout.write(out)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
