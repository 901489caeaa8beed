// SIGTERM and SIGINT as a close request: the game ends through its own quit, like a closed
// window. The handler only sets a flag and then steps aside, so a second signal ends a game
// that no longer looks at the flag.
#pragma once

namespace platform {

// Installs the handler for both signals and clears the flag (a platform does this once).
// The game installs it first thing, before the platform, and the platform then keeps a
// signal that came meanwhile (keepPending), so a SIGTERM during start-up quits cleanly too.
void InstallCloseSignals(bool keepPending = false);
// A SIGTERM or SIGINT has arrived since then.
bool CloseSignalled();

}  // namespace platform
