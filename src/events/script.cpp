// The event script interpreter: steps through its own copy of a script, two characters at a
// time, and runs the commands it finds. Anything that spells no command is stepped over one
// character at a time, so separators, "]", "#" and the trigger prefix need no handling.
#include "shell/form1.h"

namespace quelmire {

void Form1::RunEventScript(const String& script) {
  // A command may reload the room and so replace EventText; the script runs on regardless.
  const String s = script;
  const long long len = static_cast<long long>(s.size());
  // The room loader sets QuietMode before each init script; every other caller finds it
  // cleared, because every script and every room load ends by clearing it.
  const bool outerInit = InInitScript;
  InInitScript = QuietMode != False;
  long long p = 1;
  do {
    DoEvents();
    const long long next = RunScriptCommand(s, p);
    if (next == 0) break;
    p = next < 0 ? p + 1 : next;
  } while (p < len);
  InInitScript = outerInit;
  QuietMode = False;
}

}  // namespace quelmire
