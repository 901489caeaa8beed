"""The class of each tile code, read from the game's own table in src/shell/tables.cpp, so the
data tools can never disagree with the game: 0 free, 1 hurts, 2 hurts and knocks back,
3 solid, 4 strike block, 5 healing spot. One eight-digit string per row of the tile sheet."""
import os
import re

_TABLES = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                       'src', 'shell', 'tables.cpp')


def rows():
    with open(_TABLES, encoding='utf-8') as f:
        text = f.read()
    start = text.find('kTileAttrRows[20] = {')
    end = text.find('};', start)
    found = re.findall(r'"([0-9]{8})"', text[start:end]) if start >= 0 else []
    if len(found) != 20:
        raise SystemExit(f'{_TABLES}: cannot read the 20 rows of kTileAttrRows')
    return found
