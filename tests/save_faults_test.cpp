// Saves under faults: a game killed while saving, a full disk, and save files edited, cut short
// or pushed to their bounds by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "events_support.h"

namespace {

using namespace events_test;
using quelmire::FromUtf8;
using SaveStep = quelmire::Form1::SaveStep;

// Two games that differ in every part of the file.
void SetGame(quelmire::Form1& f, int k) {
  auto& p = f.Obj(0);
  p.X = static_cast<int16_t>(33 + k);
  p.Y = 38;
  p.Kind = static_cast<int16_t>(5 + k);
  f.LifeMax = static_cast<int16_t>(3 + k);
  f.Life = 3;
  f.RoomNo = static_cast<int16_t>(1 + k);
  for (int i = 0; i <= 39; ++i) f.ItemCount(i) = static_cast<uint8_t>(i * k);
  for (int i = 0; i <= 511; ++i) f.Flags(i) = static_cast<uint8_t>((i + k) % 3);
  for (int i = 0; i <= 511; ++i) f.TakenList(i) = k ? FromUtf8(" 12 34 6") : FromUtf8("");
}

// Runs body in a child process; its exit status (-1 when it did not exit).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SaveFaults, AGameKilledWhileSavingLeavesTheOldOrTheNewSaveWhole) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f, 0);
  ASSERT_TRUE(f.WriteSaveFile(1));
  const std::string oldSave = ReadFile(g.dir / "savedata1.sav");
  SetGame(f, 1);
  const std::string newSave = f.SaveFileText();
  // 200 moments: the open, 195 pieces of the text, the flush, the close, the rename and
  // after the rename (a moment past the end lets the save complete).
  f.SavePiece = (newSave.size() + 194) / 195;
  const int pieces = static_cast<int>((newSave.size() + f.SavePiece - 1) / f.SavePiece);
  int olds = 0, news = 0;
  for (int moment = 0; moment < 200; ++moment) {
    WriteFile(g.dir / "savedata1.sav", oldSave);
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
    const std::string slot = ReadFile(g.dir / "savedata1.sav");
    ASSERT_TRUE(slot == oldSave || slot == newSave) << "moment " << moment;
    (slot == oldSave ? olds : news)++;
    EXPECT_EQ(g.game->plat->ListFiles(g.dir.path().string(), ".sav"),
              std::vector<std::string>{"savedata1.sav"});
  }
  EXPECT_EQ(olds, pieces + 4);  // every moment up to the rename
  EXPECT_GE(news, 1);

  // A half-written temporary file from a kill does not trouble the next start: the title
  // lists slot 1 alone and loads it.
  WriteFile(g.dir / "savedata1.sav.tmp", newSave.substr(0, 1000));
  WriteFile(g.dir / "in.txt", "1000 down Z\n3000 state " + (g.dir / "s.json").string() + "\n");
  RunResult r = RunQuelmire({"--headless", "--data", g.dir.path().string(), "--input",
                             (g.dir / "in.txt").string(), "--max-ms", "3001"});
  ASSERT_EQ(r.status, 0) << r.err;
  Json s = ParseJson(ReadFile(g.dir / "s.json"));
  EXPECT_TRUE(s["Timer1"].b);
  EXPECT_EQ(s["Obj"][0]["X"].Int(), 34);
  EXPECT_EQ(s["LifeMax"].Int(), 4);
  // And the next save replaces the leftover.
  f.SaveFault = nullptr;
  ASSERT_TRUE(f.WriteSaveFile(1));
  EXPECT_FALSE(std::filesystem::exists(g.dir / "savedata1.sav.tmp"));
}

// Fills a folder on a tiny tmpfs (in a mount namespace of its own) and saves into it. 77 when
// this machine allows no such mount.
int SaveOntoAFullTmpfs(quelmire::Form1& f, const fs::path& dir) {
  const uid_t uid = geteuid();
  const gid_t gid = getegid();
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return 77;
  WriteFile("/proc/self/setgroups", "deny");
  WriteFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
  WriteFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("none", dir.c_str(), "tmpfs", 0, "size=16k") != 0) {
    return 77;
  }
  f.SaveFolder = dir.string();
  SetGame(f, 0);
  if (!f.WriteSaveFile(2)) return 10;
  const std::string oldSave = ReadFile(dir / "savedata2.sav");
  const int fill = open((dir / "fill").c_str(), O_WRONLY | O_CREAT, 0644);
  const std::string block(512, 'x');
  while (write(fill, block.data(), block.size()) > 0) {
  }
  close(fill);
  SetGame(f, 1);
  if (f.WriteSaveFile(2)) return 11;
  if (ReadFile(dir / "savedata2.sav") != oldSave) return 12;
  return fs::exists(dir / "savedata2.sav.tmp") ? 13 : 0;
}

