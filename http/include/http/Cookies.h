#pragma once
// Cookie texts ("name=value; name=value") and the routines that keep them in step
// with the per-user cookie store (http/CookieStore.h). All texts are GBK bytes as
// they travel on the wire; none of these routines fails or reports anything.

#include <optional>

#include "text/Text.h"

// The host part of a URL: the text behind the first "http://" (else the first
// "https://", else from the start; the scheme test is case-sensitive) up to the
// next "/", cut before its first ":" unless keepPort, lower-cased. With
// registrableOnly a host of two or more labels is cut to its last two
// ("x.y.z" gives "y.z", "10.0.0.1" gives "0.1"). Empty for an empty URL.
Text hostOfUrl(const Text& url, bool registrableOnly = false, bool keepPort = false);

// The store's cookie text "name=value; name=value" for the host of hostOrUrl (a
// bare host or an http/https address; port and path ignored), in the order the
// cookies were first stored. With cookieName, the value behind the first place
// that name occurs in that text (found as plain text, ignoring ASCII case) up to
// the next ";". Empty when the store holds nothing for the host or the name is
// not found. There is no size limit.
Text readBrowserCookies(const Text& hostOrUrl, const Text& cookieName = {});

// Stores every "name=value" piece of cookies (pieces at ";") for the host of
// hostOrUrl, in one transaction. The value is everything after the first "=", a
// "=" at the very end lost; names are stored without surrounding blanks. Pieces
// without "=", with an empty name or with an empty value are skipped.
void writeBrowserCookies(const Text& hostOrUrl, const Text& cookies);

// Merges update into base. Both are trimmed and closed with ";" (written back).
// Each "name=value" piece of update replaces the first piece of base with the
// same name (whole names, compared without surrounding blanks and ignoring ASCII
// case; further pieces of that name are dropped) or is appended. The result is
// rebuilt as "a=1; b=2;": pieces ending in "=" or "=deleted" are dropped, the
// others trimmed; blank pieces stay as empty entries. base receives the result,
// which is also returned.
Text mergeCookieStrings(Text& base, Text& update);

// The stretch of text from marker up to, not including, terminator (or the end
// of the text). marker is searched from position (0 or 1: the start) and its
// position is written back (-1 when absent, with an empty result). When
// secondMarker holds a text, the terminator is searched behind that text's next
// occurrence after marker (absent: position -1, empty result); when it is empty
// (std::nullopt) it receives a copy of marker. includeMarker false starts the
// stretch behind the (second) marker and writes that start to position.
// ignoreCase applies ASCII case folding to all three searches.
Text extractDelimited(const Text& text, int& position, const Text& marker, std::optional<Text>& secondMarker,
                      const Text& terminator, bool ignoreCase = true, bool includeMarker = true);
