// The save file: its exact bytes, the round trip through the reader, and the reader's reports
// on files it cannot take. Writing under faults is in save_faults_test.cpp.
#include <gtest/gtest.h>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::FromUtf8;

void SetGame(quelmire::Form1& f) {
  auto& p = f.Obj(0);
  p.X = 33;
  p.Y = 38;
  p.Kind = 5;
  f.LifeMax = 3;
  f.Life = 3;
  f.RoomNo = 1;
  f.ItemCount.Fill(0);
  f.Flags.Fill(0);
  for (auto& t : f.TakenList) t.clear();
  f.ItemCount(0) = 12;
  f.ItemCount(39) = 255;
  f.ItemCount(40) = 9;  // not saved
  f.Flags(0) = 1;
  f.Flags(511) = 200;
  f.TakenList(0) = FromUtf8(" 12 34 5");
  f.TakenList(511) = FromUtf8(" 7-1 6");
  f.TakenList(512) = FromUtf8(" 1 1 1");  // not saved
}

// The file written out by hand from the format rules.
std::string HandWrittenSave() {
  std::string s = " 33  38  5  3  3  1 \r\n";
  s += " 12 \r\n";
  for (int i = 1; i <= 38; ++i) s += " 0 \r\n";
  s += " 255 \r\n";
  s += " 1 \r\n";
  for (int i = 1; i <= 510; ++i) s += " 0 \r\n";
  s += " 200 \r\n";
  s += "\" 12 34 5\"\r\n";
  for (int i = 1; i <= 510; ++i) s += "\"\"\r\n";
  s += "\" 7-1 6\"\r\n";
  return s;
}

TEST(SaveFile, BytesFollowTheFormat) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f);
  ASSERT_TRUE(f.WriteSaveFile(1));
  const std::string bytes = ReadFile(g.dir / "savedata1.sav");
  EXPECT_TRUE(bytes == HandWrittenSave());
  size_t lines = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) lines += bytes[i] == '\r' && bytes[i + 1] == '\n';
  EXPECT_EQ(lines, 1065u);
  // A negative number keeps its "-" in the sign place.
  f.Obj(0).X = -5;
  EXPECT_EQ(f.SaveFileText().substr(0, 9), "-5  38  5");
  EXPECT_EQ(f.SaveFilePath(3), (g.dir / "savedata3.sav").string());
}

TEST(SaveFile, RoundTripAndEmptyKeys) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f);
  f.Obj(0).X = 100;
  f.Obj(0).Y = 200;
  f.Obj(0).Kind = 6;
  f.LifeMax = 12;
  f.Life = 5;
  f.RoomNo = 2;
  for (int i = 0; i < 40; ++i) f.ItemCount(i) = static_cast<uint8_t>(i * 6);
  for (int i = 0; i < 512; ++i) f.Flags(i) = static_cast<uint8_t>(i % 256);
  for (int i = 0; i < 512; i += 3)
    f.TakenList(i) = quelmire::Str(i) + quelmire::Str(-i) + quelmire::Str(6);
  ASSERT_TRUE(f.WriteSaveFile(2));
  const std::string saved = f.SaveFileText();

  // Another game in between.
  f.Obj(0).X = 33;
  f.Obj(0).Kind = 5;
  f.Life = 1;
  f.RoomNo = 1;
  f.ItemCount.Fill(1);
  f.Flags.Fill(7);
  for (auto& t : f.TakenList) t = FromUtf8("x");
  f.Obj(0).OffX = 4;

  std::string error;
  ASSERT_TRUE(f.ReadSaveFile(2, error)) << error;
  EXPECT_TRUE(f.SaveFileText() == saved);
  EXPECT_EQ(f.Obj(0).X, 100);
  EXPECT_EQ(f.LifeMax, 12);
  EXPECT_EQ(f.Life, 5);
  EXPECT_EQ(f.ItemCount(40), 1);               // not in the file: untouched
  EXPECT_EQ(f.TakenList(512), FromUtf8("x"));  // likewise
  EXPECT_EQ(f.Obj(0).OffX, 4);                 // the title clears the motion fields itself
  EXPECT_TRUE(f.TakenList(1).empty());         // "" reads as an empty text
}

