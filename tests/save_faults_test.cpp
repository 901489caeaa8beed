// The save file's exact bytes and what the reader takes back; the save prompt's keys (the
// cursor wraps and moves one step per press, Left or Right leaves, confirming on "no save"
// saves nothing, a save that fails says so and plays on); and saves under faults: a game killed
// while saving, a full disk, and save files edited, cut short or pushed to their bounds by hand,
// with the reader's reports on what it cannot take.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "test_support.h"

namespace {

using namespace testing_support;
using SaveStep = quelmire::Form1::SaveStep;

// Two games that differ in every part of the file.
void SetGame(quelmire::Form1& f, int k) {
  auto& p = f.Obj(0);
  std::tie(p.X, p.Y, p.Kind, f.LifeMax, f.Life, f.RoomNo) =
      std::tuple(33 + k, 38, 5 + k, 3 + k, 3, 1 + k);
  for (int i = 0; i <= 39; ++i) f.ItemCount(i) = static_cast<uint8_t>(i * k);
  for (int i = 0; i <= 511; ++i) f.Flags(i) = static_cast<uint8_t>((i + k) % 3);
  for (int i = 0; i <= 511; ++i) f.TakenList(i) = k ? U" 12 34 6" : U"";
}

// Runs body in a child process; its exit status (-1 when it did not exit).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SaveFile, BytesFollowTheFormat) {
  Scene s;
  s.Load();
  auto& f = s.f();
  std::tie(f.Obj(0).X, f.Obj(0).Y, f.Obj(0).Kind, f.LifeMax, f.Life, f.RoomNo) =
      std::tuple(33, 38, 5, 3, 3, 1);
  f.ItemCount.Fill(0);
  f.Flags.Fill(0);
  for (auto& t : f.TakenList) t.clear();
  std::tie(f.ItemCount(0), f.ItemCount(39), f.Flags(0), f.Flags(511)) = std::tuple(12, 255, 1, 200);
  // Item 40 and key 512 are not saved.
  std::tie(f.TakenList(0), f.TakenList(511), f.ItemCount(40), f.TakenList(512)) =
      std::tuple(U" 12 34 5", U" 7-1 6", 9, U" 1 1 1");
  ASSERT_TRUE(f.WriteSaveFile(1));
  // The file written out by hand from the format rules.
  std::string want = " 33  38  5  3  3  1 \r\n 12 \r\n";
  for (int i = 1; i <= 38; ++i) want += " 0 \r\n";
  want += " 255 \r\n 1 \r\n";
  for (int i = 1; i <= 510; ++i) want += " 0 \r\n";
  want += " 200 \r\n\" 12 34 5\"\r\n";
  for (int i = 1; i <= 510; ++i) want += "\"\"\r\n";
  EXPECT_TRUE(ReadFile(s.dir / "savedata1.sav") == want + "\" 7-1 6\"\r\n");
  // A negative number keeps its "-" in the sign place.
  f.Obj(0).X = -5;
  EXPECT_EQ(f.SaveFileText().substr(0, 9), "-5  38  5");
}

