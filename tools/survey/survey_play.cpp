// The survey's moves: the game's own play tick run from a saved state with the keys a move
// holds, until she stands, rides a lift to a stop, or takes a warp.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>

#include "survey.h"

namespace survey {

namespace vk = platform::vk;
using quelmire::Integer;

namespace {
// Rise ticks of a jump at take-off speed v (the jump table of the heroine).
int RiseTicks(int v) {
  return v >= 7 ? 11 : v >= 5 ? 9 : v >= 3 ? 7 : 6;
}
}  // namespace

long SurveyPlatform::GetKeyboardState(uint8_t keys[256]) {
  std::memset(keys, 0, 256);
  if (reads_++ == 0) {
    if (keys_.dir < 0) keys[vk::Left] = 0x80;
    if (keys_.dir > 0) keys[vk::Right] = 0x80;
    if (keys_.jump) keys[vk::Space] = 0x80;
    if (keys_.up) keys[vk::Up] = 0x80;
    if (keys_.fly) keys[vk::X] = 0x80;
  } else if (reads_ % 2 == 1) {
    keys[vk::Down] = 0x80;  // a message or wait: every key up, then Down to go on
  }
  return 1;
}

std::shared_ptr<Snapshot> Survey::Take() const {
  auto s = std::make_shared<Snapshot>();
  s->obj = f_.Obj;
  s->map = f_.Map;
  s->flags = f_.Flags;
  s->items = f_.ItemCount;
  s->lifeMax = f_.LifeMax;
  s->jumpLen = f_.JumpLen;
  s->airTime = f_.AirTime;
  s->driftX = f_.DriftX;
  s->riding = f_.RidingLift;
  auto& p = s->obj(0);
  p.Delay = p.Param = p.VX = p.Anim = p.Frame = 0;
  // Items lie where they lay when she came in: picking one up is part of a move, not of a
  // place, so every place offers every item of its room.
  auto items = roomItemThings_.find(f_.RoomNo);
  if (items != roomItemThings_.end()) {
    for (const auto& [slot, thing] : items->second) {
      if (s->obj(slot).Kind == 0) s->obj(slot) = thing;
    }
  }
  return s;
}

std::shared_ptr<const Progress> Survey::Carried() const {
  auto p = std::make_shared<Progress>();
  p->flags = f_.Flags;
  p->items = f_.ItemCount;
  p->lifeMax = f_.LifeMax;
  return p;
}

std::shared_ptr<const Delta> Survey::DeltaSince(const Progress& before, bool known,
                                                const std::vector<int>& taken) const {
  auto d = std::make_shared<Delta>();
  if (known) {
    // Played in another state, where it changed nothing but the items it picked up.
    std::map<int, int> gained;
    for (int id : taken) ++gained[items_[static_cast<size_t>(id)].n];
    d->items.assign(gained.begin(), gained.end());
    return d;
  }
  for (int i = 0; i <= 511; ++i) {
    if (f_.Flags(i) != before.flags(i)) d->flags.push_back({i, f_.Flags(i)});
  }
  for (int i = 0; i <= 127; ++i) {
    if (f_.ItemCount(i) != before.items(i))
      d->items.push_back({i, f_.ItemCount(i) - before.items(i)});
  }
  d->lifeMax = f_.LifeMax - before.lifeMax;
  return d;
}

Progress Delta::Apply(const Progress& p) const {
  Progress r = p;
  for (const auto& [i, v] : flags) r.flags(i) = static_cast<quelmire::Byte>(v);
  for (const auto& [i, n] : items) {
    r.items(i) = static_cast<quelmire::Byte>(std::clamp(r.items(i) + n, 0, 255));
  }
  r.lifeMax = static_cast<Integer>(r.lifeMax + lifeMax);
  return r;
}

const std::shared_ptr<Snapshot>& Survey::SnapOf(int node) {
  Node& n = nodes_[static_cast<size_t>(node)];
  if (!n.ownSnap) {
    auto s = std::make_shared<Snapshot>(*n.snap);
    s->flags = n.prog->flags;
    s->items = n.prog->items;
    s->lifeMax = n.prog->lifeMax;
    n.snap = s;
    n.ownSnap = true;
  }
  return n.snap;
}

void Survey::Restore(const Snapshot& s) {
  f_.Obj = s.obj;
  f_.Map = s.map;
  f_.Flags = s.flags;
  f_.ItemCount = s.items;
  f_.LifeMax = f_.Life = s.lifeMax;
  f_.JumpLen = s.jumpLen;
  f_.AirTime = s.airTime;
  f_.DriftX = s.driftX;
  f_.RidingLift = s.riding;
  f_.LookPx = f_.LookRow = 0;
  for (auto& l : f_.KeyLatch) l = quelmire::True;
  for (auto& t : f_.TakenList) {
    if (!t.empty()) t.clear();
  }
}

void Survey::LoadRoom(int maze, int room) {
  f_.Obj(0).Kind = static_cast<Integer>(maze);
  f_.RoomNo = static_cast<Integer>(room);
  f_.LoadMazeMap();
  f_.LoadRoomData();
  f_.RunPendingWarps();
  loadedRoom_ = room;
}

// The hash of the map now; the place's own when the move left its map as it was.
uint64_t Survey::MapHash(int from) const {
  if (from >= 0) {
    const Node& n = nodes_[static_cast<size_t>(from)];
    if (std::memcmp(&f_.Map(0, 0), &n.snap->map(0, 0), sizeof f_.Map) == 0) return n.mapHash;
  }
  return MapHash();
}

uint64_t Survey::MapHash() const {
  uint64_t h = 1469598103934665603ull;
  for (int r = 0; r <= 257; ++r) {
    for (int c = 0; c <= 257; ++c) {
      h = (h ^ static_cast<uint16_t>(f_.Map(c, r))) * 1099511628211ull;
    }
  }
  return h;
}

uint64_t Survey::StateHash() const {
  Progress p;
  p.flags = f_.Flags;
  p.items = f_.ItemCount;
  return StateHashOf(p, f_.DriftX);
}

uint64_t Survey::StateHashOf(const Progress& p, Integer driftX) const {
  uint64_t h = 1469598103934665603ull;
  // One-time hints (flags 100..199) show a message and change nothing else.
  for (int i = 0; i <= 511; ++i) {
    if (i < 100 || i > 199) h = (h ^ p.flags(i)) * 1099511628211ull;
  }
  for (int n : keyItems_) h = (h ^ (p.items(n) > 0 ? n + 1 : 0)) * 1099511628211ull;
  h = (h ^ static_cast<uint16_t>(driftX)) * 1099511628211ull;  // the wind
  return h;
}

uint64_t Survey::Mix(std::initializer_list<uint64_t> values) {
  uint64_t h = 1469598103934665603ull;
  for (uint64_t v : values) h = (h ^ v) * 1099511628211ull + (h >> 29);
  return h;
}

uint64_t Survey::NodeKey(int room, int row, int c0, int x, uint64_t mapHash, uint64_t stateHash,
                         bool lift) {
  return Mix({static_cast<uint64_t>(room), static_cast<uint64_t>(row), static_cast<uint64_t>(c0),
              static_cast<uint64_t>(x), mapHash, stateHash, lift ? 1u : 0u});
}

bool Survey::SamePadsAlong(const Snapshot& a, const Snapshot& b, const Outcome& o) {
  for (int i = 1; i <= 39; ++i) {
    const auto &p = b.obj(i), &q = a.obj(i);
    if (p.Kind != 9 || p.X < o.x0 - 1 || p.X > o.x1 + 1 || p.Y < o.y0 - 1 || p.Y > o.y1 + 1)
      continue;
    if (q.Kind != 9 || q.X != p.X || q.Y != p.Y || q.OffY != p.OffY) return false;
  }
  return true;
}

// The blast pads: where they stand, or that they have sunk after a throw (they come back when
// the room is entered again).
uint64_t Survey::PadHash(const quelmire::Array<quelmire::ObjRecord, 0, 39>& obj) {
  uint64_t h = 7;
  for (int i = 1; i <= 39; ++i) {
    const auto& t = obj(i);
    if (t.Kind != 9) continue;
    h = Mix({h, static_cast<uint64_t>(i), static_cast<uint64_t>(t.X), static_cast<uint64_t>(t.Y),
             static_cast<uint64_t>(t.OffY & 0xffff), static_cast<uint64_t>(t.VY & 0xffff)});
  }
  return h;
}

uint64_t Survey::LocalHash(int room) const {
  uint64_t h = 1469598103934665603ull;
  auto f = roomFlags_.find(room);
  if (f != roomFlags_.end()) {
    for (int i : f->second) h = (h ^ (f_.Flags(i) + 1u + 256u * i)) * 1099511628211ull;
  }
  auto it = roomItems_.find(room);
  if (it != roomItems_.end()) {
    for (int n : it->second) h = (h ^ (f_.ItemCount(n) > 0 ? n + 1 : 0)) * 1099511628211ull;
  }
  return (h ^ static_cast<uint16_t>(f_.DriftX)) * 1099511628211ull;
}

bool Survey::StandableIn(const Snapshot& s, long long c, long long r) const {
  if (c < 0 || c > 257 || r < 0 || r > 256) return false;
  auto solid = [&](long long x, long long y) {
    return !Form1::InViewReach(x, y) || f_.TileAttr(s.map(x, y)) == 3;
  };
  const int k = f_.TileAttr(s.map(c, r));
  return !solid(c, r) && solid(c, r + 1) && k != 1 && k != 2;
}

bool Survey::Standable(long long c, long long r) const {
  if (c < 0 || c > 257 || r < 0 || r > 256) return false;
  const int k = f_.CellClass(c, r);
  return !f_.SolidForPlayer(c, r) && f_.SolidForPlayer(c, r + 1) && k != 1 && k != 2;
}

template <typename Policy>
Outcome Survey::Play(Policy policy, int maxTicks) {
  Outcome o;
  warped_ = false;
  bool moved = false, wasRiding = false;
  long lastX = 0, lastY = 0;
  int still = 0;
  for (int t = 0; t < maxTicks; ++t) {
    std::array<int, 40> item{};
    for (int i = 1; i <= 39; ++i) item[static_cast<size_t>(i)] = f_.Obj(i).Kind;
    // Full life before each tick: a heart found raises the ceiling, harm takes from the life.
    const Integer life = f_.Life = f_.LifeMax;
    plat_.StartTick(policy(t));
    f_.Timer1_Timer();
    ++ticks_;
    const auto& p = f_.Obj(0);
    if (f_.Life < life) o.hurt = true;
    for (int i = 1; i <= 39; ++i) {
      const int k = item[static_cast<size_t>(i)];
      if (k >= 20 && f_.Obj(i).Kind < 20) {
        o.taken.push_back(ItemId(loadedRoom_, k - 20, f_.Obj(i).X, f_.Obj(i).Y));
      }
    }
    o.x = p.X;
    o.y = p.Y;
    o.x0 = std::min<int>(o.x0, p.X);
    o.x1 = std::max<int>(o.x1, p.X);
    o.y0 = std::min<int>(o.y0, p.Y);
    o.y1 = std::max<int>(o.y1, p.Y);
    if (f_.RidingLift) o.reusable = false;
    if (f_.JumpLen == 12) o.padded = true;  // a blast pad threw her
    if (const Integer ev = f_.EventMap(p.X, p.Y); ev > 0) {
      const auto& text = f_.EventText(ev);
      if (!text.empty() && text[0] == U'%') o.scripted = true;  // it runs without a key
    }
    if (warped_) {
      o.kind = Outcome::Exit;
      o.maze = warp_[0];
      o.wx = warp_[1];
      o.wy = warp_[2];
      o.room = warp_[3];
      return o;
    }
    const long px = p.X * 32L + p.OffX, py = p.Y * 32L + p.OffY;
    if (t > 0 && (px != lastX || py != lastY)) moved = true;
    still = (t > 0 && px == lastX && py == lastY) ? still + 1 : 0;
    lastX = px;
    lastY = py;
    if (f_.RidingLift) {
      o.col = p.X;
      // On a lift she stops where it stands still for a while.
      if (wasRiding && still >= 2 && (moved || policy.StopOnLift())) {
        o.kind = Outcome::Ride;
        return o;
      }
      wasRiding = true;
      continue;
    }
    wasRiding = false;
    if (t > 0 && f_.AirTime == 0 && p.VX == 0 && p.Param == 0 && policy.Landed()) {
      o.kind = Outcome::Stand;
      o.col = p.X;
      if (!Standable(o.col, p.Y) && Standable(f_.LeanColumn(10), p.Y)) {
        o.col = static_cast<int>(f_.LeanColumn(10));
      }
      return o;
    }
  }
  return o;  // None: she never came to rest
}

template <typename Setup, typename Policy>
Outcome Survey::Move(int node, const Style& s, Setup prepare, Policy policy, int maxTicks) {
  const Node& n = nodes_[static_cast<size_t>(node)];
  uint64_t key = 1469598103934665603ull;
  for (long v : {long{n.room}, long{n.row}, long{n.c0}, long{n.c1}, long{s.kind}, long{s.dir},
                 long{s.speed}, long{s.steer}, long{s.hold}, s.takeoff}) {
    key = (key ^ static_cast<uint64_t>(v)) * 1099511628211ull;
  }
  auto& tried = cache_[key];
  for (const Cached& c : tried) {
    const Outcome& o = c.o;
    // A script on the way may do otherwise with other flags or items.
    if (o.scripted && c.stateHash != n.stateHash) continue;
    // A pad by the path that was not there (it had sunk), or a throw from pads that differ.
    if (o.padded ? c.padHash != n.padHash : !SamePadsAlong(*c.snap, *n.snap, o)) continue;
    bool same = true;
    for (int y = o.y0 - 1; same && y <= o.y1 + 1; ++y) {
      for (int x = o.x0 - 1; same && x <= o.x1 + 1; ++x) {
        same = c.snap->map(x, y) == n.snap->map(x, y);
      }
    }
    if (!same) continue;
    ++reused_;
    Outcome r = o;
    r.mapHash = 0;
    if (o.changes.empty() && o.padsAfter.empty()) {
      r.known = true;  // she ends where she ended there, in this state of the room
      return r;
    }
    // The blocks she struck there break here too, and the pads she used sink.
    Restore(*n.snap);
    for (const auto& [x, y, t] : o.changes) f_.Map(x, y) = static_cast<Integer>(t);
    for (const auto& [i, pad] : o.padsAfter) f_.Obj(i) = pad;
    if (o.changes.empty()) r.mapHash = n.mapHash;
    Place(o.x * 32L, o.y, 0);
    return r;
  }
  const auto snap = n.snap;
  const uint64_t mapBefore = n.mapHash, stateBefore = n.stateHash;
  prepare();
  Outcome o = Play(policy, maxTicks);
  // Her own moves change the map only where she strikes or breaks a block, by her path; a
  // script may change it anywhere.
  for (int y = o.y0 - 2; y <= o.y1 + 2; ++y) {
    for (int x = o.x0 - 2; x <= o.x1 + 2; ++x) {
      if (f_.Map(x, y) != snap->map(x, y)) o.changes.push_back({x, y, f_.Map(x, y)});
    }
  }
  o.mapHash = o.changes.empty() && !o.scripted ? mapBefore : MapHash();
  if (o.padded) {
    for (int i = 1; i <= 39; ++i) {
      if (snap->obj(i).Kind == 9) o.padsAfter.push_back({i, f_.Obj(i)});
    }
  }
  // A key or an orb picked up changes what she carries wherever she does not have it yet.
  for (int item : o.taken) {
    if (keyItems_.count(items_[static_cast<size_t>(item)].n)) o.reusable = false;
  }
  if (o.kind == Outcome::Stand && o.reusable && StateHash() == stateBefore &&
      (o.mapHash == mapBefore || !o.changes.empty())) {
    tried.push_back({snap, stateBefore, n.padHash, o});
  }
  return o;
}

namespace {

// A jump: run-up speed and side, hold, and steering held in the air; after landing, no key.
struct JumpPolicy {
  const Form1& f;
  int dir, speed, hold, steer;
  bool air = false, down = false;
  Keys operator()(int t) {
    Keys k;
    if (f.AirTime != 0 || f.RidingLift) air = true;
    if (air && t > 0 && f.AirTime == 0 && !f.RidingLift) down = true;
    if (down) return k;
    if (t == 0)
      k.dir = speed > 0 || steer != 0 ? dir : 0;
    else
      k.dir = steer * dir;
    k.jump = t < hold;
    return k;
  }
  bool Landed() const { return down; }
  bool StopOnLift() const { return true; }
};

// A flight with the fairy shoes: X held for a while, steering held or not; then she falls.
struct FlyPolicy {
  const Form1& f;
  int dir, ticks, steer;
  bool down = false;
  Keys operator()(int t) {
    Keys k;
    if (t > ticks && f.AirTime == 0) down = true;
    if (down) return k;
    k.fly = t < ticks;
    k.dir = steer * dir;
    return k;
  }
  bool Landed() const { return down; }
  bool StopOnLift() const { return true; }
};

// Walking off an edge at a speed, then steering in the fall.
struct WalkOffPolicy {
  const Form1& f;
  int dir, steer;
  bool air = false, down = false;
  Keys operator()(int) {
    Keys k;
    if (f.AirTime != 0) air = true;
    if (air && f.AirTime == 0) down = true;
    if (down) return k;
    k.dir = air ? steer * dir : dir;
    return k;
  }
  bool Landed() const { return down; }
  bool StopOnLift() const { return true; }
};

// Up once, then nothing: a sign, a door, a lever. Or nothing at all (a ride, an arrival).
struct StillPolicy {
  bool up = false;
  bool stopOnLift = true;
  Keys operator()(int t) {
    Keys k;
    k.up = up && t == 0;
    return k;
  }
  bool Landed() const { return true; }
  bool StopOnLift() const { return stopOnLift; }
};

}  // namespace

int Survey::NodeFor(const Outcome& o, int room, int from) {
  // A known outcome lands in the state of the room of the node it started from; else the
  // game is in the state the move left.
  const Node* src = o.known ? &nodes_[static_cast<size_t>(from)] : nullptr;
  auto standable = [&](long long c, long long r) {
    return src ? StandableIn(*src->snap, c, r) : Standable(c, r);
  };
  Node n;
  n.room = room;
  n.x = o.x;
  n.y = o.y;
  n.row = o.y;
  n.mapHash = src ? src->mapHash : o.mapHash != 0 ? o.mapHash : MapHash(from);
  n.padHash = src ? src->padHash : PadHash(f_.Obj);
  n.stateHash = src ? src->stateHash : StateHash();
  n.localHash = src ? src->localHash : LocalHash(room);
  if (o.kind == Outcome::Ride) {
    n.lift = true;
    n.c0 = n.c1 = o.x;
  } else {
    // Her own cell, or the column she leans over at the edge of a floor; the floor run it
    // belongs to is the same for every move that lands on it in this map.
    const uint64_t rk = Mix({n.mapHash, static_cast<uint64_t>(room), static_cast<uint64_t>(o.y),
                             static_cast<uint64_t>(o.col)});
    if (auto r = runs_.find(rk); r != runs_.end()) {
      n.c0 = r->second.first;
      n.c1 = r->second.second;
    } else {
      n.c0 = n.c1 = o.col;
      if (standable(o.col, o.y)) {
        while (standable(n.c0 - 1, o.y)) --n.c0;
        while (standable(n.c1 + 1, o.y)) ++n.c1;
      }
      runs_[rk] = {n.c0, n.c1};
    }
  }
  const uint64_t key =
      NodeKey(room, n.row, n.c0, n.lift ? n.x : 0, n.mapHash ^ n.padHash, n.stateHash, n.lift);
  auto it = nodeIds_.find(key);
  if (it != nodeIds_.end()) return it->second;
  if (src) {
    const auto snap = src->snap;
    Restore(*snap);
    Place(o.x * 32L, o.y, 0);
  }
  n.snap = Take();
  n.prog = Carried();
  nodes_.push_back(n);
  const int id = static_cast<int>(nodes_.size()) - 1;
  nodeIds_[key] = id;
  queue_.push_back(id);
  return id;
}

Outcome Survey::Rest(int maxTicks) {
  return Play(StillPolicy{false, true}, maxTicks);
}

void Survey::Place(long px, int row, int vx) {
  auto& p = f_.Obj(0);
  const long x = (px + 16) >= 0 ? (px + 16) / 32 : -((31 - (px + 16)) / 32);
  p.X = static_cast<Integer>(x);
  p.OffX = static_cast<Integer>(px - 32 * x);
  p.Y = static_cast<Integer>(row);
  p.OffY = p.VY = p.Param = p.Delay = 0;
  p.VX = static_cast<Integer>(vx);
  f_.AirTime = f_.JumpLen = 0;
  f_.RidingLift = false;
}

void Survey::Expand(int id) {
  const Node& n = nodes_[static_cast<size_t>(id)];
  const auto key = std::make_tuple(n.room, n.row, n.c0, n.lift ? n.x : 0, n.lift,
                                   n.mapHash ^ n.padHash, n.localHash);
  auto it = templates_.find(key);
  if (it != templates_.end()) {
    Replicate(id, it->second);
    return;
  }
  SnapOf(id);
  ExpandMoves(id);
  ++played_;
  templates_[key] = id;
}

// The moves of a place found before in the same state of its room, with other flags or items
// that the room's scripts never ask about: the same moves, to the same places, each changing
// what she carries as it did there.
void Survey::Replicate(int id, int tpl) {
  const std::vector<int> out = nodes_[static_cast<size_t>(tpl)].out;
  for (int e : out) {
    Edge copy = edges_[static_cast<size_t>(e)];
    const Progress p = copy.delta->Apply(*nodes_[static_cast<size_t>(id)].prog);
    int to = -1, exit = -1;
    if (copy.to >= 0) {
      const Node& t = nodes_[static_cast<size_t>(copy.to)];
      const uint64_t state = StateHashOf(p, t.snap->driftX);
      const uint64_t nk =
          NodeKey(t.room, t.row, t.c0, t.lift ? t.x : 0, t.mapHash ^ t.padHash, state, t.lift);
      if (auto f = nodeIds_.find(nk); f != nodeIds_.end()) {
        to = f->second;
      } else {
        Node nn = t;
        nn.stateHash = state;
        nn.prog = std::make_shared<Progress>(p);
        nn.ownSnap = false;  // its map and things are t's; what she carries is p
        nn.out.clear();
        nn.via = -1;
        nodes_.push_back(nn);
        to = static_cast<int>(nodes_.size()) - 1;
        nodeIds_[nk] = to;
        queue_.push_back(to);
      }
    } else {
      if (copy.exitEntry >= 0) exit = EntryWith(copy.exitEntry, p);
    }
    copy.from = id;
    copy.to = to;
    copy.exitEntry = exit;
    const uint64_t ek = EdgeKey(id, to, exit, static_cast<int>(copy.kind), copy.items);
    if (edgeIds_.count(ek)) continue;
    edges_.push_back(copy);
    const int ne = static_cast<int>(edges_.size()) - 1;
    edgeIds_[ek] = ne;
    nodes_[static_cast<size_t>(id)].out.push_back(ne);
    if (to >= 0 && nodes_[static_cast<size_t>(to)].via < 0)
      nodes_[static_cast<size_t>(to)].via = ne;
  }
}

// Up on every event she can stand on here.
void Survey::UseMoves(int id, const Snapshot& from) {
  const Node n = nodes_[static_cast<size_t>(id)];
  if (n.lift) return;
  for (int c = n.c0; c <= n.c1; ++c) {
    const Integer ev = f_.EventMap(c, n.row);
    if (ev <= 0) continue;
    const auto& text = f_.EventText(ev);
    if (!text.empty() && (text[0] == U'%' || text[0] == U'&')) continue;
    Restore(from);
    Place(c * 32L, n.row, 0);
    const Outcome o = Play(StillPolicy{true}, 200);
    AddOutcome(id, Style{Style::Use, 0, 0, 0, 0, c * 32L}, o);
  }
}

void Survey::ExpandMoves(int id) {
  const Node n = nodes_[static_cast<size_t>(id)];
  const std::shared_ptr<Snapshot> snap = n.snap;
  const int row = n.row;
  auto add = [&](const Style& s, const Outcome& o) { AddOutcome(id, s, o); };
  if (n.lift) {
    const long at = snap->obj(0).X * 32L + snap->obj(0).OffX;
    for (int d : {-1, 1}) {
      for (int h = 1; h <= RiseTicks(0); ++h) {
        for (int s : {1, 0}) {
          if (s == 0 && d < 0) continue;  // straight up is the same either side
          Restore(*snap);
          add(Style{Style::Jump, d, 0, s, h, at}, Play(JumpPolicy{f_, d, 0, h, s}, 200));
        }
      }
    }
    Restore(*snap);
    add(Style{Style::Ride, 0, 0, 0, 0, at}, Play(StillPolicy{false, false}, 400));
    return;
  }
  const long lo = n.c0 * 32L - 16, hi = n.c1 * 32L + 15;
  UseMoves(id, *snap);
  // Jumps from every take-off, standing and from a full run-up, each hold, with and
  // without steering.
  for (long px = lo; px <= hi; px += kStep) {
    for (int d : {-1, 1}) {
      for (int v : {0, 8}) {
        // A full run-up takes 36 pixels of this floor behind the take-off.
        if (v > 0 && (px - d * 36 < lo || px - d * 36 > hi)) continue;
        for (int h = 1; h <= RiseTicks(v); ++h) {
          for (int s : {1, 0}) {
            if (v == 0 && s == 0 && d < 0) continue;
            const Style st{Style::Jump, d, v, s, h, px};
            auto prepare = [&] {
              Restore(*snap);
              Place(px, row, d * v);
            };
            add(st, Move(id, st, prepare, JumpPolicy{f_, d, v, h, s}, 200));
          }
        }
      }
    }
  }
  // Flights, once she has the fairy shoes: X held for a short or long while, straight up or
  // steering to a side, from every other take-off.
  if (snap->items(34) != 0) {
    for (long px = lo; px <= hi; px += 2 * kStep) {
      for (int d : {-1, 1}) {
        for (int ticks : {4, 8, 12, 16, 24, 32, 48}) {
          for (int s : {1, 0}) {
            if (s == 0 && d < 0) continue;
            const Style st{Style::Fly, d, 0, s, ticks, px};
            auto prepare = [&] {
              Restore(*snap);
              Place(px, row, 0);
            };
            add(st, Move(id, st, prepare, FlyPolicy{f_, d, ticks, s}, 300));
          }
        }
      }
    }
  }
  // Walking off either end, slow or fast, steering on, not at all, or back.
  for (int d : {-1, 1}) {
    const int c = d < 0 ? n.c0 - 1 : n.c1 + 1;
    if (f_.SolidForPlayer(c, row)) continue;
    for (int v : {2, 8}) {
      for (int s : {1, 0, -1}) {
        const Style st{Style::WalkOff, d, v, s, 0, d < 0 ? lo : hi};
        auto prepare = [&] {
          Restore(*snap);
          Place(d < 0 ? lo + 8 : hi - 8, row, d * v);
        };
        add(st, Move(id, st, prepare, WalkOffPolicy{f_, d, s}, 200));
      }
    }
  }
  // Waiting for each lift of the room to come by this floor, then stepping on.
  for (int i = 1; i <= 39; ++i) {
    if (snap->obj(i).Kind != 19) continue;
    Restore(*snap);
    auto by = [&] {
      const auto& t = f_.Obj(i);
      return t.Kind == 19 && std::abs(t.Y - row) <= 1 && t.X >= n.c0 - 1 && t.X <= n.c1 + 1;
    };
    int waited = 0;
    for (; waited < kLiftWait && !by(); ++waited) {
      plat_.StartTick({});
      f_.Life = f_.LifeMax;
      f_.Timer1_Timer();
      ++ticks_;
    }
    if (!by()) continue;
    const auto& t = f_.Obj(i);
    Place(t.X * 32L + t.OffX, row, 0);
    add(Style{Style::Ride, 0, 0, 0, 0, t.X * 32L}, Play(StillPolicy{false, true}, 400));
  }
}

// Every place a warp or a load puts her, with the room's things as they are: she stands
// still for five seconds and nothing may reach her.
void Survey::CheckArrivals(const std::set<int>& rooms, std::vector<Finding>& out) {
  std::set<std::tuple<int, int, int>> seen;
  for (const Entry& e : entries_) {
    if (!rooms.empty() && !rooms.count(e.room)) continue;
    if (!seen.insert({e.room, e.x, e.y}).second) continue;
    Arrive(e);
    const auto& p = f_.Obj(0);
    struct Wait {
      Keys operator()(int) { return {}; }
      bool Landed() const { return false; }
      bool StopOnLift() const { return false; }
    };
    for (int t = 0; t < kArrivalTicks; ++t) {
      const Outcome o = Play(Wait{}, 1);
      if (o.kind == Outcome::Exit) break;
      if (!o.hurt) continue;
      std::string who = "a tile";
      int best = 1 << 30;
      for (int i = 1; i <= 39; ++i) {
        const auto& th = f_.Obj(i);
        const int d = std::abs(th.X - p.X) + std::abs(th.Y - p.Y);
        if (Harmful(th.Kind) && d < best && d <= 2) {
          best = d;
          who = "a thing of kind " + std::to_string(th.Kind) + " (now at " + std::to_string(th.X) +
                "," + std::to_string(th.Y) + ")";
        }
      }
      char secs[32];
      std::snprintf(secs, sizeof secs, "%.1f", (t + 1) * 0.048);
      out.push_back({"arrival", e.room,
                     "arrival at " + std::to_string(e.x) + "," + std::to_string(e.y) + ": " + who +
                         " hurts her " + secs + " s after she arrives, standing still"});
      break;
    }
  }
}

int Survey::ItemId(int room, int n, int x, int y) {
  const auto key = std::make_tuple(room, n, x, y);
  auto it = itemIds_.find(key);
  if (it != itemIds_.end()) return it->second;
  items_.push_back(Item{room, n, x, y});
  return itemIds_[key] = static_cast<int>(items_.size()) - 1;
}

}  // namespace survey
