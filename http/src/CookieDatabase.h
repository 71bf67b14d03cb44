#pragma once
// Store access for the module's own routines: whole batches in one transaction.

#include <optional>
#include <vector>

#include "http/CookieStore.h"
#include "text/Text.h"

// The host as the store keys it: trimmed, leading dots removed, lower-cased.
Text storeHostKey(const Text& host);

// The cookies stored for host (already a store key); nullopt when the store cannot
// be read.
std::optional<std::vector<StoredCookie>> loadCookies(const Text& hostKey);

// Sets every cookie of toSet and removes every name of toRemove for host (already
// a store key), all in one transaction. Cookies with an empty name are skipped;
// names are stored trimmed. False when the store could not be written.
bool saveCookies(const Text& hostKey, const std::vector<StoredCookie>& toSet, const std::vector<Text>& toRemove);
