#!/usr/bin/env python3
"""Gathers every text a player reads into a gettext template and checks the translations.

    python3 tools/lang/extract.py --pot FILE       writes the template (msgid = the Japanese
                                                  text exactly as the game shows it)
    python3 tools/lang/extract.py --check PO...    reports texts with no translation, and
                                                  translations that do not fit or lose a
                                                  picture; exit 1 if any
    python3 tools/lang/extract.py --show PO TEXT   prints TEXT's translation as laid out

The world's texts are the messages of the room scripts ("ms" up to "]"), one entry per text
whatever the number of cells that show it. The game's own texts are listed below with the
source file each comes from; the template fails to build if one is no longer found there.
A translation writes the control letters in braces (textlayout.py).
"""
import glob
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, 'tools', 'world'))

import textlayout  # noqa: E402
import worldlib  # noqa: E402

# How a text of the game's own is drawn, for the fit check: a message in the window, one line
# of at most N half-width cells, or an item's name (NAME + N: a line of N cells that also goes
# into the pick-up message).
MESSAGE, NAME = 'message', 1000

PICKUP = 'r　　　b{0}wをr　　　手に入れた。'
LIFE_UP = 'r　　　ライフの上限が{0}増えた。'

GAME_TEXTS = [
    ('src/screens/title.cpp', MESSAGE,
     'r　わたしの村では、三年に一度、r　若い女を山奥の祭殿の穴にr　生け贄として放り込む習わしがある。'),
    ('src/screens/title.cpp', MESSAGE,
     'r　今年がその年で、長老たちがr　三日間の儀式の末に選んだのは、r　わたしだった。'),
    ('src/screens/title.cpp', MESSAGE,
     '　ちょっと信じたくないんだけれど、r　そんなわけで、r　わたしは、r　落ちている真っ最中だ。'),
    ('src/play/things_pickup.cpp', MESSAGE, PICKUP),
    ('src/play/things_pickup.cpp', MESSAGE, LIFE_UP),
    ('src/events/save_prompt.cpp', 34, 'セーブできませんでした。'),
    ('src/screens/pause.cpp', 10, 'クリスタル'),
    # After a key's name in brackets ("[PageDown]:" at most 11 cells).
    ('src/screens/pause.cpp', 62, 'オプション'),
    ('src/screens/pause.cpp', 62, 'タイトル画面に戻る'),
    ('src/screens/pause.cpp', 62, 'ゲーム終了'),
    ('src/screens/title.cpp', 62, 'オプション'),
] + [('src/screens/options.cpp', 26, t) for t in (
    # The options screen's labels: 26 cells between the pointer and the values.
    '音楽の音量', '効果音の音量', '画面', 'ウィンドウの大きさ', '言語', 'キーを元に戻す', '閉じる',
    '左へ歩く', '右へ歩く', 'ジャンプ', '調べる・使う', '下を見る', '飛ぶ', 'ステータス画面',
)] + [('src/screens/options.cpp', 36, t) for t in (
    # Its values, within the screen's right half.
    'フルスクリーン', 'ウィンドウ', '自動', '倍', '新しいキーを押してください',
)] + [('src/screens/options.cpp', 74, t) for t in (
    '↑↓:選ぶ  ←→:変える  Enter:キーを決める  Esc:閉じる', '設定を保存できませんでした。[Enter]',
)] + [('src/screens/ending.cpp', 65, t) for t in (
    '　　　　 こうしてわたしは、地上に出ることができた。',
    '村にはもう戻れないのだけれど、そのことはべつにどうでもいい。　',
    '　　　　　わたしは自分の足で跳ぶことを学んだから。',
    '　わたしを穴に投げ込んだ村の人達は、きっとこれからもずっと　',
    '　　　　　 なにかに怯えながら生きていくのだろう。',
    '　　　　　 　　　　わたしはもう大丈夫。',
    '　　　　　 さようなら、わたしを産んでくれた場所。',
)] + [('src/screens/ending.cpp', 12, t) for t in (
    'クリスタル：', '　　オーブ：', '　　　　鍵：', '最大ライフ：', '　　達成度：',
)]

# Pieces of the templates as the source writes them ({0} is filled in by the game).
TEMPLATE_PIECES = {PICKUP: ['r\\u3000\\u3000\\u3000b', 'wをr\\u3000\\u3000\\u3000手に入れた。i'],
                   LIFE_UP: ['r\\u3000\\u3000\\u3000ライフの上限が', '増えた。']}


def source_literals(path):
    """The string literals of a C++ file, adjacent ones joined as the compiler joins them."""
    with open(os.path.join(ROOT, path), encoding='utf-8') as f:
        code = f.read()
    lit = r'(?:u8|U|u|L)?"(?:[^"\\\n]|\\.)*"'
    out = []
    for m in re.finditer(rf'{lit}(?:\s*{lit})*', code):
        parts = re.findall(r'"((?:[^"\\\n]|\\.)*)"', m.group(0))
        out.append(''.join(parts))
    return out


def item_names():
    for lit in source_literals('src/shell/tables.cpp'):
        if re.search(r'[\u3040-\u9fff]', lit):
            yield lit


def game_texts():
    """(where, how, text) of the game's own texts; fails if one is gone from its source."""
    out = []
    for path, how, text in GAME_TEXTS:
        lits = source_literals(path)
        pieces = TEMPLATE_PIECES.get(text, [text])
        for piece in pieces:
            if not any(piece in lit for lit in lits):
                raise SystemExit(f'lang: "{piece}" is no longer in {path}: update extract.py')
        out.append((path, how, text))
    # An item's name stands beside its picture on the status screen, 10 cells before the next
    # column or the screen's edge; the hearts are not shown there.
    out += [('src/shell/tables.cpp', NAME + (12 if n in (8, 9) else 10), name)
             for n, name in enumerate(item_names(), 1)]
    return out


