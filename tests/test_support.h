// Helpers for tests that drive the real game: temporary game folders, the headless runner
// as a process or in this process, and a small JSON reader for state dumps.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/form1.h"

namespace testing_support {

namespace fs = std::filesystem;

// The built game folder: the executable with bitmap/, wave/, midi/ and map/ beside it.
fs::path BuiltGameDir();
fs::path SourceDir();

// A fresh empty folder under the system's temporary folder, removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Copies the built data folders into dir (a game folder of its own).
void CopyGameData(const fs::path& dir);
void WriteFile(const fs::path& path, const std::string& text);
std::string ReadFile(const fs::path& path);

struct RunResult {
  int status = -1;
  std::string err;
};
// Runs the quelmire executable with the arguments (each quoted), capturing standard error.
RunResult RunQuelmire(const std::vector<std::string>& args);

// The game in this process on the headless platform, with an input script.
struct HeadlessGame {
  HeadlessGame(const fs::path& dataDir, const std::string& script);
  std::unique_ptr<platform::Platform> plat;
  std::unique_ptr<quelmire::Form1> form;
  TempDir scriptDir;
};

// A minimal JSON value for reading state dumps.
struct Json {
  bool b = false;
  double num = 0;
  std::string str;
  std::vector<Json> arr;
  std::map<std::string, Json> obj;

  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t i) const;
  long long Int() const { return static_cast<long long>(num); }
};
Json ParseJson(const std::string& text);

// A maze written by a test: 256 x 256 tile codes, all `fill` at first.
struct MazeFile {
  explicit MazeFile(int fill = 0) : cells(65536, static_cast<int16_t>(fill)) {}
  void Set(int col, int row, int tile) { cells[row * 256 + col] = static_cast<int16_t>(tile); }
  // Cells col0..col1 x row0..row1, inclusive.
  void Fill(int col0, int row0, int col1, int row1, int tile);
  // Writes map/mazNNN.map under the game folder, as 256 lines of 256 comma-separated codes.
  void Write(const fs::path& gameDir, int mazeNo) const;
  std::vector<int16_t> cells;
};

// Writes map/roomNNN.rdt under the game folder.
void WriteRoom(const fs::path& gameDir, int roomNo, const std::string& text);

// Starts play the way the title does: after start-up, the player at (x, y) of the maze, the
// room loaded, 3 of 3 hearts, the title timer off and the play timer on.
void StartPlay(HeadlessGame& game, int maze, int room, int x, int y);

// Runs n play ticks on the 48 ms grid of the virtual clock (script actions apply between
// them as they would in the real loop).
void RunTicks(HeadlessGame& game, int n);

// "ms action" as a script line.
std::string Line(long long ms, const std::string& action);
// "ms press KEY" lines from `from` up to `to` (inclusive), every `step` ms.
std::string Presses(long long from, long long to, long long step = 100, const char* key = "Z");

// Runs `run` to its end (-1) or to the program's exit (its status).
int ExitStatus(const std::function<void()>& run);

// A game folder of the test's own: the bundled data, a maze the test draws (written as mazes 5
// and 6), rooms 1 and 2 ("@" until the test writes them) and the game on the headless
// platform. The input script ends with a state dump at kDumpMs; "@DIR@" in it stands for the
// folder, and its lines may come in any order of time.
struct Scene {
  static constexpr int64_t kDumpMs = 3'000'000;
  // By default a free backdrop (9) over a floor (1) from row 39 down.
  Scene();
  void Room(int no, const std::string& text) const;
  // Writes the maze and makes the game, not yet started up.
  void Make(const std::string& script = "");
  // Make, then start up (the title timer on), or play from (x, y) of maze 5, room 1.
  void Load(const std::string& script = "");
  void Play(const std::string& script = "", int x = 33, int y = 38);
  void Run(const std::string& utf8) { f().RunEventScript(quelmire::FromUtf8(utf8)); }
  quelmire::Form1& f() { return *game->form; }
  quelmire::ObjRecord& obj(int i = 0) { return game->form->Obj(i); }
  int64_t ms() { return game->plat->NowUs() / 1000; }
  void Tick(int n = 1) { RunTicks(*game, n); }
  // The state dump: the clock is run to kDumpMs first (no ticks after this).
  Json State();
  // The effect slots started so far, in order (runs the clock like State).
  std::vector<int> Sounds();
  // The visible surface's pixels now.
  std::vector<uint8_t> Screen();
  // What the shown palette is now, in one word: base, white, black, red or between.
  std::string PaletteLook();
  // A script line that calls `probe` at that time, between the game's own waits.
  std::string Probe(long long ms) const {
    return Line(ms, "state " + (dir / "probe.json").string());
  }
  std::function<void(long long ms)> probe;

  TempDir dir;
  MazeFile maze;
  std::unique_ptr<HeadlessGame> game;
};

}  // namespace testing_support
