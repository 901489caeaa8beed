// The room survey: plays the real game headless from every place the heroine can stand and
// builds the graph of the moves the game really makes between them, so that traps, items that
// an order of play loses, arrivals that enemies reach and main-path moves with a narrow window
// are found by the game itself.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/forwarding_platform.h"
#include "shell/form1.h"

namespace survey {

using quelmire::Form1;

// The keys a move holds in one play tick.
// Things that hurt: beetles, spiked balls, flames, guardians, bats, jellies, crows, beads.
inline bool Harmful(int kind) {
  return kind >= 1 && kind <= 8;
}

struct Keys {
  int dir = 0;  // -1 left, +1 right
  bool jump = false;
  bool up = false;
  bool fly = false;  // X: the fairy shoes lift her while it is held
};

// The headless platform with the keyboard given by the survey: the first read of a play tick
// sees the move's keys; every later read in the same tick is a message or a wait, which is
// closed the way a player does (let go, then Down).
class SurveyPlatform : public platform::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  long GetKeyboardState(uint8_t keys[256]) override;
  void StartTick(Keys k) {
    keys_ = k;
    reads_ = 0;
  }

 private:
  Keys keys_;
  int reads_ = 0;
};

// Everything of the game a move changes inside one room.
struct Snapshot {
  quelmire::Array<quelmire::ObjRecord, 0, 39> obj;
  quelmire::Array2<quelmire::Integer, 0, 257, 0, 257> map;
  quelmire::Array<quelmire::Byte, 0, 511> flags;
  quelmire::Array<quelmire::Byte, 0, 127> items;
  quelmire::Integer lifeMax = 0, jumpLen = 0, airTime = 0, driftX = 0;
  bool riding = false;
};

// What she carries from room to room: the flags, the items and the life ceiling.
struct Progress {
  quelmire::Array<quelmire::Byte, 0, 511> flags;
  quelmire::Array<quelmire::Byte, 0, 127> items;
  quelmire::Integer lifeMax = 0;
};

// What a move changed of what she carries: flags set, items gained, hearts found. The same
// move from the same place changes the same, whatever else she carries.
struct Delta {
  std::vector<std::pair<int, int>> flags;  // flag, value after
  std::vector<std::pair<int, int>> items;  // item, count gained
  int lifeMax = 0;
  Progress Apply(const Progress& p) const;
};

// How a move is made, for the window and the report.
struct Style {
  enum Kind { Jump, WalkOff, Use, Ride, Fly } kind = Jump;
  int dir = 0;       // the side she faces or runs to
  int speed = 0;     // |VX| at take-off: 0 standing, 8 a full run-up
  int steer = 0;     // held in the air: +1 toward dir, 0 nothing
  int hold = 0;      // ticks the jump key is held
  long takeoff = 0;  // pixel column of the take-off (cell * 32 + offset)
};

// Where a move ends.
struct Outcome {
  enum Kind { None, Stand, Ride, Exit } kind = None;
  int x = 0, y = 0;        // her cell
  bool hurt = false;       // a tile hurt her on the way
  std::vector<int> taken;  // item ids picked up on the way
  // Exit: the warp's target.
  int maze = 0, wx = 0, wy = 0, room = 0;
  // The cells she passed, and whether the same move from the same take-off ends the same way
  // in another state of the room whose map is the same there: no lift, pad, event or map
  // change on the way.
  int x0 = 1 << 20, x1 = -1, y0 = 1 << 20, y1 = -1;
  bool reusable = true;
  bool scripted = false;                                       // a "%" event ran on the way
  bool padded = false;                                         // a blast pad threw her
  std::vector<std::pair<int, quelmire::ObjRecord>> padsAfter;  // the pads after it
  std::vector<std::array<int, 3>> changes;  // cells the move changed: column, row, tile
  uint64_t mapHash = 0;                     // of the map it left, when known (else 0)
  bool known = false;                       // taken from that other state, not played
  int col = 0;  // the floor column she stands over (her own, or the one she leans on)
};

