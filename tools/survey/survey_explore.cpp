// The survey's exploration: from a new game, every room she can warp to, every state of it
// that her moves, levers and doors make, every place she can stand.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

#include "survey.h"

namespace survey {

using quelmire::Integer;

namespace {

std::string Three(int n) {
  std::string s = std::to_string(n + 1000);
  return s.substr(s.size() - 3);
}

const char* Side(int d) {
  return d < 0 ? "left" : "right";
}

}  // namespace

void Survey::Prepare(const std::string& optionalFile) {
  namespace fs = std::filesystem;
  // Items the scripts ask about change what a door or a lever does: they are part of the state.
  const std::regex asks(R"(it(\d{3})[=<>%])"), flags(R"(fl(\d{3})[=<>%])"),
      warp(R"(jp(\d{3}),(\d{3}),(\d{3}),(\d{3}))");
  roomMaze_[1] = 5;  // a new game starts in room 1 of maze 5
  for (int r = 0; r <= 999; ++r) {
    const std::string path = f_.AppPath("\\map\\room" + Three(r) + ".rdt");
    if (!fs::exists(path)) continue;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    for (std::sregex_iterator m(all.begin(), all.end(), asks), e; m != e; ++m) {
      keyItems_.insert(std::stoi((*m)[1]));
      roomItems_[r].insert(std::stoi((*m)[1]));
    }
    for (std::sregex_iterator m(all.begin(), all.end(), flags), e; m != e; ++m) {
      roomFlags_[r].insert(std::stoi((*m)[1]));
    }
    for (std::sregex_iterator m(all.begin(), all.end(), warp), e; m != e; ++m) {
      roomMaze_[std::stoi((*m)[4])] = std::stoi((*m)[1]);
    }
  }
  if (optionalFile.empty()) return;
  std::ifstream in(optionalFile);
  if (!in) throw std::runtime_error(optionalFile + ": cannot be read");
  std::string line;
  for (int no = 1; std::getline(in, line); ++no) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string what;
    if (!(words >> what)) continue;
    int room = 0, x = 0, y = 0;
    if (what == "room" && words >> room) {
      optionalRooms_.insert(room);
    } else if (what == "item" && words >> room >> x >> y) {
      optionalItems_.insert({room, x, y});
    } else {
      throw std::runtime_error(optionalFile + ":" + std::to_string(no) +
                               ": expected \"room N\" or \"item ROOM X Y\"");
    }
  }
}

void Survey::Arrive(const Entry& e) {
  Restore(*e.progress);
  if (e.carried) {
    f_.Flags = e.carried->flags;
    f_.ItemCount = e.carried->items;
    f_.LifeMax = f_.Life = e.carried->lifeMax;
  }
  auto& p = f_.Obj(0);
  p.X = static_cast<Integer>(e.x);
  p.Y = static_cast<Integer>(e.y);
  p.OffX = p.OffY = p.VX = p.VY = 0;
  f_.AirTime = f_.JumpLen = 0;
  LoadRoom(e.maze, e.room);
}

// Loads a room as a warp does, with the flags, items and life she arrives with, and lets her
// come to rest. Things that hurt are taken out: the survey asks where she can go, and a
// player waits for or dodges what walks about; arrivals are checked with them.
int Survey::EnterRoom(int entry) {
  Entry& e = entries_[static_cast<size_t>(entry)];
  Arrive(e);
  const int room = f_.RoomNo;  // an init script may have sent her on
  for (int i = 1; i <= 39; ++i) {
    const auto& t = f_.Obj(i);
    if (Harmful(t.Kind)) f_.Obj(i).Kind = 0;
    if (t.Kind >= 20) {
      ItemId(room, t.Kind - 20, t.X, t.Y);  // every item the room holds
      auto& things = roomItemThings_[room];
      if (std::none_of(things.begin(), things.end(), [i](const auto& x) { return x.first == i; })) {
        things.push_back({i, t});
      }
    }
  }
  const Outcome o = Rest(200);
  if (o.kind != Outcome::Stand && o.kind != Outcome::Ride) {
    restless_.push_back(entry);
    return -1;
  }
  e.node = NodeFor(o, room, -1);
  return e.node;
}

int Survey::EntryFor(int maze, int x, int y, int room) {
  const auto key = std::make_tuple(room, x, y, StateHash());
  auto it = entryIds_.find(key);
  if (it != entryIds_.end()) return it->second;
  Entry e{room, maze, x, y, Take(), -1, nullptr};
  entries_.push_back(e);
  const int id = static_cast<int>(entries_.size()) - 1;
  entryIds_[key] = id;
  roomMaze_[room] = maze;
  pendingEntries_.push_back(id);
  return id;
}

// The entry of a warp like entry tpl, made carrying p.
int Survey::EntryWith(int tpl, const Progress& p) {
  const Entry x = entries_[static_cast<size_t>(tpl)];
  const auto key = std::make_tuple(x.room, x.x, x.y, StateHashOf(p, x.progress->driftX));
  if (auto it = entryIds_.find(key); it != entryIds_.end()) return it->second;
  // The game as the warp left it is tpl's (the room is loaded anew on arrival); only what she
  // carries is her own.
  entries_.push_back(
      Entry{x.room, x.maze, x.x, x.y, x.progress, -1, std::make_shared<Progress>(p)});
  const int id = static_cast<int>(entries_.size()) - 1;
  entryIds_[key] = id;
  pendingEntries_.push_back(id);
  return id;
}

