// One play tick (Timer1, every 48 ms): input, the heroine's speed and harm, the things of the
// room, events, her move against the map, the view, the frame, and the ways out of play.
// "Enabled" is read afresh where it matters: a script run earlier in the tick may have
// switched play off, and then the input of the rest of the tick is ignored.
#include "shell/form1.h"

namespace quelmire {

void Form1::Timer1_Timer() {
  DoEvents();
  GetKeyboardState();
  RidingLift = false;
  CheckViewLimits("play tick");

  const Integer dir = InputDirection();
  PlayerWalk(dir);
  PlayerTileDamage();
  PlayerFallStart();
  PlayerLookDown();

  // The things in slot order; the heroine stays where she is until her own move below.
  for (int i = 1; i <= 39; ++i) {
    if (Obj(i).Kind >= 1) ProcessThing(i);
  }

  PlayerGravity();
  PlayerJumpStart();

  // The event under her: "%" scripts run on every tick, the others on a fresh Up.
  CheckViewLimits("play tick, events");
  const Integer n = EventMap(Obj(0).X, Obj(0).Y);
  if (n > 0 && Timer1.Enabled) {
    if (Left(EventText(n), 1) == U"%" || (UpNewlyPressed() && Timer1.Enabled)) {
      const String script = EventText(n);  // the script may load another room over it
      RunEventScript(script);
    }
  }

  CheckViewLimits("play tick, move");
  PlayerHealAndLift();
  RefreshPlayLatches();
  PlayerFriction(dir);
  PlayerMove();
  if (Obj(0).Delay > 0) Obj(0).Delay = I16(Obj(0).Delay - 1);
  ScrollView();

  if (DrawFrames) {
    DrawPlayScreen();
    Flip();
  }
  FrameCount = FrameCount >= 191 ? 0 : FrameCount + 1;

  const int statusButton = GameSettings.padButtons[2];
  if ((ActionDown(Action::Status) && EscLatch != False) ||
      (JoyButton(statusButton) && KeyLatch(6) != False)) {
    ShowPauseMenu();
  }
  EscLatch = ActionDown(Action::Status) ? False : True;
  KeyLatch(6) = JoyButton(statusButton) ? False : True;

  // Independent tests: more than one may act in the same tick.
  if (EndingFlag != 0) PlayEnding();
  if (Life < 1) PlayGameOver();
  if (ActionDown(Action::Quit)) QuitGame();
  if (ActionDown(Action::Title)) {
    Timer1.Enabled = false;
    Timer2.Enabled = true;
  }
  BGM_Repeat();
}

}  // namespace quelmire
