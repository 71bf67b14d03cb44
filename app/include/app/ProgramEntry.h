#pragma once
// Start and end of the desktop program.

#include "text/Text.h"

// Sets up Qt and the browser engine, registers releaseGlobals as exit hook, opens
// the main window and runs the event loop until the window is closed; a query
// still running then is cancelled and waited for. Returns 0. The caller runs the
// exit hooks afterwards (runExitHooks).
int programEntry();

// programEntry against another service host (the tests' loopback services).
int runProgram(const Text& host);