uint64_t Survey::EdgeKey(int from, int to, int exit, int kind, const std::vector<int>& items) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ull; };
  mix(static_cast<uint64_t>(from));
  mix(static_cast<uint64_t>(to));
  mix(static_cast<uint64_t>(exit));
  mix(static_cast<uint64_t>(kind));
  for (int i : items) mix(static_cast<uint64_t>(i) + (1ull << 40));
  return h;
}

void Survey::AddOutcome(int from, const Style& s, const Outcome& o) {
  if (o.kind == Outcome::None) return;
  // What the move changed of what she carries, before a known outcome puts the game back.
  const auto delta = DeltaSince(*nodes_[static_cast<size_t>(from)].prog, o.known, o.taken);
  int to = -1, exit = -1;
  if (o.kind == Outcome::Exit) {
    // A warp out of the rooms surveyed is a way out, not followed.
    if (o.room >= first_ && o.room <= last_) exit = EntryFor(o.maze, o.wx, o.wy, o.room);
  } else {
    to = NodeFor(o, nodes_[static_cast<size_t>(from)].room, from);
    if (to == from && o.taken.empty()) return;
  }
  std::vector<int> taken = o.taken;
  std::sort(taken.begin(), taken.end());
  taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
  const uint64_t key = EdgeKey(from, to, exit, static_cast<int>(s.kind), taken);
  int id;
  auto it = edgeIds_.find(key);
  if (it == edgeIds_.end()) {
    Edge e;
    e.from = from;
    e.to = to;
    e.exitEntry = exit;
    e.kind = s.kind;
    e.items = taken;
    e.delta = delta;
    switch (s.kind) {
      case Style::Jump:
        e.what = "jump";  // the side is the window's: the best way to make it
        break;
      case Style::WalkOff:
        e.what = std::string("walk off ") + Side(s.dir);
        break;
      case Style::Fly:
        e.what = std::string("fly ") + (s.steer ? Side(s.dir) : "up");
        break;
      case Style::Use:
        e.what = "Up at " + std::to_string((s.takeoff + 16) / 32);
        break;
      default:
        e.what = "ride";
    }
    edges_.push_back(e);
    id = static_cast<int>(edges_.size()) - 1;
    edgeIds_[key] = id;
    nodes_[static_cast<size_t>(from)].out.push_back(id);
    if (to >= 0 && nodes_[static_cast<size_t>(to)].via < 0)
      nodes_[static_cast<size_t>(to)].via = id;
  } else {
    id = it->second;
  }
  Edge& e = edges_[static_cast<size_t>(id)];
  if (o.hurt) return;
  ++e.clean;
  if (s.kind == Style::Jump) {
    e.samples->push_back({static_cast<int8_t>(s.dir), static_cast<int8_t>(s.speed),
                          static_cast<int16_t>(s.hold), static_cast<int32_t>(s.takeoff)});
  }
}

void Survey::Explore(const std::string& saveFile) {
  if (saveFile.empty()) {
    // A new game: room 1 of maze 5 at 33,38, three hearts, nothing owned, no flag.
    f_.Flags.Fill(0);
    f_.ItemCount.Fill(0);
    f_.LifeMax = 3;
    start_ = EntryFor(5, 33, 38, 1);
  } else {
    // The game reads saves from its own folder: the file is read there as slot 15.
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("quelmire-survey-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::copy_file(saveFile, folder / "savedataF.sav", fs::copy_options::overwrite_existing);
    const std::string keep = f_.SaveFolder;
    f_.SaveFolder = folder.string();
    std::string error;
    const bool read = f_.ReadSaveFile(15, error);
    f_.SaveFolder = keep;
    fs::remove_all(folder);
    if (!read) throw std::runtime_error(saveFile + ": " + error);
    const auto& p = f_.Obj(0);
    start_ = EntryFor(static_cast<int>(p.Kind), static_cast<int>(p.X), static_cast<int>(p.Y),
                      static_cast<int>(f_.RoomNo));
  }
  size_t expanded = 0;
  for (;;) {
    // Rooms are explored one at a time: their events and scripts stay loaded.
    int next = -1;
    for (size_t i = expanded; i < queue_.size(); ++i) {
      const int n = queue_[i];
      if (nodes_[static_cast<size_t>(n)].room == loadedRoom_) {
        next = static_cast<int>(i);
        break;
      }
    }
    if (next < 0 && expanded < queue_.size()) next = static_cast<int>(expanded);
    if (next >= 0) {
      std::swap(queue_[expanded], queue_[static_cast<size_t>(next)]);
      const int n = queue_[expanded++];
      const int room = nodes_[static_cast<size_t>(n)].room;
      if (room != loadedRoom_) LoadRoom(roomMaze_[room], room);
      Expand(n);
      if (trace_) {
        std::cerr << "room " << room << " " << Place(n) << ": " << nodes_.size() << " places, "
                  << edges_.size() << " moves, " << ticks_ << " ticks\n";
      }
      continue;
    }
    if (pendingEntries_.empty()) break;
    const int e = pendingEntries_.front();
    pendingEntries_.erase(pendingEntries_.begin());
    EnterRoom(e);
  }
}

}  // namespace survey
