// The survey's findings over the graph of moves: traps, items and ways an order of play loses,
// arrivals that enemies reach, and main-path moves with a window under the bar.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <sstream>

#include "survey.h"

namespace survey {

namespace {

// A window: the take-off pixels (and columns) from which some hold makes the move, and the
// hold lengths with which it is made from some take-off.
struct Measure {
  int takeoffPx = 0, columns = 0, holds = 0;
  int dir = 0, speed = 0;
  bool lift = false;
};

Measure Measured(const std::set<std::pair<long, int>>& both, int step) {
  std::set<long> takeoffs, columns;
  std::set<int> holds;
  for (const auto& [t, h] : both) {
    takeoffs.insert(t);
    columns.insert((t + 16) >= 0 ? (t + 16) / 32 : -1 - (-(t + 16) - 1) / 32);
    holds.insert(h);
  }
  Measure m;
  m.takeoffPx = static_cast<int>(takeoffs.size()) * step;
  m.columns = static_cast<int>(columns.size());
  m.holds = static_cast<int>(holds.size());
  return m;
}

}  // namespace

std::string Survey::Place(int node) const {
  const Node& n = nodes_[static_cast<size_t>(node)];
  std::ostringstream s;
  if (n.lift) {
    s << "a lift's stop at " << n.x << "," << n.y;
  } else if (n.c0 == n.c1) {
    s << n.c0 << "," << n.row;
  } else {
    s << n.c0 << ".." << n.c1 << "," << n.row;
  }
  return s.str();
}

// The best window of the move between two places over its styles (standing or running, left
// or right), merged over the edges that differ only in the items they pick up.
static Measure BestWindow(const std::vector<Edge>& edges, const std::vector<int>& ids, bool lift,
                          int step) {
  std::map<std::pair<int, int>, std::set<std::pair<long, int>>> merged;
  for (int id : ids) {
    for (const Edge::Sample& x : *edges[static_cast<size_t>(id)].samples) {
      merged[{x.dir, x.speed}].insert({x.takeoff, x.hold});
    }
  }
  Measure best;
  best.lift = lift;
  auto score = [lift](const Measure& m) {
    const int t = lift ? 64 : std::max(m.takeoffPx, m.columns * 24);
    return std::min(t, 24) * 100 + std::min(m.holds, 3) * 10 + m.holds + t / 8;
  };
  for (const auto& [style, w] : merged) {
    Measure m = Measured(w, step);
    m.dir = style.first;
    m.speed = style.second;
    m.lift = lift;
    if (score(m) > score(best)) best = m;
  }
  return best;
}

// The window of a move: every edge between its two places of its kind, whatever it picks up.
static Measure WindowOf(const std::vector<Node>& nodes, const std::vector<Edge>& edges,
                        const Edge& e, int step) {
  std::vector<int> ids;
  for (int id : nodes[static_cast<size_t>(e.from)].out) {
    const Edge& x = edges[static_cast<size_t>(id)];
    if (x.to == e.to && x.kind == e.kind) ids.push_back(id);
  }
  return BestWindow(edges, ids, nodes[static_cast<size_t>(e.from)].lift, step);
}

bool Survey::WithinBar(const Edge& e, bool optional) const {
  if (e.clean == 0) return false;  // it always hurts
  if (e.kind != Style::Jump) return true;
  // Judged once per edge: the checks ask again from every arrival.
  auto& known = withinBar_[optional ? 1 : 0];
  if (known.size() < edges_.size()) known.resize(edges_.size(), -1);
  int8_t& k = known[static_cast<size_t>(&e - edges_.data())];
  if (k >= 0) return k != 0;
  const Measure m = WindowOf(nodes_, edges_, e, kStep);
  const bool wide = m.lift || m.takeoffPx >= 24 || m.columns >= 2;
  const bool within =
      optional ? (m.lift || m.takeoffPx >= 2 * kStep) && m.holds >= 2 : wide && m.holds >= 3;
  k = within ? 1 : 0;
  return within;
}

std::string Survey::WindowText(const Edge& e) const {
  if (e.clean == 0) return "it hurts every time";
  if (e.kind != Style::Jump) return "wide";
  const Measure m = WindowOf(nodes_, edges_, e, kStep);
  std::ostringstream s;
  s << (m.speed > 0 ? "running " : "standing ") << (m.dir < 0 ? "left" : "right") << ": ";
  if (m.lift) {
    s << "from the lift";
  } else {
    s << m.takeoffPx << " px of take-off in " << m.columns << " column"
      << (m.columns == 1 ? "" : "s");
  }
  s << ", " << m.holds << " hold length" << (m.holds == 1 ? "" : "s");
  return s.str();
}

std::string Survey::MoveText(const Edge& e) const {
  std::string to = e.to >= 0 ? Place(e.to) : "the warp";
  if (e.to < 0 && e.exitEntry >= 0) {
    const auto& x = entries_[static_cast<size_t>(e.exitEntry)];
    to = "the warp to room " + std::to_string(x.room);
  }
  return e.what + " from " + Place(e.from) + " to " + to;
}

bool Survey::Optional(int room, int itemId) const {
  if (optionalRooms_.count(room)) return true;
  if (itemId < 0) return false;
  const Item& it = items_[static_cast<size_t>(itemId)];
  if (optionalItems_.count({it.room, it.x, it.y})) return true;
  // Crystals and hearts reward exploring; keys, orbs and special items are on the way.
  return it.n == 0 || it.n == 8 || it.n == 9;
}

namespace {
// Successors of a node in the whole world: its moves, and a warp's arrival.
template <typename F>
void ForEachNext(const std::vector<Node>& nodes, const std::vector<Edge>& edges,
                 const std::vector<int>& entryNode, int n, F f) {
  for (int id : nodes[static_cast<size_t>(n)].out) {
    const Edge& e = edges[static_cast<size_t>(id)];
    const int to =
        e.to >= 0 ? e.to : (e.exitEntry >= 0 ? entryNode[static_cast<size_t>(e.exitEntry)] : -1);
    if (to >= 0) f(id, to);
  }
}
}  // namespace

std::vector<Finding> Survey::Check(const std::set<int>& rooms) {
  std::vector<Finding> out;
  auto asked = [&](int room) { return rooms.empty() || rooms.count(room) > 0; };
  const size_t N = nodes_.size();
  std::vector<int> entryNode;
  for (const Entry& e : entries_) entryNode.push_back(e.node);
  std::vector<std::vector<std::pair<int, int>>> back(N);  // (edge, from)
  for (size_t n = 0; n < N; ++n) {
    ForEachNext(nodes_, edges_, entryNode, static_cast<int>(n), [&](int id, int to) {
      back[static_cast<size_t>(to)].push_back({id, static_cast<int>(n)});
    });
  }
  auto backFrom = [&](const std::vector<int>& seeds, bool sameRoomOnly) {
    std::vector<char> seen(N, 0);
    std::deque<int> q;
    for (int s : seeds) {
      if (!seen[static_cast<size_t>(s)]) {
        seen[static_cast<size_t>(s)] = 1;
        q.push_back(s);
      }
    }
    while (!q.empty()) {
      const int n = q.front();
      q.pop_front();
      for (const auto& [id, from] : back[static_cast<size_t>(n)]) {
        if (sameRoomOnly && edges_[static_cast<size_t>(id)].to < 0) continue;
        if (!seen[static_cast<size_t>(from)]) {
          seen[static_cast<size_t>(from)] = 1;
          q.push_back(from);
        }
      }
    }
    return seen;
  };

  // Traps: places from which no move chain reaches a door, a warp or a lantern.
  std::vector<int> exits;
  for (const Edge& e : edges_) {
    if (e.to < 0) exits.push_back(e.from);
  }
  const auto out1 = backFrom(exits, true);
  std::set<std::tuple<int, int, int>> trapped;
  for (size_t n = 0; n < N; ++n) {
    const Node& nd = nodes_[n];
    if (out1[n] || !asked(nd.room)) continue;
    if (!trapped.insert({nd.room, nd.row, nd.c0}).second) continue;
    std::string how = nd.via >= 0 ? " (" + MoveText(edges_[static_cast<size_t>(nd.via)]) + ")" : "";
    out.push_back({"trap", nd.room,
                   "trap at " + Place(static_cast<int>(n)) + how +
                       ": no move leads to a door, a warp or a lantern"});
  }

  // Reachable from a new game, avoiding the edges that pick up one item (-1: none avoided).
  const int start = entries_.empty() ? -1 : entries_[static_cast<size_t>(start_)].node;
  auto forward = [&](int avoid) {
    std::vector<char> seen(N, 0);
    if (start < 0) return seen;
    std::deque<int> q{start};
    seen[static_cast<size_t>(start)] = 1;
    while (!q.empty()) {
      const int n = q.front();
      q.pop_front();
      ForEachNext(nodes_, edges_, entryNode, n, [&](int id, int to) {
        const auto& its = edges_[static_cast<size_t>(id)].items;
        if (avoid >= 0 && std::find(its.begin(), its.end(), avoid) != its.end()) return;
        if (!seen[static_cast<size_t>(to)]) {
          seen[static_cast<size_t>(to)] = 1;
          q.push_back(to);
        }
      });
    }
    return seen;
  };

  // Items an order of play loses: a place reached without the item from which it can never
  // be had again.
  for (size_t i = 0; i < items_.size(); ++i) {
    const Item& it = items_[i];
    if (!asked(it.room)) continue;
    std::vector<int> takers;
    for (const Edge& e : edges_) {
      if (std::find(e.items.begin(), e.items.end(), static_cast<int>(i)) != e.items.end())
        takers.push_back(e.from);
    }
    if (takers.empty()) {
      out.push_back({"lost", it.room,
                     "item " + std::to_string(it.n) + " at " + std::to_string(it.x) + "," +
                         std::to_string(it.y) + " can never be had: no move reaches it"});
      continue;
    }
    const auto canTake = backFrom(takers, false);
    const auto without = forward(static_cast<int>(i));
    for (size_t n = 0; n < N; ++n) {
      if (!without[n] || canTake[n] || trapped.count({nodes_[n].room, nodes_[n].row, nodes_[n].c0}))
        continue;
      const Node& nd = nodes_[n];
      std::string how =
          nd.via >= 0 ? " (" + MoveText(edges_[static_cast<size_t>(nd.via)]) + ")" : "";
      out.push_back({"lost", it.room,
                     "item " + std::to_string(it.n) + " at " + std::to_string(it.x) + "," +
                         std::to_string(it.y) + " is lost for good once she is in room " +
                         std::to_string(nd.room) + " at " + Place(static_cast<int>(n)) + how});
      break;
    }
  }

  // The way on: the furthest room must stay within reach from everywhere she can be.
  int goalRoom = 0;
  for (const Entry& e : entries_) goalRoom = std::max(goalRoom, e.room);
  std::vector<int> goal;
  for (const Entry& e : entries_) {
    if (e.room == goalRoom && e.node >= 0) goal.push_back(e.node);
  }
  const auto canGo = backFrom(goal, false);
  const auto all = forward(-1);
  std::set<std::tuple<int, int, int>> stuck;
  for (size_t n = 0; n < N; ++n) {
    const Node& nd = nodes_[n];
    if (!all[n] || canGo[n] || !asked(nd.room) || trapped.count({nd.room, nd.row, nd.c0})) continue;
    if (!stuck.insert({nd.room, nd.row, nd.c0}).second) continue;
    std::string how = nd.via >= 0 ? " (" + MoveText(edges_[static_cast<size_t>(nd.via)]) + ")" : "";
    out.push_back({"lost", nd.room,
                   "the way on to room " + std::to_string(goalRoom) + " is lost for good at " +
                       Place(static_cast<int>(n)) + how});
  }

  // Main-path windows: from each arrival to each exit and each item on the way, the path with
  // the fewest moves under the bar; every such move is a finding.
  std::set<std::pair<int, int>> reported;
  // The search stays in the arrival's room: only the places it reached are reset after it.
  std::vector<int> dist(N, 1 << 30), via(N, -1), reached;
  for (const Entry& en : entries_) {
    if (en.node < 0 || !asked(en.room)) continue;
    const bool optRoom = optionalRooms_.count(en.room) > 0;
    for (int pass = 0; pass < 2; ++pass) {
      const bool lowBar = pass == 1;  // the lower bar, for optional places
      for (int n : reached) {
        dist[static_cast<size_t>(n)] = 1 << 30;
        via[static_cast<size_t>(n)] = -1;
      }
      reached.assign(1, en.node);
      std::deque<int> q{en.node};
      dist[static_cast<size_t>(en.node)] = 0;
      while (!q.empty()) {
        const int n = q.front();
        q.pop_front();
        for (int id : nodes_[static_cast<size_t>(n)].out) {
          const Edge& e = edges_[static_cast<size_t>(id)];
          if (e.to < 0) continue;
          const int w = WithinBar(e, lowBar) ? 0 : 1;
          if (dist[static_cast<size_t>(n)] + w < dist[static_cast<size_t>(e.to)]) {
            if (dist[static_cast<size_t>(e.to)] == (1 << 30)) reached.push_back(e.to);
            dist[static_cast<size_t>(e.to)] = dist[static_cast<size_t>(n)] + w;
            via[static_cast<size_t>(e.to)] = id;
            if (w == 0)
              q.push_front(e.to);
            else
              q.push_back(e.to);
          }
        }
      }
      // Targets: each exit (main) and each item (main or optional), by its cheapest move.
      std::map<std::string, std::pair<int, int>> best;  // target: cost, edge
      std::sort(reached.begin(), reached.end());        // in the order of the places, as before
      for (int r : reached) {
        const size_t n = static_cast<size_t>(r);
        for (int id : nodes_[n].out) {
          const Edge& e = edges_[static_cast<size_t>(id)];
          const int cost = dist[n] + (WithinBar(e, lowBar) ? 0 : 1);
          auto consider = [&](const std::string& key) {
            auto it = best.find(key);
            if (it == best.end() || cost < it->second.first) best[key] = {cost, id};
          };
          if (e.to < 0 && !lowBar && !optRoom && e.exitEntry >= 0) {
            const Entry& x = entries_[static_cast<size_t>(e.exitEntry)];
            consider("exit " + std::to_string(x.room) + "," + std::to_string(x.x) + "," +
                     std::to_string(x.y));
          } else if (e.to < 0 && !lowBar && !optRoom) {
            consider("exit out of the rooms surveyed");
          }
          for (int item : e.items) {
            if (optRoom ? lowBar : Optional(en.room, item) == lowBar) {
              consider("item " + std::to_string(item));
            }
          }
        }
      }
      auto report = [&](int id) {
        const Edge& e = edges_[static_cast<size_t>(id)];
        if (!lowBar) mainEdges_.insert(id);
        if (WithinBar(e, lowBar)) return;
        if (!reported.insert({e.from, e.to}).second) return;
        out.push_back({"window", en.room,
                       std::string(lowBar ? "optional" : "main-path") +
                           " move under the bar: " + MoveText(e) + ": " + WindowText(e)});
      };
      for (const auto& [target, ce] : best) {
        const int id = ce.second;
        report(id);
        for (int m = edges_[static_cast<size_t>(id)].from; via[static_cast<size_t>(m)] >= 0;
             m = edges_[static_cast<size_t>(via[static_cast<size_t>(m)])].from) {
          report(via[static_cast<size_t>(m)]);
        }
      }
    }
  }
  for (int e : restless_) {
    const Entry& en = entries_[static_cast<size_t>(e)];
    if (!asked(en.room)) continue;
    out.push_back({"arrival", en.room,
                   "arrival at " + std::to_string(en.x) + "," + std::to_string(en.y) +
                       ": she never comes to rest there"});
  }
  CheckArrivals(rooms, out);
  // The same place or move found in other states of the world is one finding.
  std::vector<Finding> once;
  std::set<std::string> said;
  for (Finding& f : out) {
    if (said.insert(std::to_string(f.room) + f.kind + f.text).second) once.push_back(f);
  }
  return once;
}

std::vector<std::string> Survey::Table(const std::set<int>& rooms) {
  std::vector<std::string> rows;
  std::set<std::pair<int, int>> seen;
  std::vector<int> ids(mainEdges_.begin(), mainEdges_.end());
  std::sort(ids.begin(), ids.end(), [&](int a, int b) {
    const Edge &x = edges_[static_cast<size_t>(a)], &y = edges_[static_cast<size_t>(b)];
    const Node &nx = nodes_[static_cast<size_t>(x.from)], &ny = nodes_[static_cast<size_t>(y.from)];
    return std::tie(nx.room, a) < std::tie(ny.room, b);
  });
  for (int id : ids) {
    const Edge& e = edges_[static_cast<size_t>(id)];
    const int room = nodes_[static_cast<size_t>(e.from)].room;
    if (e.kind != Style::Jump || (!rooms.empty() && !rooms.count(room))) continue;
    if (!seen.insert({e.from, e.to}).second) continue;
    // The same move in another state of the room is one row.
    const std::string move = "| " + std::to_string(room) + " | " + MoveText(e) + " | ";
    if (std::any_of(rows.begin(), rows.end(),
                    [&](const std::string& r) { return r.rfind(move, 0) == 0; }))
      continue;
    const std::string row =
        move + WindowText(e) + " | " + (WithinBar(e, false) ? "yes" : "**no**") + " |";
    rows.push_back("| " + std::to_string(room) + " | " + MoveText(e) + " | " + WindowText(e) +
                   " | " + (WithinBar(e, false) ? "yes" : "**no**") + " |");
  }
  return rows;
}

}  // namespace survey