def world_texts():
    """{text: [where, ...]} of every message of the room scripts, in room order."""
    texts = {}
    for path in sorted(glob.glob(os.path.join(ROOT, 'assets', 'world', 'room*.room'))):
        number = int(re.search(r'(\d+)', os.path.basename(path)).group(1))
        room = worldlib.read_room(path, number)
        for where, key, fields in room.records:
            if key == 'ev':
                cell, script = f'{fields[0]},{fields[1]}', fields[2]
            elif key == 'in':
                cell, script = 'in', fields[0]
            else:
                continue
            info = worldlib.check_script(where, script, in_init=(key == 'in'))
            for text in info.messages:
                texts.setdefault(text, []).append(f'room{number:03d} {cell}')
    return texts


def all_texts():
    """[(text, [where...], how)] in a stable order: the game's texts, then the world's."""
    out, seen = [], {}
    for where, how, text in game_texts():
        if text in seen:
            seen[text][1].append(where)
        else:
            seen[text] = (text, [where], how)
            out.append(seen[text])
    for text, wheres in world_texts().items():
        if text in seen:
            seen[text][1].extend(wheres)
        else:
            seen[text] = (text, wheres, MESSAGE)
            out.append(seen[text])
    return out


def po_quote(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


def write_pot(path):
    with open(path, 'w', encoding='utf-8') as f:
        f.write('# The texts a player of Quelmire reads. Generated by tools/lang/extract.py.\n'
                'msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n\n')
        for text, wheres, _ in all_texts():
            for k in range(0, len(wheres), 4):
                f.write('#: ' + ' '.join(w for w in wheres[k:k + 4]) + '\n')
            f.write(f'msgid {po_quote(text)}\nmsgstr ""\n\n')


def read_po(path):
    """{msgid: msgstr} of a .po file (no plural forms or contexts: the game uses none)."""
    entries, cur, field = {}, {}, None

    def flush():
        if 'msgid' in cur and cur['msgid']:
            entries[cur['msgid']] = cur.get('msgstr', '')
        cur.clear()

    def unquote(s, where):
        m = re.fullmatch(r'"((?:[^"\\]|\\.)*)"', s.strip())
        if not m:
            raise SystemExit(f'{where}: not a quoted string')
        return re.sub(r'\\(.)', lambda e: {'n': '\n', 't': '\t'}.get(e.group(1), e.group(1)),
                      m.group(1))

    with open(path, encoding='utf-8') as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip('\n')
            where = f'{path}:{n}'
            if not line.strip() or line.startswith('#'):
                if not line.strip() and 'msgstr' in cur:
                    flush()
                continue
            m = re.match(r'(msgid|msgstr)\s+(.*)', line)
            if m:
                if m.group(1) == 'msgid' and 'msgstr' in cur:
                    flush()
                field = m.group(1)
                cur[field] = unquote(m.group(2), where)
            elif line.startswith('"') and field:
                cur[field] += unquote(line, where)
            else:
                raise SystemExit(f'{where}: not a .po line')
    flush()
    return entries


def problems(text, how, english, names=()):
    """What is wrong with `english` as the translation of `text`; empty if nothing."""
    if not english:
        return ['no translation']
    try:
        if isinstance(how, int) and how > NAME:
            out = problems(text, how - NAME, english)
            if names:
                out += [f'in the pick-up message: {p}' for p in
                        problems(PICKUP.replace('{0}', text), MESSAGE,
                                 names[0].replace('{0}', english))]
            return out
        if isinstance(how, int):
            if any(ch in english for ch in '{}'):
                return ['a line of its own takes no control letters']
            width = sum(textlayout.cells(c) for c in english)
            return [f'{width} cells wide; the place holds {how}'] if width > how else []
        out = []
        lines = textlayout.lay_out(english)
        if len(lines) > textlayout.WINDOW_LINES:
            out.append(f'needs {len(lines)} lines; the window holds {textlayout.WINDOW_LINES}')
        for letters, what in (('f', 'portrait'), ('i', 'item picture')):
            if textlayout.controls(english, letters) != textlayout.original_controls(text, letters):
                out.append(f'the {what} differs from the original')
        if text.count('{0}') != english.count('{0}'):
            out.append('"{0}" (filled in by the game) must stay, once')
        return out
    except ValueError as e:
        return [str(e)]


def check(po_paths):
    bad = 0
    texts = all_texts()
    for po in po_paths:
        entries = read_po(po)
        pickup = entries.get(PICKUP, '')
        for text, wheres, how in texts:
            english = entries.get(text, '')
            for p in problems(text, how, english, [pickup] if pickup else []):
                print(f'{os.path.relpath(po)}: {wheres[0]}: "{text}": {p}', file=sys.stderr)
                bad += 1
        known = {t for t, _, _ in texts}
        for msgid in entries:
            if msgid not in known:
                print(f'{os.path.relpath(po)}: "{msgid}" is no longer in the game '
                      '(remove it or mark it obsolete)', file=sys.stderr)
        print(f'lang: {os.path.relpath(po)}: {len(texts)} texts, '
              f'{sum(1 for t, _, _ in texts if entries.get(t))} translated, {bad} problems')
    return 1 if bad else 0


def main(argv):
    if len(argv) == 3 and argv[1] == '--pot':
        write_pot(argv[2])
        return 0
    if len(argv) >= 3 and argv[1] == '--check':
        return check(argv[2:])
    if len(argv) == 4 and argv[1] == '--show':
        english = read_po(argv[2]).get(argv[3], '')
        for line in textlayout.lay_out(english):
            print(f'|{line:<{textlayout.LINE_CELLS}}|')
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv))
