#pragma once
// The per-user cookie store: one SQLite database per user at
// $XDG_DATA_HOME/trademark-search/cookies.sqlite (~/.local/share/... when
// XDG_DATA_HOME is unset or not absolute), created on first use with owner-only
// permissions. Cookies are keyed by (host, name) and kept until removed; there is
// no expiry and no size limit.
//
// The request routine (http/Fetch.h) reads and writes the store under the
// registrable host of its URL: hostOfUrl(url, true) from http/Cookies.h, e.g.
// "example.com" for "http://www.example.com/x". To share cookies with a browser
// view, use that same host:
//   - before the view navigates, copy storedCookies(host) into the view;
//   - when the view receives a cookie for the service, call storeCookie(host,
//     name, value), or removeStoredCookie(host, name) when it is deleted.
//
// Hosts are matched lower-cased, without surrounding blanks and without leading
// dots (".example.com" is "example.com"). Names are matched exactly, without
// surrounding blanks. Names and values are the cookie's bytes as they travel on
// the wire.
//
// Every call is one transaction on a connection owned by the calling thread, so
// the functions may be called from any thread, and several threads and processes
// may use the store at once without losing each other's writes (a name written
// last wins). A store that cannot be opened reads as empty and ignores writes;
// the functions never throw.

#include <filesystem>
#include <vector>

#include "text/Text.h"

struct StoredCookie {
    Text name;
    Text value;
    bool operator==(const StoredCookie&) const = default;
};

// The cookies stored for host, in the order they were first stored; empty when
// there are none or the store cannot be read.
std::vector<StoredCookie> storedCookies(const Text& host);

// Stores one cookie (replacing the value of a stored one of the same name).
// False, storing nothing, for an empty host or name or when the store could not
// be written.
bool storeCookie(const Text& host, const Text& name, const Text& value);

// Removes one cookie; removing a cookie that is not stored succeeds. False when
// the store could not be written.
bool removeStoredCookie(const Text& host, const Text& name);

// Where the store lives for the current environment (XDG_DATA_HOME, HOME).
std::filesystem::path cookieStorePath();
