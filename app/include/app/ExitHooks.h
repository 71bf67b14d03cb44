#pragma once
// Routines run once at normal program end, after the entry point has returned.

// A routine without arguments or result.
using ExitHook = void (*)();

// Appends hook to the ordered list; a hook already in the list is not added again.
// UI thread only.
void registerExitHook(ExitHook hook);

// Runs every registered hook once, in the order of registration, and empties the
// list, so a second call runs nothing. UI thread only.
void runExitHooks();
