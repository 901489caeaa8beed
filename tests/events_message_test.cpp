// The message window on the headless game: 18 characters a line, "。" and "、" kept on their
// line, colours, "r" breaks, the portrait and the item icon, the switch sound, and the wait.
#include <gtest/gtest.h>

#include <set>

#include "test_support.h"

namespace {

using namespace testing_support;

// A scene behind the window, a key for every message, and the empty window to compare with.
struct Messages : Scene {
  Messages() {
    Play(Presses(1000, 60000) + "1060 screenshot @DIR@/item_message.png\n");
    Tick();
    f().Sleep(static_cast<int>(900 - ms()));
    blank = Show("");
  }
  std::vector<uint8_t> Show(const std::string& text) {
    f().ShowMessage(quelmire::FromUtf8(text));
    return Screen();
  }
  // The palette indices of the pixels of a rectangle that differ from the empty window, and
  // how many differ.
  std::pair<int, std::set<int>> Ink(const std::vector<uint8_t>& shown, int x, int y, int w = 16,
                                    int h = 20) const {
    std::pair<int, std::set<int>> ink;
    for (int yy = y; yy < y + h; ++yy) {
      for (int at = yy * 640 + x; at < yy * 640 + x + w; ++at) {
        if (shown[at] != blank[at]) ink.first++, ink.second.insert(shown[at]);
      }
    }
    return ink;
  }
  int Count(const std::vector<uint8_t>& shown, int x, int y, int w = 16, int h = 20) const {
    return Ink(shown, x, y, w, h).first;
  }
  std::vector<uint8_t> blank;
};

std::string Times(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(MessageWindow, LinesColoursBreaksIconsAndPortraits) {
  Messages m;
  auto full = m.Show(Times("あ", 18) + "い");
  for (int k = 0; k < 18; ++k) EXPECT_GT(m.Count(full, 172 + 16 * k, 76), 0) << k;
  EXPECT_GT(m.Count(full, 172, 96), 0);  // the 19th starts the second line
  EXPECT_EQ(m.Count(full, 460, 76), 0);
  for (const char* mark : {"。", "、"}) {
    auto stop = m.Show(Times("あ", 18) + mark + "い");
    EXPECT_GT(m.Count(stop, 460, 76), 0) << mark;  // x = 460, past the 18th cell
    EXPECT_GT(m.Count(stop, 172, 96), 0) << mark;  // the next character is carried over
    EXPECT_EQ(m.Count(stop, 188, 96), 0) << mark;  // the mark is not
  }
  // No "r" needed for a long text: it keeps going line by line.
  auto lines = m.Show(Times("う", 18 * 3 + 1));
  EXPECT_EQ(std::tuple(m.Count(lines, 444, 116) > 0, m.Count(lines, 172, 136) > 0,
                       m.Count(lines, 188, 136)),
            std::tuple(true, true, 0));

  // Light blue, white, light red ... until changed again; capitals are printed.
  auto c = m.Show("bあwいcうえ");
  EXPECT_EQ((std::vector<std::set<int>>{m.Ink(c, 172, 76).second, m.Ink(c, 188, 76).second,
                                        m.Ink(c, 204, 76).second, m.Ink(c, 220, 76).second}),
            (std::vector<std::set<int>>{{18}, {1}, {19}, {19}}));
  auto r = m.Show("あrいRBW");
  EXPECT_EQ(std::tuple(m.Count(r, 172, 76) > 0, m.Count(r, 188, 76), m.Count(r, 172, 96) > 0,
                       m.Count(r, 188, 96, 48) > 0),
            std::tuple(true, 0, true, true));
  EXPECT_EQ(m.Count(m.Show("rbcwrrb"), 0, 0, 640, 480), 0);

  // The item icon: only its opaque pixels, at (180, 76).
  for (int n : {5, 25}) {
    auto shown = m.Show("i" + std::string(n < 10 ? "0" : "") + std::to_string(n));
    const int sx = 32 * (n % 21), sy = n <= 20 ? 288 : 416;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        const uint8_t src = m.f().CharSurface(0)->At(sx + x, sy + y);
        EXPECT_TRUE(src == 2 || shown[(76 + y) * 640 + 180 + x] == src)
            << n << ": " << x << "," << y;
      }
    }
    const int differing = m.Count(shown, 0, 0, 640, 480);
    EXPECT_TRUE(differing > 0 && differing == m.Count(shown, 180, 76, 32, 32)) << n;
  }
  // "i" with no number shows icon 0; the pen does not move for it.
  EXPECT_GT(m.Count(m.Show("あi"), 180, 76, 32, 32), 0);
  EXPECT_GT(m.Count(m.Show("i01あ"), 172, 76, 8), 0);  // "あ" in the first cell, under the icon
  // The portrait; the letter after "f" is skipped unread.
  auto portrait = m.Show("fXあ");
  EXPECT_EQ(std::tuple(m.Count(portrait, 32, 64, 128, 128) > 0, m.Count(portrait, 188, 76),
                       m.Count(portrait, 0, 0, 640, 480)),
            std::tuple(true, 0, m.Count(portrait, 32, 64, 128, 128) + m.Count(portrait, 172, 76)));
}

TEST(MessageWindow, SwitchSoundAndTheWaitForAKey) {
  Messages m;
  const int64_t before = m.ms();
  m.Show("r　　　b炎の宝珠wをr　　　手に入れた。i01");
  m.KeepShot("item_message.png");
  EXPECT_TRUE(m.ms() >= 1000 && m.ms() > before) << m.ms();  // returned only after a press
  m.Show("r　石のスイッチを押した。");
  EXPECT_EQ(m.Sounds(), std::vector<int>{9});
}

}  // namespace