TEST(SavePrompt, KeysMoveTheCursorOneStepAPressAndLeave) {
  constexpr int64_t kAny = 1 << 30;
  const struct {
    std::string keys;
    const char* saved;  // the slots that hold a save afterwards
    int64_t minMs, maxMs;
    bool fails = false;  // every step of the save fails
  } cases[] = {
      // clang-format off
      // Confirming at once on "no save"; Up wraps to slot 3, whose label shows 800 ms; four
      // Downs wrap to "no save"; held: one step; the joystick; both at once: no move; Left,
      // Right or the joystick's left leave.
      {"1000 down Z\n", "", 0, 1010}, {"1100 press Up\n1300 press Enter\n", "3", 1300 + 800, kAny},
      {Presses(1100, 1400, 100, "Down") + "1500 press Space\n1600 quit\n", "", 0, 1600},
      {"1100 down Down\n1900 up Down\n2000 press Z\n", "1", 0, kAny},
      {"0 joystick on\n1100 press Down\n1200 press JoyDown\n1300 press JoyButton1\n", "2", 0, kAny},
      {"1100 down Up\n1100 down Down\n1300 up Up\n1300 up Down\n1400 press Z\n1500 quit\n", "",
       0, 1500},
      {"1100 press Down\n1200 down Left\n1300 down Z\n", "", 0, 1250},
      {"1100 press Down\n1200 down Right\n1300 down Z\n", "", 0, 1250},
      {"0 joystick on\n1100 press Down\n1200 down JoyLeft\n1300 down Z\n", "", 0, 1250},
      // A save that fails: the old file stays, and the player reads the line and presses a key.
      {"1100 press Down\n1200 down Z\n1500 up Z\n1600 press Z\n", "1", 1600, 1650, true},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    Scene s;
    s.Play(c.keys);
    s.Tick();  // a scene behind the prompt
    auto& f = s.f();
    if (c.fails) {
      WriteFile(s.dir / "savedata1.sav", "the old save\r\n");
      f.SaveFault = [](quelmire::Form1::SaveStep) { return ENOSPC; };
    }
    f.Sleep(static_cast<int>(1000 - s.ms()));
    const std::vector<uint8_t> before = s.Screen();
    f.RunSavePrompt();
    std::string saved;
    for (std::string n : {"1", "2", "3"})
      saved += fs::exists(s.dir / ("savedata" + n + ".sav")) ? n : "";
    // The picture behind the prompt is put back.
    EXPECT_EQ(std::tuple(saved, s.ms() >= c.minMs && s.ms() < c.maxMs, s.Screen() == before),
              std::tuple(c.saved, true, true))
        << s.ms();
    EXPECT_TRUE(!c.fails || ReadFile(s.dir / "savedata1.sav") == "the old save\r\n");
  }
}

TEST(SaveFaults, AGameKilledWhileSavingLeavesTheOldOrTheNewSaveWhole) {
  Scene s;
  s.Load();
  auto& f = s.f();
  SetGame(f, 0);
  ASSERT_TRUE(f.WriteSaveFile(1));
  const std::string oldSave = ReadFile(s.dir / "savedata1.sav");
  SetGame(f, 1);
  const std::string newSave = f.SaveFileText();
  // 200 moments: the open, 195 pieces of the text, the flush, the close, the rename and
  // after the rename (a moment past the end lets the save complete).
  f.SavePiece = (newSave.size() + 194) / 195;
  const int pieces = static_cast<int>((newSave.size() + f.SavePiece - 1) / f.SavePiece);
  int olds = 0, news = 0;
  for (int moment = 0; moment < 200; ++moment) {
    WriteFile(s.dir / "savedata1.sav", oldSave);
    const pid_t pid = fork();
    if (pid == 0) {
      int calls = 0;
      f.SaveFault = [&](SaveStep) {
        if (calls++ == moment) raise(SIGSTOP);  // the parent kills it here
        return 0;
      };
      _exit(f.WriteSaveFile(1) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, WUNTRACED);
    if (WIFSTOPPED(status)) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    const std::string slot = ReadFile(s.dir / "savedata1.sav");
    ASSERT_TRUE(slot == oldSave || slot == newSave) << "moment " << moment;
    (slot == oldSave ? olds : news)++;
    EXPECT_EQ(s.game->plat->ListFiles(s.dir.path().string(), ".sav"),
              std::vector<std::string>{"savedata1.sav"});
  }
  EXPECT_EQ(olds, pieces + 4);  // every moment up to the rename
  EXPECT_GE(news, 1);

  // A half-written temporary file from a kill does not trouble the next start: the title
  // lists slot 1 alone and loads it.
  WriteFile(s.dir / "savedata1.sav.tmp", newSave.substr(0, 1000));
  WriteFile(s.dir / "in.txt", "1000 down Z\n3000 state " + (s.dir / "s.json").string() + "\n");
  RunResult r = RunQuelmire({"--headless", "--data", s.dir.path().string(), "--input",
                             (s.dir / "in.txt").string(), "--max-ms", "3001"});
  ASSERT_EQ(r.status, 0) << r.err;
  Json state = ParseJson(ReadFile(s.dir / "s.json"));
  EXPECT_EQ(std::tuple(state["Timer1"].b, state["Obj"][0]["X"].Int(), state["LifeMax"].Int()),
            std::tuple(true, 34, 4));
  // And the next save replaces the leftover.
  f.SaveFault = nullptr;
  ASSERT_TRUE(f.WriteSaveFile(1));
  EXPECT_FALSE(fs::exists(s.dir / "savedata1.sav.tmp"));
}

// Fills a folder on a tiny tmpfs (in a mount namespace of its own) and saves into it. 77 when
// this machine allows no such mount.
int SaveOntoAFullTmpfs(quelmire::Form1& f, const fs::path& dir) {
  const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return 77;
  WriteFile("/proc/self/setgroups", "deny");
  WriteFile("/proc/self/uid_map", "0 " + uid + " 1");
  WriteFile("/proc/self/gid_map", "0 " + gid + " 1");
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("none", dir.c_str(), "tmpfs", 0, "size=16k") != 0) {
    return 77;
  }
  f.SaveFolder = dir.string();
  SetGame(f, 0);
  if (!f.WriteSaveFile(2)) return 10;
  const std::string oldSave = ReadFile(dir / "savedata2.sav");
  const int fill = open((dir / "fill").c_str(), O_WRONLY | O_CREAT, 0644);
  for (const std::string block(512, 'x'); write(fill, block.data(), block.size()) > 0;) continue;
  close(fill);
  SetGame(f, 1);
  if (f.WriteSaveFile(2) || ReadFile(dir / "savedata2.sav") != oldSave) return 11;
  return fs::exists(dir / "savedata2.sav.tmp") ? 12 : 0;
}

