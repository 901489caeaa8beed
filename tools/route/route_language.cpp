#include "route_language.h"

#include <cstdio>
#include <sstream>

#include "platform/headless_script.h"
#include "shell/form1.h"

namespace route {

namespace {

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
  throw RouteError{file + ":" + std::to_string(line) + ": " + what};
}

bool ParseNumber(const std::string& s, long& out) {
  if (s.empty()) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size() || s.size() > 9) return false;
  for (size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return false;
  }
  out = std::stol(s);
  return true;
}

const char* const kValueNames[] = {"x",       "y",        "offx",  "offy", "vx",
                                   "vy",      "airtime",  "room",  "maze", "life",
                                   "lifemax", "crystals", "items", "taken"};

bool ParseCondition(const std::string& word, Condition& c) {
  c.text = word;
  if (word == "landed" || word == "still" || word == "air") {
    c.name = word;
    return true;
  }
  if (word.rfind("cell=", 0) == 0) return false;  // expanded by the caller
  size_t opAt = word.find_first_of("=!<>");
  if (opAt == std::string::npos || opAt == 0) return false;
  size_t valAt = opAt;
  while (valAt < word.size() && std::string("=!<>").find(word[valAt]) != std::string::npos) {
    ++valAt;
  }
  c.op = word.substr(opAt, valAt - opAt);
  if (c.op != "=" && c.op != "!=" && c.op != "<" && c.op != ">" && c.op != "<=" && c.op != ">=") {
    return false;
  }
  if (!ParseNumber(word.substr(valAt), c.value)) return false;
  std::string name = word.substr(0, opAt);
  for (const char* prefix : {"flag", "item", "thingx", "thingy"}) {
    const std::string p = prefix;
    long n = 0;
    if (name.size() > p.size() && name.rfind(p, 0) == 0 && name != "items" &&
        ParseNumber(name.substr(p.size()), n)) {
      const long most = p == "flag" ? 511 : p == "item" ? 127 : 39;
      if (n < (p[0] == 't' ? 1 : 0) || n > most) return false;
      c.name = p;
      c.index = static_cast<int>(n);
      return true;
    }
  }
  for (const char* known : kValueNames) {
    if (name == known) {
      c.name = name;
      return true;
    }
  }
  return false;
}

// Conditions from the words at and after k; cell=X,Y stands for x=X and y=Y.
std::vector<Condition> ParseConditions(const std::vector<std::string>& w, size_t k,
                                       const std::string& file, int line) {
  std::vector<Condition> out;
  for (; k < w.size(); ++k) {
    if (w[k].rfind("cell=", 0) == 0) {
      long x = 0, y = 0;
      const std::string xy = w[k].substr(5);
      const size_t comma = xy.find(',');
      if (comma == std::string::npos || !ParseNumber(xy.substr(0, comma), x) ||
          !ParseNumber(xy.substr(comma + 1), y)) {
        Fail(file, line, "\"" + w[k] + "\" is not cell=COLUMN,ROW");
      }
      out.push_back({"x", 0, "=", x, "x=" + std::to_string(x)});
      out.push_back({"y", 0, "=", y, "y=" + std::to_string(y)});
      continue;
    }
    Condition c;
    if (!ParseCondition(w[k], c)) {
      Fail(file, line,
           "\"" + w[k] +
               "\" is no condition (NAME OP NUMBER, cell=X,Y, landed, "
               "still or air)");
    }
    out.push_back(c);
  }
  return out;
}

int KeyCode(const std::string& name, const std::string& file, int line) {
  const int input = platform::headless::InputFromName(name);
  if (input < 0 || input > 255) Fail(file, line, "\"" + name + "\" is no key");
  return input;
}

long TickCount(const std::string& s, const std::string& file, int line) {
  long n = 0;
  if (!ParseNumber(s, n) || n < 1 || n > 100000) {
    Fail(file, line, "\"" + s + "\" is not a number of ticks (1..100000)");
  }
  return n;
}

}  // namespace

long ValueOf(const quelmire::Form1& f, const Condition& c) {
  const quelmire::ObjRecord& p = f.Obj(0);
  const std::string& n = c.name;
  if (n == "x") return p.X;
  if (n == "y") return p.Y;
  if (n == "offx") return p.OffX;
  if (n == "offy") return p.OffY;
  if (n == "vx") return p.VX;
  if (n == "vy") return p.VY;
  if (n == "airtime") return f.AirTime;
  if (n == "room") return f.RoomNo;
  if (n == "maze") return p.Kind;
  if (n == "life") return f.Life;
  if (n == "lifemax") return f.LifeMax;
  if (n == "crystals") return f.ItemCount(0);
  if (n == "flag") return f.Flags(c.index);
  if (n == "item") return f.ItemCount(c.index);
  if (n == "thingx") return f.Obj(c.index).X;
  if (n == "thingy") return f.Obj(c.index).Y;
  if (n == "items") {
    long sum = 0;
    for (int i = 1; i <= 34; ++i) sum += f.ItemCount(i);
    return sum;
  }
  if (n == "taken") {
    long count = 0;
    for (int i = 1; i <= 511; ++i) count += !f.TakenList(i).empty();
    return count;
  }
  return 0;
}

