#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace testing_support {

fs::path BuiltGameDir() { return fs::path(QUELMIRE_BINARY_DIR); }
fs::path SourceDir() { return fs::path(QUELMIRE_SOURCE_DIR); }

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
  for (const char* sub : {"bitmap", "wave", "midi", "map"}) {
    fs::create_directories(dir / sub);
    if (fs::exists(BuiltGameDir() / sub)) {
      fs::copy(BuiltGameDir() / sub, dir / sub, fs::copy_options::recursive);
    }
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
  int raw = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.err = ReadFile(tmp / "err.txt");
  return r;
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

struct Parser {
  const std::string& s;
  size_t i = 0;

  void Ws() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
  }
  [[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(i));
  }
  void Expect(char c) {
    Ws();
    if (i >= s.size() || s[i] != c) Fail("unexpected character");
    ++i;
  }
  std::string Str() {
    Expect('"');
    std::string out;
    while (i < s.size() && s[i] != '"') {
      if (s[i] == '\\') {
        ++i;
        if (i >= s.size()) Fail("bad escape");
        char e = s[i++];
        switch (e) {
          case 'n': out += '\n'; break;
          case 't': out += '\t'; break;
          case 'r': out += '\r'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'u': {
            unsigned v = static_cast<unsigned>(std::stoul(s.substr(i, 4), nullptr, 16));
            i += 4;
            if (v < 0x80) {
              out += static_cast<char>(v);
            } else if (v < 0x800) {
              out += static_cast<char>(0xC0 | (v >> 6));
              out += static_cast<char>(0x80 | (v & 0x3F));
            } else {
              out += static_cast<char>(0xE0 | (v >> 12));
              out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
              out += static_cast<char>(0x80 | (v & 0x3F));
            }
            break;
          }
          default: out += e;
        }
      } else {
        out += s[i++];
      }
    }
    Expect('"');
    return out;
  }
  Json Value() {
    Ws();
    if (i >= s.size()) Fail("end of text");
    Json v;
    char c = s[i];
    if (c == '{') {
      v.type = Json::Object;
      ++i;
      Ws();
      if (s[i] == '}') {
        ++i;
        return v;
      }
      for (;;) {
        std::string k = Str();
        Expect(':');
        v.obj[k] = Value();
        Ws();
        if (s[i] == ',') {
          ++i;
          continue;
        }
        Expect('}');
        return v;
      }
    }
    if (c == '[') {
      v.type = Json::Array;
      ++i;
      Ws();
      if (s[i] == ']') {
        ++i;
        return v;
      }
      for (;;) {
        v.arr.push_back(Value());
        Ws();
        if (s[i] == ',') {
          ++i;
          continue;
        }
        Expect(']');
        return v;
      }
    }
    if (c == '"') {
      v.type = Json::String;
      v.str = Str();
      return v;
    }
    if (s.compare(i, 4, "true") == 0) {
      i += 4;
      v.type = Json::Bool;
      v.b = true;
      return v;
    }
    if (s.compare(i, 5, "false") == 0) {
      i += 5;
      v.type = Json::Bool;
      return v;
    }
    if (s.compare(i, 4, "null") == 0) {
      i += 4;
      return v;
    }
    size_t used = 0;
    v.num = std::stod(s.substr(i, 32), &used);
    if (used == 0) Fail("bad number");
    i += used;
    v.type = Json::Number;
    return v;
  }
};

const Json& Missing() {
  static Json none;
  return none;
}

}  // namespace

const Json& Json::operator[](const std::string& key) const {
  auto it = obj.find(key);
  if (it == obj.end()) throw std::runtime_error("JSON: no key " + key);
  return it->second;
}

const Json& Json::operator[](size_t i) const {
  if (i >= arr.size()) return Missing();
  return arr[i];
}

Json ParseJson(const std::string& text) {
  Parser p{text};
  Json v = p.Value();
  return v;
}

}  // namespace testing_support

namespace testing_support {

void MazeFile::Fill(int col0, int row0, int col1, int row1, int tile) {
  for (int r = row0; r <= row1; ++r) {
    for (int c = col0; c <= col1; ++c) Set(c, r, tile);
  }
}

void MazeFile::Write(const fs::path& gameDir, int mazeNo) const {
  fs::create_directories(gameDir / "map");
  std::string text;
  text.reserve(65536 * 4);
  for (int r = 0; r < 256; ++r) {
    for (int c = 0; c < 256; ++c) {
      if (c) text += ',';
      text += std::to_string(cells[r * 256 + c]);
    }
    text += "\r\n";
  }
  char name[32];
  std::snprintf(name, sizeof name, "maz%03d.map", mazeNo);
  WriteFile(gameDir / "map" / name, text);
}

void WriteRoom(const fs::path& gameDir, int roomNo, const std::string& text) {
  fs::create_directories(gameDir / "map");
  char name[32];
  std::snprintf(name, sizeof name, "room%03d.rdt", roomNo);
  WriteFile(gameDir / "map" / name, text);
}

void StartPlay(HeadlessGame& game, int maze, int room, int x, int y) {
  auto& f = *game.form;
  f.Form_Load();
  f.Timer2.Enabled = false;
  auto& p = f.Obj(0);
  p = quelmire::ObjRecord{};
  p.X = static_cast<int16_t>(x);
  p.Y = static_cast<int16_t>(y);
  p.Kind = static_cast<int16_t>(maze);
  f.RoomNo = static_cast<int16_t>(room);
  f.Life = f.LifeMax = 3;
  f.LookPx = f.LookRow = 0;
  f.LoadMazeMap();
  f.LoadRoomData();
  f.Timer1.Enabled = true;
}

void RunTicks(HeadlessGame& game, int n) {
  for (int k = 0; k < n; ++k) {
    int64_t now = game.plat->NowUs();
    game.plat->WaitUntil((now / 48000 + 1) * 48000);
    game.form->Timer1_Timer();
  }
}

}  // namespace testing_support