struct Node;
// A move between two places, with every way it was made (take-off pixel and hold per style).
struct Edge {
  int from = 0, to = -1;  // node ids; to = -1 for an exit
  Style::Kind kind = Style::Jump;
  bool hurt = false;
  std::vector<int> items;  // item ids picked up on the way
  int exitEntry = -1;      // the room entry an exit leads to
  // Every jump that made this move unhurt: its side, run-up speed, hold and take-off pixel.
  // Shared with the copies made for other flags and items.
  struct Sample {
    int8_t dir, speed;
    int16_t hold;
    int32_t takeoff;
  };
  std::shared_ptr<std::vector<Sample>> samples = std::make_shared<std::vector<Sample>>();
  int clean = 0;                       // how many tries made it without harm
  std::string what;                    // a short description of the move
  std::shared_ptr<const Delta> delta;  // what it changed of what she carries
};

// A place she can stand: a floor run (or a lift's stop) in one room and state of it.
struct Node {
  int room = 0;
  int row = 0, c0 = 0, c1 = 0;  // the floor run, columns c0..c1 of row
  bool lift = false;            // a lift's stop: she cannot choose where to take off
  int x = 0, y = 0;             // where she first stood here
  uint64_t mapHash = 0, stateHash = 0;
  uint64_t localHash = 0;  // of the flags and items its room's scripts ask about
  uint64_t padHash = 0;    // of the room's blast pads
  // The room as she stands here. A place copied from one in the same state of its room
  // shares that place's snapshot, whose flags and items are another's: prog is her own.
  std::shared_ptr<Snapshot> snap;
  std::shared_ptr<const Progress> prog;
  bool ownSnap = true;
  std::vector<int> out;  // edge ids
  int via = -1;          // the edge that first reached it
};

// An item of the world: item number n lying at cell (x, y) of a room.
struct Item {
  int room = 0, n = 0, x = 0, y = 0;
};

struct Finding {
  std::string kind;  // trap, lost, arrival, window
  int room = 0;
  std::string text;
};

class Survey {
 public:
  Survey(Form1& form, SurveyPlatform& plat) : f_(form), plat_(plat) {}
  // Reads the items that scripts test and the optional places (file may be empty).
  void Prepare(const std::string& optionalFile);
  // Explores the world from a new game.
  // Explores from a new game, or from the place a save file holds (act by act).
  void Explore(const std::string& saveFile = "");
  // Surveys only rooms first..last: a warp to another room is a way out, not followed, so an
  // act is surveyed by itself (from the save the act before leaves).
  void Within(int first, int last) {
    first_ = first;
    last_ = last;
  }
  // The findings, for the rooms asked (all when empty).
  std::vector<Finding> Check(const std::set<int>& rooms);
  // The main-path moves of the rooms asked, one table row each.
  std::vector<std::string> Table(const std::set<int>& rooms);
  // The game's warp observer: the warp is the end of a move, not made.
  bool TakeWarp(int maze, int x, int y, int room) {
    warped_ = true;
    warp_[0] = maze;
    warp_[1] = x;
    warp_[2] = y;
    warp_[3] = room;
    return true;
  }
  size_t NodeCount() const { return nodes_.size(); }
  size_t EdgeCount() const { return edges_.size(); }
  long long Ticks() const { return ticks_; }
  long long Reused() const { return reused_; }
  long long Played() const { return played_; }  // places whose moves were played