TEST(SaveFile, TheReaderTakesAnySeparatorRun) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f);
  std::string text = f.SaveFileText();
  // Commas, several blanks and bare line feeds are separators too.
  std::string loose;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == '\r') continue;
    loose += (c == ' ' && !quoted) ? std::string(" , ") : std::string(1, c);
  }
  WriteFile(g.dir / "savedata3.sav", loose);
  f.Flags(0) = 0;
  std::string error;
  ASSERT_TRUE(f.ReadSaveFile(3, error)) << error;
  EXPECT_TRUE(f.SaveFileText() == text);
}

TEST(SaveFile, TheReaderReportsFilesItCannotTakeAndChangesNothing) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f);
  const std::string good = f.SaveFileText();
  auto replaceLine = [&](int line, const std::string& with) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) at = good.find("\r\n", at) + 2;
    const size_t end = good.find("\r\n", at);
    return good.substr(0, at) + with + good.substr(end);
  };
  struct Case {
    std::string text, reason;
  };
  const std::vector<Case> cases = {
      {"", "savedata1.sav line 1: the file ends before the column"},
      {good.substr(0, good.size() - 600), "the file ends before TakenList("},
      {good.substr(0, 300), "the file ends before Flags("},
      {good.substr(0, good.size() - 3), "TakenList(511) has no closing double quote"},
      {replaceLine(1, " 33  38  5  3  0  1 "), "line 1: the life is 0, outside 1..3"},
      {replaceLine(1, " 33  38  5  3  4  1 "), "the life is 4, outside 1..3"},
      // More hearts than the status bar shows would overflow at the next heart found.
      {replaceLine(1, " 33  38  5  32767  3  1 "), "the life ceiling is 32767, outside 1..20"},
      {replaceLine(1, " 5  38  5  3  3  1 "), "the column is 5, outside 10..247"},
      {replaceLine(1, " 33  253  5  3  3  1 "), "the row is 253"},
      {replaceLine(1, " 33  38  77  3  3  1 "), "line 1: maze 77 has no file map/maz077.map"},
      {replaceLine(1, " 33  38  5  3  3  999 "), "room 999 has no file map/room999.rdt"},
      {replaceLine(1, " 33  38  5  3  3  -1 "), "the room number is -1"},
      {replaceLine(1, " 33  38  5  3  3  x "), "the room number is \"x\", not a number"},
      {replaceLine(20, " 1.5 "), "line 20: ItemCount(18) is \"1.5\", not a number"},
      {replaceLine(50, " 256 "), "line 50: Flags(8) is 256, outside 0..255"},
      {replaceLine(50, " 99999999999999 "), "Flags(8) is \"99999999999999\", not a number"},
      {replaceLine(50, "\"7\""), "Flags(8) is \"\"7\"\", not a number"},
      {replaceLine(600, " 0 "), "line 600: TakenList(46) is not a quoted text"},
      {replaceLine(600, "\"1\"2"), "TakenList(46) runs on after its closing double quote"},
      {replaceLine(600, "\" 1 2x5\""),
       "TakenList(46) holds a character a taken-item key never has"},
  };
  for (const Case& c : cases) {
    WriteFile(g.dir / "savedata1.sav", c.text);
    std::string error;
    SetGame(f);
    EXPECT_FALSE(f.ReadSaveFile(1, error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error << "\n  wanted: " << c.reason;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_TRUE(f.SaveFileText() == good) << c.reason;  // nothing was stored
  }
  std::string error;
  EXPECT_FALSE(f.ReadSaveFile(3, error));
  EXPECT_EQ(error, "savedata3.sav: cannot be opened");
}

}  // namespace
