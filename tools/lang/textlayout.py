"""The layout of a translated message in the message window, the same rule as the game's.

A translated text keeps the window's control letters written in braces, so that its own
letters r, b, c, w, f and i print: "{r}" starts a new line, "{b}", "{c}" and "{w}" set the
colour, "{fa}" shows the portrait and "{i05}" an item picture. Everything else is printed in
the font's own widths: a half-width glyph takes one cell of 8 pixels, a full-width one two.

A line holds 36 cells. Words go on a line while they fit; a word that does not fit starts
the next line, at the indent (the blanks) its paragraph began with; a word longer than a line
is cut at the line's end. Punctuation belongs to its word, so it is never carried alone, and a
colour change inside a word ("{b}Key{w}.") does not split it.
"""
import re

LINE_CELLS = 36
WINDOW_LINES = 6
CONTROL = re.compile(r'\{(r|b|c|w|f.|i[ 0-9]?[0-9])\}')


def cells(ch):
    return 1 if ord(ch) < 0x7F or 0xFF61 <= ord(ch) <= 0xFF9F else 2


def tokens(text):
    """("ctl", letters) and ("text", characters) pieces; an unknown "{...}" is an error."""
    out, pos = [], 0
    for m in CONTROL.finditer(text):
        if m.start() > pos:
            out.append(('text', text[pos:m.start()]))
        out.append(('ctl', m.group(1)))
        pos = m.end()
    if pos < len(text):
        out.append(('text', text[pos:]))
    for kind, t in out:
        if kind == 'text' and ('{' in t.replace('{0}', '') or '}' in t.replace('{0}', '')):
            raise ValueError(f'"{t}": braces hold only r, b, c, w, f and a letter, i and '
                             'two digits, or 0 for what the game fills in')
    return out


def lay_out(text):
    """The lines of the text as lists of characters (controls left out), in the game's rule."""
    items = []   # characters, and controls as ('ctl', letters)
    for kind, t in tokens(text):
        items.extend([(kind, t)] if kind == 'ctl' else list(t))
    lines, used, indent, at_start = [[]], 0, 0, True
    i = 0
    while i < len(items):
        item = items[i]
        if item == ('ctl', 'r'):
            lines.append([])
            used, indent, at_start = 0, 0, True
            i += 1
        elif isinstance(item, tuple):
            i += 1
        elif item == ' ':
            if at_start:
                indent += 1
            if used or at_start:
                lines[-1].append(' ')
                used += 1
            i += 1
        else:
            # a word runs up to a blank or a new line; colour changes inside it do not end it
            j = i
            while j < len(items) and items[j] != ' ' and items[j] != ('ctl', 'r'):
                j += 1
            word = [c for c in items[i:j] if not isinstance(c, tuple)]
            at_start = False
            if used + sum(cells(c) for c in word) > LINE_CELLS and used > indent:
                lines.append([' '] * indent)
                used = indent
            for c in word:
                if used + cells(c) > LINE_CELLS:
                    lines.append([' '] * indent)
                    used = indent
                lines[-1].append(c)
                used += cells(c)
            i = j
    return [''.join(line).rstrip() for line in lines]


def _normal(seq):
    # "i7", "i07" and "i 7" show the same picture; the letter after "f" is never read
    if seq[0] == 'f':
        return 'f'
    if seq[0] == 'i':
        digits = seq[1:].strip()
        return 'i' + str(int(digits)) if digits.isdigit() else 'i0'
    return seq


def controls(text, letters):
    """The control sequences among `letters`, in order (to compare with the original)."""
    return [_normal(t) for kind, t in tokens(text) if kind == 'ctl' and t[0] in letters]


def original_controls(text, letters):
    """The same for a text in the original form, where the bare letters are controls."""
    out, i = [], 0
    while i < len(text):
        ch = text[i]
        n = {'f': 2, 'i': 3}.get(ch, 1) if ch in 'rbcwfi' else 0
        if n:
            if ch in letters:
                out.append(_normal(text[i:i + n]))
            i += n
        else:
            i += 1
    return out
