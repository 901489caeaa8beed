// Start-up through the real executable and the bundled data: the state it leaves, and the
// reports when a data file is missing or malformed.
#include <gtest/gtest.h>

#include "platform/surface.h"
#include "test_support.h"

namespace {

using namespace testing_support;

TEST(StartUp, LeavesTheTablesPaletteAndTimersAsTheGameExpects) {
  TempDir tmp;
  WriteFile(tmp / "in.txt", "2000 state " + (tmp / "s.json").string() + "\n2000 screenshot " +
                                (tmp / "s.png").string() + "\n");
  RunResult r = RunQuelmire({"--headless", "--input", (tmp / "in.txt").string(), "--max-ms",
                             "2100"});
  ASSERT_EQ(r.status, 0) << r.err;
  Json s = ParseJson(ReadFile(tmp / "s.json"));

  const Json& attr = s["TileAttr"];
  ASSERT_EQ(attr.arr.size(), 160u);
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(attr[i].Int(), 3);
  const int row6[8] = {1, 2, 1, 2, 1, 2, 4, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(attr[48 + i].Int(), row6[i]);
  EXPECT_EQ(attr[159].Int(), 0);
  EXPECT_EQ(attr[29].Int(), 2);
  EXPECT_EQ(attr[76].Int(), 5);
  EXPECT_EQ(attr[146].Int(), 4);

  const Json& names = s["ItemName"];
  ASSERT_EQ(names.arr.size(), 128u);
  EXPECT_EQ(names[0].str, "");
  EXPECT_EQ(names[1].str, "炎の宝珠");
  EXPECT_EQ(names[8].str, "黄金のハート");
  EXPECT_EQ(names[34].str, "妖精の靴");
  for (int i = 35; i <= 127; ++i) EXPECT_EQ(names[i].str, "") << i;

  // Entries 0..254 are chr0.bmp's colours; 255 is never read back, so it stays zero.
  auto chr0 = platform::LoadBmp8((BuiltGameDir() / "bitmap/chr0.bmp").string(), "chr0.bmp");
  for (const char* key : {"BasePalette", "WorkPalette"}) {
    const Json& pal = s[key];
    ASSERT_EQ(pal.arr.size(), 256u);
    for (int i = 0; i < 255; ++i) {
      EXPECT_EQ(pal[i][0].Int(), chr0->filePalette[i].r) << key << i;
      EXPECT_EQ(pal[i][1].Int(), chr0->filePalette[i].g) << key << i;
      EXPECT_EQ(pal[i][2].Int(), chr0->filePalette[i].b) << key << i;
    }
    for (int c = 0; c < 4; ++c) EXPECT_EQ(pal[255][c].Int(), 0) << key;
  }
  // The display keeps entry 255 as loaded.
  EXPECT_EQ(s["display_palette"][255][0].Int(), chr0->filePalette[255].r);

  EXPECT_TRUE(s["Timer2"].b);
  EXPECT_FALSE(s["Timer1"].b);
  EXPECT_FALSE(s["cursor_visible"].b);
  EXPECT_EQ(s["clock_ms"].Int(), 2000);
  for (int i = 0; i <= 9; ++i) EXPECT_TRUE(s["Sound"][i].b);
  for (int i = 10; i <= 19; ++i) EXPECT_FALSE(s["Sound"][i].b);
  EXPECT_EQ(s["JoyPresent"].Int(), 0);
  EXPECT_EQ(s["JoyButtonMask"][9].Int(), 256);
  EXPECT_EQ(s["JoyButtonMask"][0].Int(), 0);

  // The title song was opened and started once the screen had faded to black.
  const Json& music = s["music"];
  bool opened = false, played = false;
  for (const Json& op : music.arr) {
    if (op["op"].str == "open" && op["arg"].str == "midi/vorn01.mid") opened = true;
    if (op["op"].str == "play") {
      played = true;
      EXPECT_EQ(op["ms"].Int(), 10 + 816);  // first title tick, then the fade to black
    }
  }
  EXPECT_TRUE(opened);
  EXPECT_TRUE(played);
  EXPECT_EQ(s["SongNo"].Int(), 1);
  EXPECT_EQ(s["MusicOn"].Int(), -1);

  std::string png = ReadFile(tmp / "s.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  // Width and height in the IHDR chunk.
  auto be32 = [&](size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) |
           (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 640);
  EXPECT_EQ(be32(20), 480);
}

struct BadData {
  const char* remove;   // file to delete from the game folder
  const char* replace;  // file to overwrite with a 24-bit picture
  const char* named;    // what the report must name
};

void PrintTo(const BadData& bad, std::ostream* os) { *os << bad.named; }

class StartUpFailure : public ::testing::TestWithParam<BadData> {};

TEST_P(StartUpFailure, StopsWithStatusOneNamingTheFile) {
  TempDir dir;
  CopyGameData(dir.path());
  const BadData& bad = GetParam();
  if (bad.remove) fs::remove(dir / bad.remove);
  if (bad.replace) {
    // A valid 2 x 2 BMP of 24 bits per pixel.
    std::string bmp = "BM";
    auto le32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) bmp += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto le16 = [&](uint16_t v) {
      bmp += static_cast<char>(v & 0xFF);
      bmp += static_cast<char>(v >> 8);
    };
    le32(54 + 16), le32(0), le32(54), le32(40), le32(2), le32(2), le16(1), le16(24), le32(0),
        le32(16), le32(2835), le32(2835), le32(0), le32(0);
    bmp += std::string(16, '\x7f');
    WriteFile(dir / bad.replace, bmp);
  }
  RunResult r = RunQuelmire({"--headless", "--data", dir.path().string(), "--max-ms", "500"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(bad.named), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, StartUpFailure,
    ::testing::Values(BadData{"bitmap/bgv.bmp", nullptr, "bgv.bmp"},
                      BadData{"bitmap/chr0.bmp", nullptr, "chr0.bmp"},
                      BadData{nullptr, "bitmap/title.bmp", "title.bmp"},
                      BadData{"wave/door.wav", nullptr, "door.wav"},
                      BadData{nullptr, "wave/switch.wav", "switch.wav"}),
    [](const ::testing::TestParamInfo<BadData>& info) {
      std::string name = std::string(info.param.remove ? "Missing_" : "Malformed_") +
                         info.param.named;
      for (char& c : name) {
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

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
  EXPECT_EQ(RunQuelmire({"--bogus"}).status, 2);
  EXPECT_EQ(RunQuelmire({"--headless", "--max-ms", "soon"}).status, 2);
  EXPECT_EQ(RunQuelmire({"--input", "x.txt"}).status, 2);
  TempDir tmp;
  WriteFile(tmp / "bad.txt", "100 press Space\n50 press Z\n");
  RunResult r = RunQuelmire({"--headless", "--input", (tmp / "bad.txt").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("2"), std::string::npos) << r.err;  // names the line
  EXPECT_EQ(RunQuelmire({"--help"}).status, 0);
}

}  // namespace