 private:
  struct Entry {
    int room, maze, x, y;
    std::shared_ptr<Snapshot> progress;  // flags, items and life when she arrives
    int node = -1;
    std::shared_ptr<const Progress> carried;  // else what she carries, over progress's
  };
  void Restore(const Snapshot& s);
  std::shared_ptr<Snapshot> Take() const;  // the game now, as a place keeps it
  void LoadRoom(int maze, int room);
  // A move played from a node, or its outcome from the same move in another state of the
  // room when the map around its path is the same there.
  template <typename Setup, typename Policy>
  Outcome Move(int node, const Style& s, Setup prepare, Policy policy, int maxTicks);
  struct Cached {
    std::shared_ptr<Snapshot> snap;
    uint64_t stateHash, padHash;
    Outcome o;
  };
  std::unordered_map<uint64_t, std::vector<Cached>> cache_;
  long long reused_ = 0;
  // Plays a move from the state now; policy gives the keys of tick t.
  template <typename Policy>
  Outcome Play(Policy policy, int maxTicks);
  // Lets her come to rest with no key down (or a lift to stop).
  Outcome Rest(int maxTicks);
  // The room entry for a warp made now (her flags and items as they are); queued when new.
  int EntryFor(int maze, int x, int y, int room);
  int EnterRoom(int entry);
  // She arrives: the flags, items and life she carries, her cell, the room loaded as a warp does.
  void Arrive(const Entry& e);
  int NodeFor(const Outcome& o, int room, int from);
  void Expand(int node);
  void ExpandMoves(int node);
  void UseMoves(int node, const Snapshot& from);
  void Replicate(int node, int tpl);
  int EntryWith(int tpl, const Progress& p);
  uint64_t LocalHash(int room) const;
  static bool SamePadsAlong(const Snapshot& a, const Snapshot& b, const Outcome& o);
  static uint64_t PadHash(const quelmire::Array<quelmire::ObjRecord, 0, 39>& obj);
  void AddOutcome(int from, const Style& s, const Outcome& o);
  // Puts her standing (or running at vx) at pixel column px of a row.
  void Place(long px, int row, int vx);
  static constexpr int kStep = 8;            // pixels between the take-offs tried
  static constexpr int kArrivalTicks = 105;  // five seconds of play
  static constexpr int kLiftWait = 600;      // the longest a player waits for a lift
  uint64_t StateHash() const;
  uint64_t StateHashOf(const Progress& p, quelmire::Integer driftX) const;
  std::shared_ptr<const Progress> Carried() const;  // what she carries now
  std::shared_ptr<const Delta> DeltaSince(const Progress& before, bool known,
                                          const std::vector<int>& taken) const;
  // The exact snapshot of a place (made for a copied place before its moves are played).
  const std::shared_ptr<Snapshot>& SnapOf(int node);
  uint64_t MapHash() const;
  uint64_t MapHash(int from) const;
  bool Standable(long long c, long long r) const;
  bool StandableIn(const Snapshot& s, long long c, long long r) const;
  bool Optional(int room, int itemId) const;
  std::string Place(int node) const;
  std::string MoveText(const Edge& e) const;
  int ItemId(int room, int n, int x, int y);
  // Window judgement of an edge: true when within the bar.
  bool WithinBar(const Edge& e, bool optional) const;
  mutable std::vector<int8_t> withinBar_[2];  // per edge: -1 not judged yet, else WithinBar
  std::string WindowText(const Edge& e) const;
  void CheckArrivals(const std::set<int>& rooms, std::vector<Finding>& out);

  Form1& f_;
  SurveyPlatform& plat_;
  std::vector<Node> nodes_;
  std::vector<Edge> edges_;
  std::vector<Entry> entries_;
  std::vector<Item> items_;
  std::map<std::tuple<int, int, int, int>, int> itemIds_;  // room, n, x, y
  std::unordered_map<uint64_t, int> nodeIds_;
  std::unordered_map<uint64_t, std::pair<int, int>> runs_;  // a floor cell's run, per map
  static uint64_t Mix(std::initializer_list<uint64_t> values);
  static uint64_t NodeKey(int room, int row, int c0, int x, uint64_t mapHash, uint64_t stateHash,
                          bool lift);
  std::map<std::tuple<int, int, int, uint64_t>, int> entryIds_;
  std::set<int> keyItems_;
  std::set<int> optionalRooms_;
  std::set<std::tuple<int, int, int>> optionalItems_;  // room, x, y
  std::map<int, int> roomMaze_;
  std::vector<int> pendingEntries_;
  std::vector<int> restless_;
  std::map<int, std::vector<std::pair<int, quelmire::ObjRecord>>>
      roomItemThings_;  // room: slot, item                           // arrivals where she never
                        // comes to rest
  std::map<int, std::set<int>> roomFlags_, roomItems_;  // what each room's scripts ask about
  std::map<std::tuple<int, int, int, int, bool, uint64_t, uint64_t>, int> templates_;
  std::vector<int> queue_;  // nodes in the order they were found; expanded in turn
  std::unordered_map<uint64_t, int> edgeIds_;  // from, to, exit, kind, items
  static uint64_t EdgeKey(int from, int to, int exit, int kind, const std::vector<int>& items);
  int start_ = -1;           // the entry of a new game
  std::set<int> mainEdges_;  // the moves of the main paths, found by Check
  int loadedRoom_ = -1;
  bool warped_ = false;
  int warp_[4] = {0, 0, 0, 0};
  long long ticks_ = 0;
  long long played_ = 0;
  int first_ = 0, last_ = 1 << 30;
  bool trace_ = std::getenv("QUELMIRE_SURVEY_TRACE") != nullptr;  // each place to stderr
};

}  // namespace survey
