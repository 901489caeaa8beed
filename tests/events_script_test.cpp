// The event script interpreter and the message window on the headless game. The window: 18
// characters a line, "。" and "、" kept on their line, colours, "r" breaks, the portrait and the
// item icon, the switch sound, and the wait. The interpreter: flags, items, the conditional skip
// with its markers, map changes and their sounds, the pillar puzzle and the bridge, object kinds,
// wind, song commands, messages, text that is cut short or bad, and the warp: "jp" fades out,
// loads, fades up to the save prompt, saves and fades in again; warps from init scripts wait
// for the room load, and warps the game cannot make are dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "test_support.h"

namespace {

using namespace testing_support;
using quelmire::False;
using quelmire::True;

// Each script runs with flag 10 set as given, flags 100..103 cleared, flag 5 and item 7 at 3;
// the result is flags 100..103.
TEST(EventScript, FlagsConditionsAndTheSkipPastMarkers) {
  Scene s;
  s.Load();
  auto& f = s.f();
  const struct {
    int flag10;
    std::string script, flags;
  } cases[] = {
      // clang-format off
      // Empty or unknown text changes nothing.
      {0, "", "0000"}, {0, "x", "0000"}, {0, "FG100=01", "0000"}, {0, "]#%&", "0000"},
      {0, "  edfg100=01", "0000"},
      // "if" with N markers to count past: the true path goes on after the (N+1)-th "#"; too
      // few markers: the end; a marker as the last character; no condition: true; "ed" ends
      // the script.
      {1, "iffl010=01,0fg100=01ed#fg101=01", "0100"},
      {0, "iffl010=01,0fg100=01ed#fg101=01", "1000"},
      {1, "iffl010=01 1fg100=01ed#fg102=01ed#fg101=01", "0100"},
      {2, "iffl010=01 1fg100=01ed#fg102=01ed#fg101=01", "1000"},
      {1, "iffl010=01/2fg100=01ed#fg102=01#fg103=01#fg101=01", "0100"},
      {1, "iffl010=01,2fg100=01ed#fg102=01#fg101=01", "0000"},
      {0, "iffl010=01,2fg100=01ed#fg102=01#fg101=01", "1000"},
      {1, "iffl010=01,0fg100=01ed#", "0000"}, {0, "if,0fg100=01ed#fg101=01", "0100"},
      {0, "fg100=01edfg101=01", "1000"},
      // Operators ("%": a divisor; never for items), and several conditions at once.
      {0, "iffl005<04,0ed#fg100=01", "1000"}, {0, "iffl005>02,0ed#fg100=01", "1000"},
      {0, "iffl005%04,0ed#fg100=01", "1000"}, {0, "iffl005%03,0ed#fg100=01", "0000"},
      {0, "iffl005!03,0ed#fg100=01", "0000"}, {0, "ifit007=03,0ed#fg100=01", "1000"},
      {0, "ifit007<09,0ed#fg100=01", "1000"}, {0, "ifit007%04,0ed#fg100=01", "0000"},
      {0, "iffl005=03it007>02,0ed#fg100=01", "1000"},
      {0, "iffl005=04it007>02,0ed#fg100=01", "0000"},
      {0, "iffl005=03it007>05,0ed#fg100=01", "0000"},
      // A flag or item that does not exist never holds.
      {0, "iffl512=00,0ed#fg100=01", "0000"}, {0, "ifit128=00,0ed#fg100=01", "0000"},
      {0, "iffl005=03it200=00,0ed#fg100=01", "0000"},
      // A non-numeric operand reads as 0; a quiet script ends loud.
      {0, "fg100=05fg100+ab", "5000"}, {0, "as0", "0000"},
      // Set, add, subtract (any other operator adds), clamped to 0..255.
      {0, "fg100=05,fg100+03,fg100-01 fg101+02fg101*04", "7600"},
      {0, "fg100-05fg101=99fg101+99fg101+99fg101+99fg102=-5", "0(255)00"},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::tie(f.Flags(10), f.Flags(5), f.ItemCount(7), f.QuietMode) =
        std::tuple(c.flag10, 3, 3, True);
    for (int i = 100; i <= 103; ++i) f.Flags(i) = 0;
    s.Run(c.script);
    std::string flags;
    for (int v : {f.Flags(100), f.Flags(101), f.Flags(102), f.Flags(103)})
      flags += v < 10 ? std::to_string(v) : "(" + std::to_string(v) + ")";
    EXPECT_EQ(std::tuple(flags, f.QuietMode), std::tuple(c.flags, False)) << c.script;  // ends loud
  }
  // Items clamp alike; flags over 511 and items over 127 (or negative) do not exist.
  s.Run(
      "ii003+02ii003*04ii127=99ii127+99ii127+99fg512=01fg999+01fg-01=01ii128=01ii-01=01"
      "fg511=09ii000=04");
  EXPECT_EQ(std::tuple(f.ItemCount(3), f.ItemCount(127), f.Flags(511), f.Flags(0), f.ItemCount(0)),
            std::tuple(6, 255, 9, 0, 4));
  s.Run("fnfg002=01");  // "fn" sets the ending and ends the script
  EXPECT_EQ(std::tuple(f.EndingFlag, f.Flags(2)), std::tuple(True, 0));
}

TEST(EventScript, MapChangesSoundOnlyOutsideQuietModeAndBadCellsAreIgnored) {
  Scene s;
  s.Play();
  auto& f = s.f();
  const uint64_t before = f.MapSurface->Generation();
  s.Run("mc040,040,065as0mc042,040,067se007");    // quiet: no door sound, but "se" always sounds
  EXPECT_GT(f.MapSurface->Generation(), before);  // the view was rebuilt
  s.Run("as1mc041,040,079");                      // any other digit: not quiet
  // Cells and tile codes that do not exist: nothing happens; the margin is a real cell.
  s.Run("mc258,000,065mc000,258,065mc-01,000,065mc044,040,160mc257,257,003se010se-01se999");
  EXPECT_EQ(std::tuple(f.Map(40, 40), f.Map(41, 40), f.Map(42, 40), f.Map(44, 40), f.Map(257, 257)),
            std::tuple(65, 79, 67, 1, 3));
  EXPECT_EQ(s.Sounds(), (std::vector<int>{1, 7, 8}));
}

TEST(EventScript, PillarPuzzleAndBridge) {
  Scene s;
  s.Play();
  auto& f = s.f();
  for (int c = 0; c < 4; ++c) f.Flags(42 + c) = static_cast<uint8_t>(c + 1);
  f.Flags(46) = 1;
  s.Run("hn");
  const int cols[4] = {44, 46, 51, 53};
  for (int c = 0; c < 4; ++c) {
    const int h = f.Flags(42 + c);
    for (int j = 0; j < 8; ++j) {
      const int want = j < 8 - h ? 9 : (j == 8 - h ? 15 : 23);
      EXPECT_EQ(f.Map(cols[c], 56 + j), want) << "pillar " << c << " row " << j;
    }
  }
  EXPECT_EQ(std::tuple(f.Map(45, 60), f.Flags(46)), std::tuple(1, 0));  // between: unchanged
  s.Run("hi");
  EXPECT_EQ(std::tuple(f.Flags(42), f.Flags(43), f.Flags(44), f.Flags(45)), std::tuple(3, 4, 1, 2));
  EXPECT_EQ(f.Map(44, 63), 15);  // "hi" draws nothing: still the top of height 1
  for (int c = 42; c <= 45; ++c) f.Flags(c) = 4;
  s.Run("hn");
  EXPECT_EQ(std::tuple(f.Flags(46), f.Map(44, 59), f.Map(44, 60), f.Map(44, 61)),
            std::tuple(1, 9, 15, 23));
  f.Flags(42) = 200;  // a pillar taller than eight is all body
  s.Run("hn");
  EXPECT_EQ(f.Map(44, 56), 23);

  const uint64_t before = f.MapSurface->Generation();
  s.Run("hh");
  EXPECT_EQ(f.MapSurface->Generation(), before);  // the bridge waits for the next rebuild
  // Its ends, row by row.
  EXPECT_EQ((std::vector<int>{f.Map(209, 57), f.Map(210, 57), f.Map(239, 58), f.Map(240, 58),
                              f.Map(208, 62), f.Map(243, 63), f.Map(244, 63)}),
            (std::vector<int>{1, 10, 118, 1, 10, 118, 1}));
}

TEST(EventScript, ObjectKindsWindMatchingKindsAndSongs) {
  Scene s;
  s.Load();
  auto& f = s.f();
  f.RoomThings = 5;  // as a room of five things leaves it: record 6 is empty, with no cell
  s.Run("om005,012om006,012om040,001om-01,001wd-3");
  EXPECT_EQ(std::tuple(f.Obj(5).Kind, f.Obj(6).Kind, f.DriftX), std::tuple(12, 0, -3));
  s.Run("wd07");
  EXPECT_EQ(f.DriftX, 7);

  f.Obj(0).Kind = 7;
  f.Obj(1) = {};
  std::tie(f.Obj(1).Kind, f.Obj(1).X, f.Obj(1).Y, f.Obj(1).Param) = std::tuple(7, 7, 45, 9);
  std::tie(f.Obj(2).Kind, f.Obj(2).X, f.Obj(2).Y, f.Obj(3).Kind) = std::tuple(7, 120, 3, 4);
  std::tie(f.Flags(1), f.Flags(2), f.Flags(3)) = std::tuple(7, 0, 3);
  s.Run("mm001,002");  // a flag of 0: nothing
  EXPECT_EQ(f.Obj(1).Kind, 7);
  f.Flags(2) = 5;
  s.Run("mm001,002");
  // Never the player; the chaser's home is its cell, and Param is kept.
  EXPECT_EQ(std::tuple(f.Obj(0).Kind, f.Obj(1).Kind, f.Obj(1).Param, f.Obj(3).Kind),
            std::tuple(7, 5, 9, 4));
  EXPECT_EQ(quelmire::ToUtf8(f.Obj(1).Cmd + f.Obj(2).Cmd), "007045120003");
  s.Run("mm002,003mm002,512");
  EXPECT_EQ(std::tuple(f.Obj(1).Kind, f.Obj(1).Param), std::tuple(3, 0));

  // A song command changes only to another song.
  f.SongNo = 1;
  s.Run("md08");
  EXPECT_EQ(std::tuple(f.SongNo, f.MusicOn), std::tuple(8, True));
  s.Run("md08");
  const Json state = s.State();
  std::string ops;
  for (const Json& op : state["music"].arr)
    ops += op["op"].str + (op.obj.count("arg") ? " " + op["arg"].str : "") + ",";
  EXPECT_EQ(ops, "stop,close,open midi/vorn08.mid,play,");
}

TEST(EventScript, AMessageWithoutItsBracketTakesTheRestOfTheScript) {
  Scene s;
  s.Load(Presses(1000, 1400));
  std::tie(s.f().RoomNo, s.obj().X, s.obj().Y) = std::tuple(-1, 33, 38);  // the backdrop alone
  s.Run("msおfg003=01fg004=01");
  EXPECT_EQ(std::tuple(s.f().Flags(3), s.f().Flags(4), s.ms() >= 1000), std::tuple(0, 0, true));
}

// Maze, cell and room of the heroine, and whether play runs.
auto Place(quelmire::Form1& f) {
  return std::tuple(int{f.Obj(0).Kind}, int{f.Obj(0).X}, int{f.Obj(0).Y}, int{f.RoomNo},
                    bool{f.Timer1.Enabled});
}

TEST(EventWarp, WarpFadesLoadsOffersToSaveAndCarriesOn) {
  Scene s;
  s.Room(2, "mo,45,38,11,4,14,0,\r\n@\r\n");
  // The prompt is up from about 2.45 s: look at it, move to slot 1, save.
  s.Play("2900 state @DIR@/mid.json\n3000 press Down\n3200 press Z\n");
  auto& f = s.f();
  f.Sleep(static_cast<int>(1000 - s.ms()));
  std::tie(f.Obj(0).OffX, f.Obj(0).VX) = std::tuple(7, 3);
  s.Run("jp006,040,038,002fg001=01");
  // 16 + 14 fade steps, the prompt until Z at 3.2 s, 800 ms of "saving", 4 fade steps.
  EXPECT_TRUE(s.ms() >= 3200 + 800 + 4 * 48 && s.ms() < 3200 + 800 + 4 * 48 + 40) << s.ms();
  // Room 2 with its thing, and the script went on after the warp.
  EXPECT_EQ(std::tuple(Place(f), f.Obj(0).OffX, f.Obj(0).VX, f.Obj(1).Kind, f.Flags(1)),
            std::tuple(std::tuple(6, 40, 38, 2, true), 0, 0, 11, 1));
  // While the prompt waits, play is off and the screen is at 13/16 brightness.
  const Json mid = ParseJson(ReadFile(s.dir / "mid.json"));
  EXPECT_FALSE(mid["Timer1"].b);
  for (int i = 0; i < 255; ++i) {
    const auto& base = f.BasePalette(i);
    const Json& shown = mid["display_palette"][static_cast<size_t>(i)];
    EXPECT_EQ(std::tuple(shown[0].Int(), shown[2].Int()),
              std::tuple(std::nearbyint(base.r / 16.0 * 13), std::nearbyint(base.b / 16.0 * 13)))
        << i;
    EXPECT_EQ(f.WorkPalette(i), base);
  }
  // The saved game is the new place.
  const std::string save = ReadFile(s.dir / "savedata1.sav");
  EXPECT_EQ(save.substr(0, save.find("\r\n")), " 40  38  6  3  3  2 ");
}

// A room whose init script warps: the warp waits until the loader has read the whole file,
// then the player lands in the next room; the one save prompt comes after the last load.
TEST(EventWarp, BadWarpsAreIgnoredAndAWarpInAnInitScriptWaitsForTheRoomLoad) {
  Scene s;
  s.Room(1, "in,\"fg003+01\"\r\n@\r\n");
  s.Room(2, "in,\"fg002+01jp005,050,038,001fg004+01\"\r\nev,40,38,\"fg009=01\"\r\n@\r\n");
  s.Play(Presses(3000, 60000, 1000, "Left"));  // Left leaves the save prompt
  auto& f = s.f();
  // Warps the game cannot make are ignored, and the script goes on.
  for (const char* bad : {"jp007,040,038,001", "jp005,040,038,999", "jp005,009,038,001",
                          "jp005,248,038,001", "jp005,040,253,001", "jp-01,040,038,001"}) {
    s.Run(std::string(bad) + "fg001+01");
    EXPECT_EQ(Place(f), std::tuple(5, 33, 38, 1, true)) << bad;
  }
  // A look down that would reach past the maze where a warp lands is held in it.
  f.LookRow = 5;
  s.Run("jp005,040,250,001");
  EXPECT_EQ(std::tuple(f.Flags(1), f.Obj(0).Y, f.LookRow), std::tuple(6, 250, 2));

  s.Run("jp006,040,038,002");
  EXPECT_EQ(Place(f), std::tuple(5, 50, 38, 1, true));
  // The init script ran on after the held-back warp; room 1 was loaded again, after room 2
  // (its third load).
  EXPECT_EQ(std::tuple(f.Flags(2), f.Flags(4), f.Flags(3), f.EventMap(40, 38), f.WarpPending),
            std::tuple(1, 1, 3, 0, false));

  // A room loaded by someone else (the title) holds its warp until asked.
  std::tie(f.RoomNo, f.Obj(0).Kind) = std::tuple(2, 6);
  f.LoadMazeMap();
  f.LoadRoomData();
  const auto held = std::tuple(f.WarpPending, f.RoomNo);
  f.RunPendingWarps();
  EXPECT_EQ(std::tuple(held, Place(f)),
            std::tuple(std::tuple(true, 2), std::tuple(5, 50, 38, 1, true)));

  // Rooms that warp to each other stop after a few hops.
  s.Room(1, "in,\"fg001+01jp006,040,038,002\"\r\n@\r\n");
  s.Room(2, "in,\"fg002+01jp005,050,038,001\"\r\n@\r\n");
  f.Flags(1) = f.Flags(2) = 0;
  s.Run("jp006,040,038,002");
  EXPECT_EQ(std::tuple(f.Flags(1) + f.Flags(2), f.WarpPending, f.Timer1.Enabled),
            std::tuple(1 + 8, false, true));  // the warp and 8 more
}

TEST(EventWarp, WarpsThroughTheComposingTickNestEightDeep) {
  // The thing stands on its "&" cell again in every new scene: each scene's tick warps anew.
  Scene s;
  s.Room(1, "mo,42,38,11,0,0,0,\"\"\r\nev,42,38,\"&jp005,033,038,001\"\r\n@\r\n");
  s.Play(Presses(1000, 60000, 100, "Left"));
  auto& f = s.f();
  const uint32_t loads = f.RoomLoadCount;
  testing::internal::CaptureStderr();
  s.Tick();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::tuple(f.RoomLoadCount - loads, std::count(err.begin(), err.end(), '\n'),
                       f.WarpDepth, f.Timer1.Enabled),
            std::tuple(8u, 1, 0, true))
      << err;
  EXPECT_NE(err.find("room001.rdt: warp to maze 5 room 1 cell (33, 38) dropped"), std::string::npos)
      << err;
}

