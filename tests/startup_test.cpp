// Start-up through the real executable and the bundled data: the state it leaves, and the
// reports when a data file is missing or malformed.
#include <gtest/gtest.h>

#include "media_builders.h"
#include "platform/surface.h"
#include "png_reader.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(StartUp, LeavesTheTablesPaletteAndTimersAsTheGameExpects) {
  TempDir tmp;
  WriteFile(tmp / "in.txt", "2000 state " + (tmp / "s.json").string() + "\n2000 screenshot " +
                                (tmp / "s.png").string() + "\n");
  RunResult r =
      RunQuelmire({"--headless", "--input", (tmp / "in.txt").string(), "--max-ms", "2100"});
  ASSERT_EQ(r.status, 0) << r.err;
  Json s = ParseJson(ReadFile(tmp / "s.json"));
  auto ints = [&](const char* key, std::vector<int> at) {
    for (int& i : at) i = static_cast<int>(s[key][static_cast<size_t>(i)].Int());
    return at;
  };
  // Tile classes: the first row solid, row 6 alternating, and a few others.
  ASSERT_EQ(s["TileAttr"].arr.size(), 160u);
  EXPECT_EQ(ints("TileAttr", {0, 7, 48, 49, 50, 51, 52, 53, 54, 55, 159, 29, 76, 146}),
            (std::vector<int>{3, 3, 1, 2, 1, 2, 1, 2, 4, 0, 0, 2, 5, 4}));
  const Json& names = s["ItemName"];
  ASSERT_EQ(names.arr.size(), 128u);
  EXPECT_EQ(std::tuple(names[0].str, names[1].str, names[8].str, names[34].str),
            std::tuple("", "炎の宝珠", "黄金のハート", "妖精の靴"));
  for (int i = 35; i <= 127; ++i) EXPECT_EQ(names[i].str, "") << i;

  // Entries 0..254 are chr0.bmp's colours; 255 is never read back, so it stays zero, while
  // the display keeps it as loaded.
  auto chr0 = platform::LoadBmp8((BuiltGameDir() / "bitmap/chr0.bmp").string(), "chr0.bmp");
  for (const char* key : {"BasePalette", "WorkPalette"}) {
    const Json& pal = s[key];
    ASSERT_EQ(pal.arr.size(), 256u);
    for (int i = 0; i < 256; ++i) {
      const auto& e = i < 255 ? chr0->filePalette[i] : platform::PaletteEntry{};
      EXPECT_EQ(std::tuple(pal[i][0].Int(), pal[i][1].Int(), pal[i][2].Int(), pal[i][3].Int()),
                std::tuple(e.r, e.g, e.b, 0))
          << key << i;
    }
  }
  EXPECT_EQ(s["display_palette"][255][0].Int(), chr0->filePalette[255].r);
  EXPECT_EQ(std::tuple(s["Timer2"].b, s["Timer1"].b, s["cursor_visible"].b, s["clock_ms"].Int()),
            std::tuple(true, false, false, 2000));
  for (int i = 0; i <= 19; ++i) EXPECT_EQ(s["Sound"][i].b, i <= 9) << i;
  EXPECT_EQ(ints("JoyButtonMask", {9, 0}), (std::vector<int>{256, 0}));
  EXPECT_EQ(s["JoyPresent"].Int(), 0);

  // The title song was opened, and started once the first title tick had faded to black.
  bool opened = false, played = false;
  for (const Json& op : s["music"].arr) {
    opened |= op["op"].str == "open" && op["arg"].str == "midi/vorn01.mid";
    if (op["op"].str != "play") continue;
    played = true;
    EXPECT_EQ(op["ms"].Int(), 10 + 816);
  }
  EXPECT_TRUE(opened && played);
  EXPECT_EQ(std::tuple(s["SongNo"].Int(), s["MusicOn"].Int()), std::tuple(1, -1));
  const auto png = png_reader::DecodeStoredPng(ReadFile(tmp / "s.png"));
  EXPECT_EQ(std::tuple(png.width, png.height), std::tuple(640u, 480u));
}

TEST(StartUp, AMissingOrMalformedFileStopsWithStatusOneNamingIt) {
  // Removed, or overwritten with a valid 2 x 2 picture of 24 bits per pixel.
  const std::pair<const char*, bool> cases[] = {{"bitmap/bgv.bmp", false},
                                                {"bitmap/chr0.bmp", false},
                                                {"bitmap/title.bmp", true},
                                                {"wave/door.wav", false},
                                                {"wave/switch.wav", true}};
  for (const auto& [file, malformed] : cases) {
    TempDir dir;
    CopyGameData(dir.path());
    fs::remove(dir / file);
    if (malformed)
      WriteFile(dir / file, media_builders::Bmp({.width = 2, .height = 2, .bits = 24}));
    RunResult r = RunQuelmire({"--headless", "--data", dir.path().string(), "--max-ms", "500"});
    EXPECT_EQ(r.status, 1) << file;
    EXPECT_NE(r.err.find(fs::path(file).filename().string()), std::string::npos) << r.err;
  }
}

TEST(StartUp, FailureStopsBeforeTheTitleAndKeepsTheCursor) {
  TempDir dir;
  CopyGameData(dir.path());
  fs::remove(dir / "bitmap/ending2.bmp");
  HeadlessGame g(dir.path(), "");
  EXPECT_THROW(g.form->Form_Load(), platform::FatalError);
  EXPECT_FALSE(g.form->Timer2.Enabled);
  EXPECT_EQ(g.form->TileAttr(0), 0);  // the tables come after the bitmaps
}

TEST(CommandLine, BadArgumentsAndScriptsGiveStatusTwo) {
  TempDir tmp;
  WriteFile(tmp / "bad.txt", "100 press Space\n50 press Z\n");
  const std::vector<std::string> bad[] = {{"--bogus"},
                                          {"--headless", "--max-ms", "soon"},
                                          {"--input", "x.txt"},
                                          {"--headless", "--input", (tmp / "bad.txt").string()}};
  for (const auto& args : bad) {
    const RunResult r = RunQuelmire(args);
    EXPECT_EQ(r.status, 2) << args[0];
    if (args.back().find("bad.txt") != std::string::npos) {
      EXPECT_NE(r.err.find("bad.txt:2:"), std::string::npos) << r.err;  // names the line
    }
  }
  EXPECT_EQ(RunQuelmire({"--help"}).status, 0);
}

}  // namespace
