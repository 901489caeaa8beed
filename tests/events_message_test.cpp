// The message window on the headless game: 18 characters a line, "。" and "、" kept on their
// line, colours, "r" breaks, the portrait and the item icon, the switch sound, and the wait.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::FromUtf8;

struct MessageGame {
  // shot: a screenshot at 1.06 s, while the first message after the empty one waits.
  explicit MessageGame(const std::string& shot = "")
      : g(PressEvery100(1000, 1000) + shot + PressEvery100(1100, 60000)) {
    g.Play();
    RunTicks(*g.game, 1);  // a scene behind the window
    g.f().Sleep(static_cast<int>(900 - g.ms()));
    blank = Show("");
  }
  std::vector<uint8_t> Show(const std::string& text) {
    g.f().ShowMessage(FromUtf8(text));
    const uint8_t* p = g.f().PrimarySurface->Pixels();
    return std::vector<uint8_t>(p, p + 640 * 480);
  }
  // Pixels of the rectangle that differ from the empty window.
  int Ink(const std::vector<uint8_t>& shown, int x, int y, int w, int h) const {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy) {
      for (int xx = x; xx < x + w; ++xx) n += shown[yy * 640 + xx] != blank[yy * 640 + xx];
    }
    return n;
  }
  // The palette indices of those pixels.
  std::set<int> InkColours(const std::vector<uint8_t>& shown, int x, int y) const {
    std::set<int> c;
    for (int yy = y; yy < y + 20; ++yy) {
      for (int xx = x; xx < x + 16; ++xx) {
        if (shown[yy * 640 + xx] != blank[yy * 640 + xx]) c.insert(shown[yy * 640 + xx]);
      }
    }
    return c;
  }
  EventGame g;
  std::vector<uint8_t> blank;
};

std::string Times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(MessageWindow, EighteenCharactersALineAndTheFullStopStays) {
  MessageGame m;
  auto full = m.Show(Times("あ", 18) + "い");
  for (int k = 0; k < 18; ++k) EXPECT_GT(m.Ink(full, 172 + 16 * k, 76, 16, 20), 0) << k;
  EXPECT_GT(m.Ink(full, 172, 96, 16, 20), 0);  // the 19th starts the second line
  EXPECT_EQ(m.Ink(full, 460, 76, 16, 20), 0);

  for (const char* mark : {"。", "、"}) {
    auto stop = m.Show(Times("あ", 18) + mark);
    EXPECT_GT(m.Ink(stop, 460, 76, 16, 20), 0) << mark;  // x = 460, past the 18th cell
    EXPECT_EQ(m.Ink(stop, 172, 96, 16, 20), 0) << mark;  // not carried over
    auto next = m.Show(Times("あ", 18) + mark + "い");
    EXPECT_GT(m.Ink(next, 172, 96, 16, 20), 0) << mark;  // the next character is
  }
  // No "r" needed for a long text: it keeps going line by line.
  auto lines = m.Show(Times("う", 18 * 3 + 1));
  EXPECT_GT(m.Ink(lines, 444, 116, 16, 20), 0);
  EXPECT_GT(m.Ink(lines, 172, 136, 16, 20), 0);
  EXPECT_EQ(m.Ink(lines, 188, 136, 16, 20), 0);
}

TEST(MessageWindow, ColoursBreaksAndControlLettersThatAreNeverPrinted) {
  MessageGame m;
  auto c = m.Show("bあwいcうえ");
  EXPECT_EQ(m.InkColours(c, 172, 76), std::set<int>{18});  // light blue
  EXPECT_EQ(m.InkColours(c, 188, 76), std::set<int>{1});   // white
  EXPECT_EQ(m.InkColours(c, 204, 76), std::set<int>{19});  // light red ...
  EXPECT_EQ(m.InkColours(c, 220, 76), std::set<int>{19});  // ... until changed again
  auto r = m.Show("あrいRBW");
  EXPECT_GT(m.Ink(r, 172, 76, 16, 20), 0);
  EXPECT_EQ(m.Ink(r, 188, 76, 16, 20), 0);
  EXPECT_GT(m.Ink(r, 172, 96, 16, 20), 0);
  EXPECT_GT(m.Ink(r, 188, 96, 48, 20), 0);  // capitals are printed
  auto quiet = m.Show("rbcwrrb");
  EXPECT_EQ(m.Ink(quiet, 0, 0, 640, 480), 0);
}

TEST(MessageWindow, ItemIconAndPortrait) {
  MessageGame m;
  auto& f = m.g.f();
  for (int n : {5, 25}) {
    char text[8];
    std::snprintf(text, sizeof text, "i%02d", n);
    auto shown = m.Show(text);
    const int sx = 32 * (n % 21), sy = n <= 20 ? 288 : 416;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const uint8_t src = f.CharSurface(0)->At(sx + x, sy + y);
        const uint8_t dst = shown[(76 + y) * 640 + 180 + x];
        if (src != 2) {
          EXPECT_EQ(dst, src) << n << " at " << x << "," << y;
        }
      }
    }
    const int differing = m.Ink(shown, 0, 0, 640, 480);
    EXPECT_EQ(differing, m.Ink(shown, 180, 76, 32, 32)) << "only the icon: " << n;
    EXPECT_GT(differing, 0);
  }
  // "i" with no number shows icon 0; the pen does not move for it.
  auto bare = m.Show("あi");
  EXPECT_GT(m.Ink(bare, 180, 76, 32, 32), 0);
  auto pen = m.Show("i01あ");
  EXPECT_GT(m.Ink(pen, 172, 76, 8, 20), 0);  // "あ" in the first cell, under the icon

  auto portrait = m.Show("fXあ");
  EXPECT_GT(m.Ink(portrait, 32, 64, 128, 128), 0);
  EXPECT_EQ(m.Ink(portrait, 188, 76, 16, 20), 0);  // "X" was skipped unread
  EXPECT_EQ(m.Ink(portrait, 0, 0, 640, 480),
            m.Ink(portrait, 32, 64, 128, 128) + m.Ink(portrait, 172, 76, 16, 20));
}

TEST(MessageWindow, SwitchSoundAndTheWaitForAKey) {
  MessageGame m("1060 screenshot @DIR@/item_message.png\n");
  const int64_t before = m.g.ms();
  m.Show("r　　　b炎の宝珠wをr　　　手に入れた。i01");
  m.g.KeepShot("item_message.png");
  EXPECT_GE(m.g.ms(), 1000);  // returned only after a press
  EXPECT_GT(m.g.ms(), before);
  m.Show("r　石のスイッチを押した。");
  EXPECT_EQ(SoundSlots(m.g.State()), std::vector<int>{9});
}

}  // namespace