TEST(SaveFaults, AFullDiskOrAFailedStepKeepsTheOldSaveAndIsNeverSuccess) {
  // Room 1: a warp, with its save prompt, on the start cell.
  EventGame g("", "ev,33,38,\"jp005,033,038,001\"\r\n@\r\n");
  g.Load();
  auto& f = g.f();
  const std::string oldSave = "the old save\r\n";
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  auto failAt = [&](SaveStep step, int err, int after = 0) {
    return [&f, step, err, after] {
      int seen = 0;
      f.SaveFault = [=](SaveStep s) mutable { return s == step && seen++ >= after ? err : 0; };
    };
  };
  const std::vector<Case> cases = {
      {"open refused", failAt(SaveStep::Open, EACCES)},
      {"disk full after 3 pieces", failAt(SaveStep::Write, ENOSPC, 3)},
      {"flush fails", failAt(SaveStep::Flush, EIO)},
      {"close fails", failAt(SaveStep::Close, EIO)},
      {"rename fails", failAt(SaveStep::Rename, EXDEV)},
      {"slot name taken by a folder",
       [&] {
         fs::remove(g.dir / "savedata1.sav");
         fs::create_directories(g.dir / "savedata1.sav" / "x");
       }},
  };
  for (const Case& c : cases) {
    fs::remove_all(g.dir / "savedata1.sav");
    WriteFile(g.dir / "savedata1.sav", oldSave);
    f.SavePiece = 100;
    c.arrange();
    const bool folder = fs::is_directory(g.dir / "savedata1.sav");
    EXPECT_FALSE(f.WriteSaveFile(1)) << c.what;
    if (!folder) {
      EXPECT_EQ(ReadFile(g.dir / "savedata1.sav"), oldSave) << c.what;
    }
    EXPECT_FALSE(fs::exists(g.dir / "savedata1.sav.tmp")) << c.what;
    f.SaveFault = nullptr;
  }
  fs::remove_all(g.dir / "savedata1.sav");
  f.SavePiece = 0;

  // A real short write: the file-size limit lets the first write take 1000 bytes and refuses
  // the rest, as a disk that fills up mid-save does.
  WriteFile(g.dir / "savedata1.sav", oldSave);
  EXPECT_EQ(InChild([&] {
              signal(SIGXFSZ, SIG_IGN);
              const rlimit limit{1000, 1000};
              setrlimit(RLIMIT_FSIZE, &limit);
              return f.WriteSaveFile(1) ? 1 : 0;
            }),
            0);
  EXPECT_EQ(ReadFile(g.dir / "savedata1.sav"), oldSave);
  EXPECT_FALSE(fs::exists(g.dir / "savedata1.sav.tmp"));

  // A real full disk, where this machine lets a test mount one.
  fs::create_directories(g.dir / "small");
  const int tmpfs = InChild([&] { return SaveOntoAFullTmpfs(f, g.dir / "small"); });
  EXPECT_TRUE(tmpfs == 0 || tmpfs == 77) << tmpfs;

  // The game itself under a file-size limit of 1 KiB: LOAD 3, Up on the warp, save into slot 1,
  // which fails and says so; a key, and play goes on to the end of the run.
  fs::remove_all(g.dir / "savedata1.sav");
  SetGame(f, 0);
  ASSERT_TRUE(f.WriteSaveFile(3));
  WriteFile(g.dir / "in.txt",
            "2000 press Up\n2200 press Up\n2400 press Z\n3000 press Up\n5500 press Down\n"
            "5800 press Z\n7000 press Z\n");
  const int status = std::system(("ulimit -f 2; '" + (BuiltGameDir() / "quelmire").string() +
                                  "' --headless --data '" + g.dir.path().string() + "' --input '" +
                                  (g.dir / "in.txt").string() + "' --max-ms 9000 2>'" +
                                  (g.dir / "err.txt").string() + "'")
                                     .c_str());
  EXPECT_EQ(status, 0) << ReadFile(g.dir / "err.txt");
  EXPECT_NE(ReadFile(g.dir / "err.txt").find("savedata1.sav.tmp: write failed"), std::string::npos);
  EXPECT_FALSE(fs::exists(g.dir / "savedata1.sav"));
  EXPECT_FALSE(fs::exists(g.dir / "savedata1.sav.tmp"));
}

