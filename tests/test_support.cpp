#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace testing_support {

fs::path BuiltGameDir() {
  return fs::path(QUELMIRE_BINARY_DIR);
}
fs::path SourceDir() {
  return fs::path(QUELMIRE_SOURCE_DIR);
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = fs::temp_directory_path() /
          ("quelmire-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void CopyGameData(const fs::path& dir) {
  for (const char* sub : {"bitmap", "wave", "midi", "map", "lang"}) {
    fs::create_directories(dir / sub);
    if (fs::exists(BuiltGameDir() / sub))
      fs::copy(BuiltGameDir() / sub, dir / sub, fs::copy_options::recursive);
  }
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
  if (!f) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

RunResult RunQuelmire(const std::vector<std::string>& args) {
  TempDir tmp;
  std::string cmd = "'" + (BuiltGameDir() / "quelmire").string() + "'";
  for (const auto& a : args) cmd += " '" + a + "'";
  cmd += " 2>'" + (tmp / "err.txt").string() + "' >/dev/null";
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(tmp / "err.txt")};
}

HeadlessGame::HeadlessGame(const fs::path& dataDir, const std::string& script) {
  platform::Options options;
  options.dataDir = dataDir.string();
  WriteFile(scriptDir / "input.txt", script);
  options.inputScript = (scriptDir / "input.txt").string();
  plat = platform::CreateHeadlessPlatform(options);
  form = std::make_unique<quelmire::Form1>(*plat, options.dataDir);
  plat->stateDumper = [f = form.get()] { return f->StateJson(); };
}

// ---- JSON ----

namespace {

// The dumps' JSON: objects, arrays, texts (control characters escaped), numbers, true, false
// and null.
struct Parser {
  const std::string& s;
  size_t i = 0;

  [[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(i));
  }
  char Peek() {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    return i < s.size() ? s[i] : '\0';
  }
  void Expect(char c) {
    if (Peek() != c) Fail("unexpected character");
    ++i;
  }
  std::string Str() {
    static const std::string kFrom = "ntrbf\"\\/", kTo = "\n\t\r\b\f\"\\/";
    Expect('"');
    std::string out;
    for (char c; i < s.size() && (c = s[i]) != '"'; ++i) {
      if (c == '\\' && s.compare(i, 2, "\\u") == 0) {
        const unsigned long v = std::stoul(s.substr(i + 2, 4), nullptr, 16);
        if (v >= 0x80) Fail("escape past ASCII");
        c = static_cast<char>(v), i += 5;
      } else if (c == '\\') {
        if (++i >= s.size() || kFrom.find(s[i]) == std::string::npos) Fail("bad escape");
        c = kTo[kFrom.find(s[i])];
      }
      out += c;
    }
    Expect('"');
    return out;
  }
  Json Value() {
    Json v;
    const char c = Peek(), close = c == '{' ? '}' : ']';
    if (c == '{' || c == '[') {
      for (++i; Peek() != close; Peek() == ',' && ++i) {
        if (c == '[') {
          v.arr.push_back(Value());
        } else {
          std::string k = Str();
          Expect(':');
          v.obj[k] = Value();
        }
      }
      Expect(close);
    } else if (c == '"') {
      v.str = Str();
    } else if (std::isalpha(static_cast<unsigned char>(c))) {  // true, false or null
      v.b = c == 't';
      while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
    } else {
      size_t used = 0;
      v.num = std::stod(s.substr(i, 32), &used);
      i += used;
    }
    return v;
  }
};

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  auto it = obj.find(key);
  if (it == obj.end()) throw std::runtime_error("JSON: no key " + key);
  return it->second;
}

const Json& Json::operator[](size_t i) const {
  static const Json missing;
  return i < arr.size() ? arr[i] : missing;
}

Json ParseJson(const std::string& text) {
  return Parser{text}.Value();
}

void MazeFile::Fill(int col0, int row0, int col1, int row1, int tile) {
  for (int r = row0; r <= row1; ++r)
    for (int c = col0; c <= col1; ++c) Set(c, r, tile);
}

// map/<prefix>NNN<suffix> under the game folder, the folder made.
static fs::path MapFile(const fs::path& gameDir, const char* prefix, int no, const char* suffix) {
  fs::create_directories(gameDir / "map");
  return gameDir / "map" / (prefix + std::to_string(1000 + no).substr(1) + suffix);
}

void MazeFile::Write(const fs::path& gameDir, int mazeNo) const {
  std::string text;
  text.reserve(65536 * 4);
  for (int r = 0; r < 256; ++r) {
    for (int c = 0; c < 256; ++c) {
      if (c) text += ',';
      text += std::to_string(cells[r * 256 + c]);
    }
    text += "\r\n";
  }
  WriteFile(MapFile(gameDir, "maz", mazeNo, ".map"), text);
}

void WriteRoom(const fs::path& gameDir, int roomNo, const std::string& text) {
  WriteFile(MapFile(gameDir, "room", roomNo, ".rdt"), text);
}

void StartPlay(HeadlessGame& game, int maze, int room, int x, int y) {
  auto& f = *game.form;
  f.Form_Load();
  f.Timer2.Enabled = false;
  auto& p = f.Obj(0) = quelmire::ObjRecord{};
  std::tie(p.X, p.Y, p.Kind, f.RoomNo, f.Life, f.LifeMax, f.LookPx, f.LookRow) =
      std::tuple(x, y, maze, room, 3, 3, 0, 0);
  f.LoadMazeMap();
  f.LoadRoomData();
  f.Timer1.Enabled = true;
}

void RunTicks(HeadlessGame& game, int n) {
  for (int k = 0; k < n; ++k) {
    game.plat->WaitUntil((game.plat->NowUs() / 48000 + 1) * 48000);
    game.form->Timer1_Timer();
  }
}

std::string Line(long long ms, const std::string& action) {
  return std::to_string(ms) + " " + action + "\n";
}

std::string Presses(long long from, long long to, long long step, const char* key) {
  std::string s;
  for (long long ms = from; ms <= to; ms += step) s += Line(ms, std::string("press ") + key);
  return s;
}

Scene::Scene() : maze(9) {
  CopyGameData(dir.path());
  maze.Fill(0, 39, 255, 255, 1);
  Room(1, "@\r\n");
  Room(2, "@\r\n");
}

void Scene::Room(int no, const std::string& text) const {
  WriteRoom(dir.path(), no, text);
}

void Scene::Make(const std::string& script) {
  maze.Write(dir.path(), 5);
  maze.Write(dir.path(), 6);
  // The script's times never decrease: lines written apart (probes, keys) are put in order.
  std::multimap<long long, std::string> lines;
  std::istringstream in(script + "\n" + Line(kDumpMs, "state " + (dir / "state.json").string()));
  for (std::string line; std::getline(in, line);) {
    for (size_t at; (at = line.find("@DIR@")) != std::string::npos;) {
      line.replace(at, 5, dir.path().string());
    }
    if (!line.empty()) lines.emplace(std::stoll(line), line);
  }
  std::string text;
  for (const auto& [ms, line] : lines) text += line + "\n";
  game = std::make_unique<HeadlessGame>(dir.path(), text);
  // A probe line calls the test's probe; the last dump is the game's state.
  game->plat->stateDumper = [this] {
    if (probe && ms() < kDumpMs) return probe(ms()), std::string("\"probe\":true");
    return f().StateJson();
  };
}

void Scene::Load(const std::string& script) {
  Make(script);
  f().Form_Load();
}

void Scene::Play(const std::string& script, int x, int y) {
  Make(script);
  StartPlay(*game, 5, 1, x, y);
}

std::vector<uint8_t> Scene::Screen() {
  const uint8_t* p = f().PrimarySurface->Pixels();
  return std::vector<uint8_t>(p, p + 640 * 480);
}

std::string Scene::PaletteLook() {
  const auto& shown = game->plat->DisplayPalette();
  bool isBase = true, white = true, black = true, red = true;
  for (int i = 0; i <= 254; ++i) {
    const auto& c = shown[static_cast<size_t>(i)];
    const auto& b = f().BasePalette(i);
    isBase &= c.r == b.r && c.g == b.g && c.b == b.b;
    white &= c.r == 255 && c.g == 255 && c.b == 255;
    black &= c.r == 0 && c.g == 0 && c.b == 0;
    red &= c.r == 255 && c.g == 0 && c.b == 0;
  }
  return isBase ? "base" : white ? "white" : black ? "black" : red ? "red" : "between";
}

int ExitStatus(const std::function<void()>& run) {
  try {
    run();
    return -1;
  } catch (const platform::ExitRequest& e) {
    return e.status;
  }
}

Json Scene::State() {
  game->plat->WaitUntil(kDumpMs * 1000);
  return ParseJson(ReadFile(dir / "state.json"));
}

std::vector<int> Scene::Sounds() {
  std::vector<int> slots;
  const Json state = State();  // kept alive for the loop
  for (const Json& s : state["sounds"].arr) slots.push_back(static_cast<int>(s["slot"].Int()));
  return slots;
}

}  // namespace testing_support
