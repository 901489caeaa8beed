// The route language: what a player does, line by line, in words the recorder turns into the
// timed input script of the headless game.
//
//   new game                      choose NEW GAME on the title (the intro's messages close
//                                 themselves, as every message does)
//   load game from FILE           before the game starts, slot 1 holds the save FILE (a path
//                                 beside the route); choose slot 1 on the title
//   saves N                       at the save prompts from here on choose slot N (0: leave)
//   walk left|right to X          walk, let go in time to stop in column X, wait until still
//   walk left|right until COND    walk until COND holds, then let go
//   jump [left|right] [TICKS] [until COND]
//                                 hold a jump key for TICKS ticks, until COND, or for the whole
//                                 rise; with a side, hold that way too until she lands
//   press KEY [TICKS]             hold KEY for TICKS play ticks (1)
//   down KEY... / up KEY...       keys that stay down until let go
//   wait TICKS | wait until COND  play ticks, or until COND holds (at most "within MS", 30 s)
//   checkpoint [COND...]          COND must hold now; the script dumps the state here and the
//                                 replay checks room, cell and counts against this run
//   screenshot FILE               a PNG of the screen while recording (not in the script)
//   ending                        the last directive: wait for the ending to reach its tally,
//                                 dump the state and a screenshot of the tally there (the
//                                 replay checks both), and leave it for the title
//
// COND is NAME OP NUMBER (OP one of = != < > <= >=) over x y offx offy vx vy airtime room maze
// life lifemax crystals items taken flagN itemN thingxN thingyN (the cell of thing N, 1..39,
// as the trace numbers them), or cell=X,Y, or one of landed, still, air.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelmire {
class Form1;
}

namespace route {

struct Condition {
  std::string name;  // a value name, or "landed", "still", "air"
  int index = 0;     // flagN, itemN
  std::string op;
  long value = 0;
  std::string text;  // as written, for reports
};

// Reads a value of the game for a condition; unknown names were refused by the parser.
long ValueOf(const quelmire::Form1& f, const Condition& c);
bool Holds(const quelmire::Form1& f, const Condition& c);

enum class Op {
  NewGame,
  LoadGame,
  Saves,
  WalkTo,
  WalkUntil,
  Jump,
  Press,
  Down,
  Up,
  Wait,
  Checkpoint,
  Screenshot,
  Ending
};

struct Directive {
  int line = 0;
  std::string text;
  Op op = Op::Wait;
  int dir = 0;            // walking: -1 left, +1 right
  int number = 0;         // X of "walk to", ticks, slot
  std::vector<int> keys;  // virtual-key codes of press, down, up; or the jump key
  std::vector<Condition> until;
  int64_t withinMs = 30000;
  std::string file;
};

struct RouteError {
  std::string message;
};

// Parses a route; throws RouteError naming the file and line.
std::vector<Directive> ParseRoute(const std::string& text, const std::string& fileName);

// The FNV-1a hash of a text, written as 16 hex digits: a recorded script names the route
// source it came from by this.
std::string SourceHash(const std::string& text);

// The standard measurements of a checkpoint, "room=1 maze=5 cell=33,38 ...".
std::string Measure(const quelmire::Form1& f);

}  // namespace route
