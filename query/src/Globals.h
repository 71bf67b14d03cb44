#pragma once
// The four global texts of the query engine behind one lock.

#include <mutex>

#include "text/Text.h"

enum class Global { classNumber, resultHtml, rowNumber, rowName };

// The lock that guards the globals. A run is cancelled under it, so a store that
// checked the run under it can never land after the cancel.
std::mutex& globalsMutex();

// Replaces the global unless the calling thread's current run is cancelled.
void storeGlobal(Global global, const Text& value);

Text loadGlobal(Global global);
