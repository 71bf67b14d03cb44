#pragma once
// Cookie texts ("name=value; name=value") and the routines that keep them in step
// with the per-user cookie store.

#include <optional>

#include "text/Text.h"

// The host part of a URL, lower-cased, without port unless keepPort; with
// registrableOnly cut to its last two labels.
Text hostOfUrl(const Text& url, bool registrableOnly = false, bool keepPort = false);

// The store's cookie text for the host (or http/https address), or one cookie's
// value when cookieName is given; empty when there is none.
Text readBrowserCookies(const Text& hostOrUrl, const Text& cookieName = {});

// Stores every name=value pair of cookies for the host's address.
void writeBrowserCookies(const Text& hostOrUrl, const Text& cookies);

// Merges update into base, update winning on a clash of names; rewrites both and
// returns the final base.
Text mergeCookieStrings(Text& base, Text& update);

// The stretch of text from marker (or from the second marker) up to terminator;
// position is read and rewritten. secondMarker, when omitted, comes back as a copy
// of marker through secondMarkerOut if given.
Text extractDelimited(const Text& text, int& position, const Text& marker, const std::optional<Text>& secondMarker,
                      const Text& terminator, bool ignoreCase = true, bool includeMarker = true);
