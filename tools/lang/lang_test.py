#!/usr/bin/env python3
"""The layout of translated messages and the catalogue's checks."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import extract  # noqa: E402
import textlayout  # noqa: E402

# (text, lines as laid out)
LAYOUTS = [
    ('a' * 36, ['a' * 36]),                                   # a full line
    ('a' * 36 + ' b', ['a' * 36, 'b']),                        # the next word starts a line
    ('a' * 40, ['a' * 36, 'aaaa']),                            # a word longer than a line
    ('x' * 33 + ' end.', ['x' * 33, 'end.']),                 # punctuation stays with its word
    ('{r}      ' + 'word ' * 7, ['', '      word word word word word word', '      word']),
    ('ひらがな' * 5, ['ひらがな' * 4 + 'ひら', 'がな']),      # full-width takes two cells
    ('{fa}{b}Brave{w} rabbit{i05}', ['Brave rabbit']),         # controls do not print
    ('x' * 32 + ' {b}Key{w}.', ['x' * 32, 'Key.']),          # a colour change keeps a word whole
]

# (original, translation, what the check says, or None)
CHECKS = [
    ('fa　泉。', '{fa}  A spring.', None),
    ('fa　泉。', '  A spring.', 'portrait differs'),
    ('r　b鍵w。i7', '{r}  The {b}Key{w}.{i07}', None),
    ('r　b鍵w。i7', '{r}  The {b}Key{w}.{i08}', 'item picture differs'),
    ('泉。', '{r}{r}{r}{r}{r}{r}too low', 'needs 7 lines'),
    ('泉。', 'a {x} b', 'braces hold only'),
    ('泉。', '', 'no translation'),
]


class LayoutTest(unittest.TestCase):
    def test_layouts(self):
        for text, lines in LAYOUTS:
            with self.subTest(text=text):
                self.assertEqual(textlayout.lay_out(text), lines)

    def test_checks(self):
        for original, english, says in CHECKS:
            with self.subTest(english=english):
                found = extract.problems(original, extract.MESSAGE, english)
                if says is None:
                    self.assertEqual(found, [])
                else:
                    self.assertTrue(any(says in p for p in found), found)

    def test_names_fit_the_status_screen_and_the_pickup(self):
        pickup = '{r}      Found {b}{0}{w}!'
        self.assertEqual(extract.problems('翼の鍵', extract.NAME + 10, 'Wing Key', [pickup]), [])
        self.assertIn('11 cells wide', extract.problems('妖精の靴', extract.NAME + 10,
                                                         'Fairy Shoes', [pickup])[0])


if __name__ == '__main__':
    unittest.main()