TEST(SaveFaults, AFullDiskOrAFailedStepKeepsTheOldSaveAndIsNeverSuccess) {
  Scene s;
  s.Load();
  auto& f = s.f();
  const fs::path slot1 = s.dir / "savedata1.sav", tmp1 = s.dir / "savedata1.sav.tmp";
  const std::string oldSave = "the old save\r\n";
  // Each case saves over the old save with one step failing: never success, the old save whole.
  auto failAt = [&f](SaveStep step, int err, int after = 0) {
    return [&f, step, err, after] {
      int seen = 0;
      f.SaveFault = [=](SaveStep s) mutable { return s == step && seen++ >= after ? err : 0; };
      return f.WriteSaveFile(1);
    };
  };
  const std::pair<const char*, std::function<bool()>> cases[] = {
      {"open refused", failAt(SaveStep::Open, EACCES)},
      {"disk full after 3 pieces", failAt(SaveStep::Write, ENOSPC, 3)},
      {"flush fails", failAt(SaveStep::Flush, EIO)},
      {"close fails", failAt(SaveStep::Close, EIO)},
      {"rename fails", failAt(SaveStep::Rename, EXDEV)},
      {"slot name taken by a folder",
       [&] { return fs::remove(slot1), fs::create_directories(slot1 / "x"), f.WriteSaveFile(1); }},
      // A real short write: the file-size limit lets the first write take 1000 bytes and
      // refuses the rest, as a disk that fills up mid-save does.
      {"short write",
       [&] {
         f.SavePiece = 0;
         return InChild([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{1000, 1000};
                  setrlimit(RLIMIT_FSIZE, &limit);
                  return f.WriteSaveFile(1) ? 1 : 0;
                }) != 0;
       }},
  };
  for (const auto& [what, save] : cases) {
    fs::remove_all(slot1);
    WriteFile(slot1, oldSave);
    f.SavePiece = 100;
    EXPECT_FALSE(save()) << what;
    EXPECT_TRUE(fs::is_directory(slot1) || ReadFile(slot1) == oldSave) << what;
    EXPECT_FALSE(fs::exists(tmp1)) << what;
    f.SaveFault = nullptr;
  }
  f.SavePiece = 0;

  // A real full disk, where this machine lets a test mount one.
  fs::create_directories(s.dir / "small");
  const int tmpfs = InChild([&] { return SaveOntoAFullTmpfs(f, s.dir / "small"); });
  EXPECT_TRUE(tmpfs == 0 || tmpfs == 77) << tmpfs;
}