bool Holds(const quelmire::Form1& f, const Condition& c) {
  if (c.name == "landed") return f.AirTime == 0;
  if (c.name == "still") return f.AirTime == 0 && f.Obj(0).VX == 0;
  if (c.name == "air") return f.AirTime != 0;
  const long v = ValueOf(f, c);
  if (c.op == "=") return v == c.value;
  if (c.op == "!=") return v != c.value;
  if (c.op == "<") return v < c.value;
  if (c.op == ">") return v > c.value;
  if (c.op == "<=") return v <= c.value;
  return v >= c.value;
}

std::string Measure(const quelmire::Form1& f) {
  auto v = [&](const char* name) {
    Condition c;
    c.name = name;
    return std::to_string(ValueOf(f, c));
  };
  return "room=" + v("room") + " maze=" + v("maze") + " cell=" + v("x") + "," + v("y") +
         " life=" + v("life") + " lifemax=" + v("lifemax") + " crystals=" + v("crystals") +
         " items=" + v("items") + " taken=" + v("taken");
}

std::string SourceHash(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char ch : text) {
    h ^= ch;
    h *= 1099511628211ull;
  }
  char out[17];
  std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
  return out;
}

std::vector<Directive> ParseRoute(const std::string& text, const std::string& file) {
  std::vector<Directive> out;
  std::istringstream in(text);
  std::string raw;
  int line = 0;
  while (std::getline(in, raw)) {
    ++line;
    const std::string body = raw.substr(0, raw.find('#'));
    std::istringstream words(body);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.empty()) continue;
    Directive d;
    d.line = line;
    d.text = body.substr(body.find_first_not_of(" \t"));
    while (!d.text.empty() &&
           (d.text.back() == ' ' || d.text.back() == '\t' || d.text.back() == '\r')) {
      d.text.pop_back();
    }
    // "within MS" at the end bounds any waiting directive.
    if (w.size() >= 2 && w[w.size() - 2] == "within") {
      d.withinMs = TickCount(w.back(), file, line);
      w.resize(w.size() - 2);
    }
    const std::string& verb = w[0];
    auto untilAt = [&](size_t k) {
      if (k >= w.size() || w[k] != "until") Fail(file, line, "\"until\" expected");
      d.until = ParseConditions(w, k + 1, file, line);
      if (d.until.empty()) Fail(file, line, "\"until\" needs a condition");
    };
    if (verb == "new" && w.size() == 2 && w[1] == "game") {
      d.op = Op::NewGame;
    } else if (verb == "ending" && w.size() == 1) {
      d.op = Op::Ending;
    } else if (verb == "load" && w.size() == 4 && w[1] == "game" && w[2] == "from") {
      d.op = Op::LoadGame;
      d.file = w[3];
    } else if (verb == "saves" && w.size() == 2) {
      long slot = 0;
      if (!ParseNumber(w[1], slot) || slot < 0 || slot > 3) {
        Fail(file, line, "saves takes a slot 1..3, or 0 to leave without saving");
      }
      d.op = Op::Saves;
      d.number = static_cast<int>(slot);
    } else if (verb == "walk" && w.size() >= 3 && (w[1] == "left" || w[1] == "right")) {
      d.dir = w[1] == "left" ? -1 : 1;
      if (w[2] == "to" && w.size() == 4) {
        long x = 0;
        if (!ParseNumber(w[3], x) || x < 0 || x > 255) Fail(file, line, "a column is 0..255");
        d.op = Op::WalkTo;
        d.number = static_cast<int>(x);
      } else {
        d.op = Op::WalkUntil;
        untilAt(2);
      }
    } else if (verb == "jump") {
      d.op = Op::Jump;
      d.keys = {platform::vk::Space};
      size_t k = 1;
      if (k < w.size() && (w[k] == "left" || w[k] == "right")) d.dir = w[k++] == "left" ? -1 : 1;
      if (k < w.size() && w[k] != "until") {
        d.number = static_cast<int>(TickCount(w[k++], file, line));
      }
      if (k < w.size()) untilAt(k);
    } else if (verb == "press" && (w.size() == 2 || w.size() == 3)) {
      d.op = Op::Press;
      d.keys = {KeyCode(w[1], file, line)};
      d.number = w.size() == 3 ? static_cast<int>(TickCount(w[2], file, line)) : 1;
    } else if ((verb == "down" || verb == "up") && w.size() >= 2) {
      d.op = verb == "down" ? Op::Down : Op::Up;
      for (size_t k = 1; k < w.size(); ++k) d.keys.push_back(KeyCode(w[k], file, line));
    } else if (verb == "wait" && w.size() >= 2) {
      d.op = Op::Wait;
      if (w[1] == "until") {
        untilAt(1);
      } else if (w.size() == 2) {
        d.number = static_cast<int>(TickCount(w[1], file, line));
      } else {
        Fail(file, line, "wait takes a number of ticks or \"until\" and conditions");
      }
    } else if (verb == "checkpoint") {
      d.op = Op::Checkpoint;
      d.until = ParseConditions(w, 1, file, line);
    } else if (verb == "screenshot" && w.size() == 2) {
      d.op = Op::Screenshot;
      d.file = w[1];
    } else {
      Fail(file, line, "\"" + d.text + "\" is no route directive");
    }
    out.push_back(std::move(d));
  }
  return out;
}

}  // namespace route