// A save written by the game, then cut short or edited by hand: it loads
// exactly what the file says, or it is refused with one line naming the file and the line and
// the game is unchanged. What loads can be played.
TEST(SaveFaults, EditedOrCutSavesLoadExactlyOrAreRefused) {
  EventGame g;
  g.Load();
  auto& f = g.f();
  SetGame(f, 1);
  f.RoomNo = 2;
  ASSERT_TRUE(f.WriteSaveFile(1));
  const std::string good = ReadFile(g.dir / "savedata1.sav");
  SetGame(f, 0);

  // The first and last field of each part: a reader that stores as it goes changes them.
  auto unchanged = [&] {
    return f.Obj(0).X == 33 && f.RoomNo == 1 && f.ItemCount(1) == 0 && f.ItemCount(39) == 0 &&
           f.Flags(0) == 0 && f.Flags(511) == 1 && f.TakenList(0).empty() &&
           f.TakenList(511).empty();
  };
  auto refusedCleanly = [&](const std::string& error) {
    return error.rfind("savedata1.sav line ", 0) == 0 && error.find('\n') == std::string::npos &&
           unchanged();
  };
  // Cut at every byte of the lines where the parts meet (place, items, flags, keys, the end)
  // and at the start of every 8th line between: one parse costs some milliseconds under the
  // sanitizers, so all 9,000 cuts would take a quarter of a minute.
  std::vector<size_t> cuts;
  for (size_t at = 0, line = 1; at < good.size(); at = good.find('\n', at) + 1, ++line) {
    const bool meet =
        line <= 2 || (line >= 40 && line <= 43) || (line >= 552 && line <= 555) || line >= 1063;
    const size_t end = good.find('\n', at) + 1;
    for (size_t n = at; n < (meet ? end : at + 1); ++n) {
      if (meet || line % 8 == 0) cuts.push_back(n);
    }
  }
  int loaded = 0;
  for (size_t n : cuts) {
    WriteFile(g.dir / "savedata1.sav", good.substr(0, n));
    std::string error;
    if (f.ReadSaveFile(1, error)) {
      ASSERT_TRUE(f.SaveFileText() == good) << "cut at " << n;  // only the last line end is missing
      ++loaded;
      SetGame(f, 0);
    } else {
      ASSERT_TRUE(refusedCleanly(error)) << "cut at " << n << ": " << error;
    }
  }
  EXPECT_LE(loaded, 3);

  // Line 1 holds column, row, maze, life ceiling, life and room; then items and flags.
  auto edited = [&](int line, const std::string& with) {
    size_t at = 0;
    for (int l = 1; l < line; ++l) at = good.find("\r\n", at) + 2;
    return good.substr(0, at) + with + good.substr(good.find("\r\n", at));
  };
  struct Case {
    std::string text;
    bool loads;
  };
  const std::vector<Case> cases = {
      {edited(1, " 10  10  5  1  1  0 "), false},  // no room 0 in this game folder
      {edited(1, " 10  10  6  1  1  2 "), true},
      {edited(1, " 247  252  6  20  20  2 "), true},
      {edited(1, "+34,38,6,4,3,2"), true},
      {edited(1, " 9  38  6  4  3  2 "), false},
      {edited(1, " 248  38  6  4  3  2 "), false},
      {edited(1, " 34  9  6  4  3  2 "), false},
      {edited(1, " 34  253  6  4  3  2 "), false},
      {edited(1, " 34  38  -1  4  3  2 "), false},
      {edited(1, " 34  38  1000  4  3  2 "), false},
      {edited(1, " 34  38  6  0  0  2 "), false},
      {edited(1, " 34  38  6  32768  3  2 "), false},
      {edited(1, " 34  38  6  4  5  2 "), false},
      {edited(1, " 34  38  6  4  0  2 "), false},
      {edited(1, " 34  38  6  4  3  1000 "), false},
      {edited(1, " 34  38  6  4  3  65538 "), false},
      {edited(2, " 255 "), true},
      {edited(2, " 256 "), false},
      {edited(41, " -1 "), false},
      {edited(553, " 0x1 "), false},
      {edited(1065, "\"-1-1-1\""), true},
      {edited(1065, "\"\\\""), false},
      {edited(1065, "\"" + std::string(4000, '1') + "\""), true},
  };
  for (const Case& c : cases) {
    WriteFile(g.dir / "savedata1.sav", c.text);
    std::string error;
    SetGame(f, 0);
    const bool ok = f.ReadSaveFile(1, error);
    EXPECT_EQ(ok, c.loads) << c.text.substr(0, 40) << ": " << error;
    if (!ok) {
      EXPECT_TRUE(refusedCleanly(error)) << error;
      continue;
    }
    // What loads is played: the title's hand-over, then some ticks.
    f.LoadMazeMap();
    f.LoadRoomData();
    f.RunPendingWarps();
    EXPECT_NO_THROW(RunTicks(*g.game, 40)) << c.text.substr(0, 40);
  }
}

}  // namespace
