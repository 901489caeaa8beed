// Helpers for the screen tests: a small world of their own, hand-written save files, and
// probes that look at the visible picture and the shown palette at scripted moments.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

namespace screens_test {

using namespace testing_support;

// Mazes 0..6 (floors and walls of plain tiles) and room 1 holding `room1`, written into a
// game folder that already has the bundled data.
inline void WriteSmallWorld(const fs::path& dir, const std::string& room1 = "@\r\n") {
  static const int kBackdrop[7] = {9, 22, 30, 43, 104, 13, 14};  // free wall tiles
  for (int maze = 0; maze <= 6; ++maze) {
    MazeFile m(kBackdrop[maze]);
    m.Fill(0, 0, 255, 9, 0);
    m.Fill(0, 0, 9, 255, 0);
    m.Fill(0, 253, 255, 255, 0);
    m.Fill(246, 0, 255, 255, 0);
    m.Fill(10, 39, 245, 39, 1);  // a floor under the start cell (33, 38) and the credits views
    m.Write(dir, maze);
  }
  WriteRoom(dir, 1, room1);
}

// The fields of a save file, in file order.
struct SaveData {
  int x = 33, y = 38, maze = 5, lifeMax = 3, life = 3, room = 1;
  std::vector<int> items = std::vector<int>(40, 0);
  std::vector<int> flags = std::vector<int>(512, 0);
  std::vector<std::string> taken = std::vector<std::string>(512);
};

// The 1065 lines the game writes for a save.
inline std::string SaveText(const SaveData& s) {
  auto num = [](int v) { return (v < 0 ? "-" : " ") + std::to_string(v < 0 ? -v : v) + " "; };
  std::string t =
      num(s.x) + num(s.y) + num(s.maze) + num(s.lifeMax) + num(s.life) + num(s.room) + "\r\n";
  for (int v : s.items) t += num(v) + "\r\n";
  for (int v : s.flags) t += num(v) + "\r\n";
  for (const auto& k : s.taken) t += "\"" + k + "\"\r\n";
  return t;
}

inline void WriteSave(const fs::path& dir, int slot, const SaveData& s) {
  WriteFile(dir / ("savedata" + std::to_string(slot) + ".sav"), SaveText(s));
}

// What the palette shows now, in one word.
inline std::string PaletteLook(HeadlessGame& g) {
  const auto& shown = g.plat->DisplayPalette();
  const auto& base = g.form->BasePalette;
  bool isBase = true, white = true, black = true, red = true;
  for (int i = 0; i <= 254; ++i) {
    const auto& c = shown[static_cast<size_t>(i)];
    const auto& b = base(i);
    isBase &= c.r == b.r && c.g == b.g && c.b == b.b;
    white &= c.r == 255 && c.g == 255 && c.b == 255;
    black &= c.r == 0 && c.g == 0 && c.b == 0;
    red &= c.r == 255 && c.g == 0 && c.b == 0;
  }
  return isBase ? "base" : white ? "white" : black ? "black" : red ? "red" : "between";
}

// Calls `probe` at scripted virtual times (through the script's state action). Make it
// before the game, so its script lines can go into the game's script; install it after.
struct Probes {
  TempDir dir;
  std::function<void(long long ms)> probe;
  void Install(HeadlessGame& g) {
    g.plat->stateDumper = [this, &g] {
      if (probe) probe(g.plat->NowUs() / 1000);
      return std::string("\"probe\":true");
    };
  }
  std::string At(long long ms) const {
    return std::to_string(ms) + " state " + (dir / "probe.json").string() + "\n";
  }
  std::string Every(long long from, long long to, long long step) const {
    std::string s;
    for (long long t = from; t <= to; t += step) s += At(t);
    return s;
  }
};

// Script lines put in time order (stable), so probes and key presses can be written apart.
inline std::string InTimeOrder(const std::string& script) {
  std::vector<std::pair<long long, std::string>> lines;
  size_t pos = 0;
  while (pos < script.size()) {
    size_t end = script.find('\n', pos);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(pos, end - pos);
    if (!line.empty()) lines.emplace_back(std::stoll(line), line);
    pos = end + 1;
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out;
  for (const auto& l : lines) out += l.second + "\n";
  return out;
}

// The small world in play at its start cell, with probes, driven by a script written with them
// (its lines are put in time order).
struct SmallWorldPlay {
  explicit SmallWorldPlay(const std::function<std::string(const Probes&)>& script) {
    CopyGameData(dir.path());
    WriteSmallWorld(dir.path());
    g = std::make_unique<HeadlessGame>(dir.path(), InTimeOrder(script(probes)));
    probes.Install(*g);
    StartPlay(*g, 5, 1, 33, 38);
  }
  quelmire::Form1& f() { return *g->form; }
  long long ms() { return g->plat->NowUs() / 1000; }
  TempDir dir;
  Probes probes;
  std::unique_ptr<HeadlessGame> g;
};

// Runs of equal looks, in order (e.g. base, white, base, ...), from looks taken in time order.
inline std::vector<std::string> Runs(const std::vector<std::string>& looks) {
  std::vector<std::string> runs;
  for (const auto& l : looks) {
    if (runs.empty() || runs.back() != l) runs.push_back(l);
  }
  return runs;
}

// The menu item the title's cursor box surrounds on the visible surface, or -1.
inline int TitleCursor(HeadlessGame& g) {
  const platform::Surface& s = *g.form->PrimarySurface;
  int found = -1;
  for (int c = 0; c <= 4; ++c) {
    bool box = true;
    for (int y = 368 + 20 * c; y < 388 + 20 * c; ++y) box &= s.At(498, y) == 1 && s.At(581, y) == 1;
    if (box) {
      if (found >= 0) return -2;  // two boxes: the old one was not erased
      found = c;
    }
  }
  return found;
}

// Pixels of palette index `index` inside a rectangle of a surface.
inline int CountIndex(const platform::Surface& s, int left, int top, int right, int bottom,
                      int index) {
  int n = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) n += s.At(x, y) == index;
  }
  return n;
}

}  // namespace screens_test
