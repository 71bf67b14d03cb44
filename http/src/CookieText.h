#pragma once
// Cookie-text helpers shared by the cookie routines and the request routine.

#include <string_view>
#include <vector>

#include "http/CookieStore.h"
#include "text/Text.h"

// Equal byte for byte, ASCII letters compared without regard to case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

// A pair's name: the text before its first "=", without surrounding blanks.
Text pairName(std::string_view pair);

// The pairs writeBrowserCookies stores for a cookie text: every piece at ";" with
// a "=", a non-empty name and a non-empty value.
std::vector<StoredCookie> storablePairs(const Text& cookies);

// The store's cookies as "name=value; name=value".
Text joinCookies(const std::vector<StoredCookie>& cookies);