// A scene behind the window, a key for every message, and the empty window to compare with.
struct Messages : Scene {
  Messages() {
    Play(Presses(1000, 60000));
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
  // A text, a rectangle (a character cell unless sized) and whether anything is drawn there.
  const std::string a18 = Times("あ", 18), u55 = Times("う", 18 * 3 + 1);
  const struct {
    std::string text;
    int x, y;
    bool ink;
    int w = 16, h = 20;
  } cells[] = {
      // clang-format off
      // The 19th character starts the second line; "。" and "、" stay past the 18th cell, the
      // next character is carried over; no "r" is needed for a long text.
      {a18 + "い", 172, 96, true}, {a18 + "い", 460, 76, false},
      {a18 + "。い", 460, 76, true}, {a18 + "。い", 172, 96, true}, {a18 + "。い", 188, 96, false},
      {a18 + "、い", 460, 76, true}, {a18 + "、い", 172, 96, true}, {a18 + "、い", 188, 96, false},
      {u55, 444, 116, true}, {u55, 172, 136, true}, {u55, 188, 136, false},
      // "r" breaks the line; capitals are printed; control letters alone draw nothing.
      {"あrいRBW", 172, 76, true}, {"あrいRBW", 188, 76, false}, {"あrいRBW", 172, 96, true},
      {"あrいRBW", 188, 96, true, 48}, {"rbcwrrb", 0, 0, false, 640, 480},
      // "i" with no number shows icon 0; the pen does not move for the icon; the letter after
      // "f" is skipped unread.
      {"あi", 180, 76, true, 32, 32}, {"i01あ", 172, 76, true, 8}, {"fXあ", 188, 76, false},
      // clang-format on
  };
  for (const auto& c : cells) {
    EXPECT_EQ(m.Count(m.Show(c.text), c.x, c.y, c.w, c.h) > 0, c.ink) << c.text << " " << c.x;
  }
  // Light blue, white, light red ... until changed again.
  auto c = m.Show("bあwいcうえ");
  EXPECT_EQ((std::vector<std::set<int>>{m.Ink(c, 172, 76).second, m.Ink(c, 188, 76).second,
                                        m.Ink(c, 204, 76).second, m.Ink(c, 220, 76).second}),
            (std::vector<std::set<int>>{{18}, {1}, {19}, {19}}));
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
  // The portrait, and nothing else but the one character.
  auto portrait = m.Show("fXあ");
  EXPECT_EQ(std::tuple(m.Count(portrait, 32, 64, 128, 128) > 0, m.Count(portrait, 0, 0, 640, 480)),
            std::tuple(true, m.Count(portrait, 32, 64, 128, 128) + m.Count(portrait, 172, 76)));
}

TEST(MessageWindow, TheSwitchMessageSoundsTheSwitch) {
  Messages m;
  m.Show("r　石のスイッチを押した。");
  EXPECT_EQ(m.Sounds(), std::vector<int>{9});
}

}  // namespace
