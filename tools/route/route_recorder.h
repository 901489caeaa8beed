// Plays a route on the real game, headless, and writes down the keys it pressed and when: the
// input script that replays the same game frame for frame.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "route_language.h"

namespace quelmire {
class Form1;
}
namespace platform {
class Platform;
}

namespace route {

class Recorder {
 public:
  Recorder(std::vector<Directive> route, std::string routeFile);
  void Attach(quelmire::Form1& form, platform::Platform& inner);
  // A timer handler is about to run (1 play, 2 title).
  void TimerFired(int timer) {
    timer_ = timer;
    freshTick_ = timer == 1;
  }
  // The game reads the keyboard: decide the keys and write down what changed.
  void OnKeyboardRead(uint8_t keys[256]);
  bool Finished() const { return next_ >= route_.size(); }
  // The script so far.
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<Directive>& Route() const { return route_; }

 private:
  enum class Context { Title, Play, Message, Warp };
  Context Classify();
  // Writes down the keys that change, at atMs.
  void Apply(const std::array<bool, 256>& want, int64_t atMs);
  // Runs the directives at a play tick's read; fills want.
  void PlayStep(std::array<bool, 256>& want);
  void Trace(int64_t now) const;
  // One directive at a play read: true when it is done (the next one then runs at once).
  bool Step(const Directive& d, std::array<bool, 256>& want);
  void CloseMessage(std::array<bool, 256>& want);
  void SavePrompt(std::array<bool, 256>& want);
  [[noreturn]] void Fail(const Directive& d, const std::string& what) const;
  // A state line, written after this read's key changes (which may come earlier).
  std::string CheckpointLine();
  void Note(const std::string& line);

  std::vector<Directive> route_;
  std::string routeFile_;
  quelmire::Form1* form_ = nullptr;
  platform::Platform* inner_ = nullptr;

  size_t next_ = 0;  // the directive running
  struct {
    bool started = false;
    int64_t startMs = 0;
    int count = 0;
    bool gap = false;  // a key that must be up for one tick first
    bool released = false;
  } st_;
  std::array<bool, 256> held_{};     // down/up
  std::array<bool, 256> applied_{};  // what the game sees now
  int64_t now_ = -1;
  int timer_ = 0;
  bool freshTick_ = false;
  bool trace_ = std::getenv("QUELMIRE_ROUTE_TRACE") != nullptr;  // every play tick to stderr
  bool newGameChosen_ = false;
  bool played_ = false;
  bool interrupted_ = false;  // a message came since the last play read
  int saveSlot_ = 0;
  int upReads_ = 0;         // message reads with every key up
  int64_t warpStart_ = -1;  // first read of the warp now running
  int promptStep_ = 0;
  int checkpoints_ = 0;
  bool tallySeen_ = false;  // the ending's tally has been dumped
  std::vector<std::string> lines_;
  std::vector<std::string> pending_;
};

}  // namespace route