// A save written by the game, then cut short or edited by hand: it loads exactly what the file
// says, or it is refused with one line naming the file, the line and the fault, and the game
// is unchanged. What loads can be played.
TEST(SaveFaults, EditedOrCutSavesLoadExactlyOrAreRefused) {
  Scene s;
  s.maze.Fill(247, 251, 247, 252, 9);  // open at the last column and row the view can follow
  s.Load();
  auto& f = s.f();
  SetGame(f, 1);
  ASSERT_TRUE(f.WriteSaveFile(1));
  const std::string good = ReadFile(s.dir / "savedata1.sav");
  SetGame(f, 0);
  const std::string before = f.SaveFileText();
  // A reader that stores as it goes changes the game before it refuses.
  auto refusedCleanly = [&](const std::string& error) {
    return error.rfind("savedata1.sav line ", 0) == 0 && error.find('\n') == std::string::npos &&
           f.SaveFileText() == before;
  };
  // Cut at every byte of the lines where the parts meet (place, items, flags, keys, the end)
  // and at the start of every 8th line between: one parse costs some milliseconds under the
  // sanitizers, so all 9,000 cuts would take a quarter of a minute.
  int loaded = 0;
  for (size_t at = 0, line = 1; at < good.size(); at = good.find('\n', at) + 1, ++line) {
    const bool meet =
        line <= 2 || (line >= 40 && line <= 43) || (line >= 552 && line <= 555) || line >= 1063;
    if (!meet && line % 8 != 0) continue;
    for (size_t n = at; n < (meet ? good.find('\n', at) + 1 : at + 1); ++n) {
      WriteFile(s.dir / "savedata1.sav", good.substr(0, n));
      std::string error;
      if (f.ReadSaveFile(1, error)) {  // only the last line end is missing
        ASSERT_TRUE(f.SaveFileText() == good) << "cut at " << n;
        ++loaded;
        SetGame(f, 0);
      } else {
        ASSERT_TRUE(refusedCleanly(error)) << "cut at " << n << ": " << error;
      }
    }
  }
  EXPECT_LE(loaded, 3);

  // Line 1 holds column, row, maze, life ceiling, life and room; then items, flags and keys.
  auto edited = [&](int line, const std::string& with) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) at = good.find("\r\n", at) + 2;
    return good.substr(0, at) + with + good.substr(good.find("\r\n", at));
  };
  // Commas, several blanks and bare line feeds are separators too.
  std::string loose;
  bool quoted = false;
  for (char c : good) {
    quoted ^= c == '"';
    if (c != '\r') loose += c == ' ' && !quoted ? std::string(" , ") : std::string(1, c);
  }
  auto place = [&](const std::string& line1) { return edited(1, line1); };
  // The text and what the report says; "" for a file that loads.
  const std::pair<std::string, std::string> cases[] = {
      // clang-format off
      {loose, ""}, {place(" 10  10  6  1  1  2 "), ""}, {place(" 247  252  6  20  20  2 "), ""},
      {place("+34,38,6,4,3,2"), ""}, {edited(2, " 255 "), ""}, {edited(1065, "\"-1-1-1\""), ""},
      {edited(1065, "\"" + std::string(4000, '1') + "\""), ""},
      {"", "line 1: the file ends before the column"},
      {good.substr(0, good.size() - 600), "the file ends before TakenList("},
      {good.substr(0, 300), "the file ends before Flags("},
      {good.substr(0, good.size() - 3), "TakenList(511) has no closing double quote"},
      {place(" 9  38  6  4  3  2 "), "line 1: the column is 9, outside 10..247"},
      {place(" 248  38  6  4  3  2 "), "the column is 248"},
      {place(" 34  9  6  4  3  2 "), "the row is 9"},
      {place(" 34  253  6  4  3  2 "), "the row is 253"},
      {place(" 34  38  -1  4  3  2 "), "the maze number is -1, outside 0..999"},
      {place(" 34  38  1000  4  3  2 "), "the maze number is 1000"},
      {place(" 34  38  77  4  3  2 "), "maze 77 has no file map/maz077.map"},
      // Inside rock (the floor from row 39 down) she could never move again.
      {place(" 34  39  6  4  3  2 "), "line 1: the cell (34, 39) of maze 6 is rock (tile 1)"},
      // More hearts than the status bar shows would overflow at the next heart found.
      {place(" 34  38  6  32767  3  2 "), "the life ceiling is 32767, outside 1..20"},
      {place(" 34  38  6  32768  3  2 "), "the life ceiling is 32768"},
      {place(" 34  38  6  0  0  2 "), "the life ceiling is 0"},
      {place(" 34  38  6  4  5  2 "), "the life is 5, outside 1..4"},
      {place(" 34  38  6  4  0  2 "), "the life is 0"},
      {place(" 10  10  5  1  1  0 "), "room 0 has no file map/room000.rdt"},
      {place(" 34  38  6  4  3  999 "), "room 999 has no file map/room999.rdt"},
      {place(" 34  38  6  4  3  65538 "), "the room number is 65538"},
      {place(" 34  38  6  4  3  -1 "), "the room number is -1"},
      {place(" 34  38  6  4  3  x "), "the room number is \"x\", not a number"},
      {edited(2, " 256 "), "line 2: ItemCount(0) is 256, outside 0..255"},
      {edited(20, " 1.5 "), "line 20: ItemCount(18) is \"1.5\", not a number"},
      {edited(41, " -1 "), "line 41: ItemCount(39) is -1"},
      {edited(50, " 99999999999999 "), "Flags(8) is \"99999999999999\", not a number"},
      {edited(50, "\"7\""), "Flags(8) is \"\"7\"\", not a number"},
      {edited(553, " 0x1 "), "line 553: Flags(511) is \"0x1\", not a number"},
      {edited(600, " 0 "), "line 600: TakenList(46) is not a quoted text"},
      {edited(600, "\"1\"2"), "TakenList(46) runs on after its closing double quote"},
      {edited(600, "\" 1 2x5\""), "TakenList(46) holds a character a taken-item key never has"},
      {edited(1065, "\"\\\""), "TakenList(511) holds a character"},
      // clang-format on
  };
  for (const auto& [text, report] : cases) {
    SCOPED_TRACE(text.substr(0, 40) + " / " + report);
    WriteFile(s.dir / "savedata1.sav", text);
    std::string error;
    SetGame(f, 0);
    const bool ok = f.ReadSaveFile(1, error);
    EXPECT_EQ(ok, report.empty()) << error;
    if (!ok) {
      EXPECT_TRUE(error.find(report) != std::string::npos && refusedCleanly(error)) << error;
      continue;
    }
    EXPECT_TRUE(text != loose || f.SaveFileText() == good);
    // What loads is played: the title's hand-over, then some ticks.
    f.LoadMazeMap();
    f.LoadRoomData();
    f.RunPendingWarps();
    EXPECT_NO_THROW(RunTicks(*s.game, 40));
  }
  std::string error;
  EXPECT_TRUE(!f.ReadSaveFile(3, error) && error == "savedata3.sav: cannot be opened") << error;
  // A slot larger than any save, even one padded with blanks, is refused before it is read.
  WriteFile(s.dir / "savedata2.sav", good + std::string(70000, ' '));
  EXPECT_TRUE(!f.ReadSaveFile(2, error) && error.rfind("savedata2.sav: 78956 bytes, more", 0) == 0)
      << error;
}

}  // namespace
