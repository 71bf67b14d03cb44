#include "http/Cookies.h"

#include <string_view>
#include <vector>

#include "CookieDatabase.h"
#include "CookieText.h"

namespace {

constexpr std::string_view kHttpScheme = "http://";
constexpr std::string_view kHttpsScheme = "https://";

bool hasEqualsSign(std::string_view piece) { return findText(piece, "=") >= 1; }

// Everything after the pair's first "=", except that a "=" at its very end is lost.
Text pairValue(std::string_view pair) {
    const TextList parts = splitText(pair, "=");
    Text value = parts.size() > 1 ? parts[1] : Text();
    for (std::size_t i = 2; i < parts.size(); ++i) value += "=" + parts[i];
    return value;
}

void closeWithSemicolon(Text& cookies) {
    if (!cookies.empty() && cookies.back() != ';') cookies += ';';
}

// The host part of a bare host or http/https address, as the store keys it.
Text storeHostOf(const Text& hostOrUrl) { return storeHostKey(hostOfUrl(hostOrUrl)); }

}  // namespace

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || findText(a, b, 0, true) == 1);
}

Text pairName(std::string_view pair) { return trimText(leftText(pair, findText(pair, "=") - 1)); }

std::vector<StoredCookie> storablePairs(const Text& cookies) {
    std::vector<StoredCookie> pairs;
    for (const Text& piece : splitText(cookies, ";")) {
        if (!hasEqualsSign(piece)) continue;
        StoredCookie pair{pairName(piece), pairValue(piece)};
        // An empty value is how a response deletes a cookie; it is never stored.
        if (pair.name.empty() || pair.value.empty()) continue;
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

Text joinCookies(const std::vector<StoredCookie>& cookies) {
    Text joined;
    for (const StoredCookie& cookie : cookies) {
        if (!joined.empty()) joined += "; ";
        joined += cookie.name + "=" + cookie.value;
    }
    return joined;
}

Text hostOfUrl(const Text& url, bool registrableOnly, bool keepPort) {
    int start = 1;
    if (const int http = findText(url, kHttpScheme); http >= 1) {
        start = http + textLength(kHttpScheme);
    } else if (const int https = findText(url, kHttpsScheme); https >= 1) {
        start = https + textLength(kHttpsScheme);
    }
    const int slash = findText(url, "/", start);
    Text host = midText(url, start, slash >= 1 ? slash - start : textLength(url));
    if (!keepPort) {
        if (const int colon = findText(host, ":"); colon >= 1) host = leftText(host, colon - 1);
    }
    host = lowerText(host);
    if (registrableOnly) {
        const TextList labels = splitText(host, ".");
        if (labels.size() >= 2) host = concatText(labels[labels.size() - 2], ".", labels.back());
    }
    return host;
}

// The store answers the same for the http and the https address of a host, so the
// one lookup stands for both of them.
Text readBrowserCookies(const Text& hostOrUrl, const Text& cookieName) {
    const Text host = storeHostOf(hostOrUrl);
    if (host.empty()) return {};
    const auto cookies = loadCookies(host);
    if (!cookies || cookies->empty()) return {};
    const Text cookieText = joinCookies(*cookies);
    if (cookieName.empty()) return cookieText;

    const int found = findText(cookieText, cookieName, 1, true);
    if (found < 1) return {};
    const int nameLength = textLength(cookieName);
    const int semicolon = findText(cookieText, ";", found);
    if (semicolon >= 1) return midText(cookieText, found + nameLength + 1, semicolon - found - nameLength - 1);
    return rightText(cookieText, textLength(cookieText) - found - nameLength);
}

void writeBrowserCookies(const Text& hostOrUrl, const Text& cookies) {
    const Text host = storeHostOf(hostOrUrl);
    if (host.empty()) return;
    if (const auto pairs = storablePairs(cookies); !pairs.empty()) saveCookies(host, pairs, {});
}

// Names are matched whole and without their blanks, unlike a plain text search,
// so that "SID" never touches "PHPSESSID" and " b" and "b" are the same cookie.
Text mergeCookieStrings(Text& base, Text& update) {
    base = trimText(base);
    update = trimText(update);
    closeWithSemicolon(base);
    closeWithSemicolon(update);

    TextList pieces = splitText(base, ";");
    for (const Text& piece : splitText(update, ";")) {
        if (!hasEqualsSign(piece)) continue;
        const Text name = pairName(piece);
        bool replaced = false;
        for (auto it = pieces.begin(); it != pieces.end();) {
            if (!hasEqualsSign(*it) || !equalIgnoringCase(pairName(*it), name)) {
                ++it;
            } else if (!replaced) {
                *it++ = piece;
                replaced = true;
            } else {
                it = pieces.erase(it);
            }
        }
        if (!replaced) pieces.push_back(piece);
    }

    Text merged;
    for (const Text& piece : pieces) {
        const std::string_view bytes = piece;
        if (bytes.ends_with("=") || bytes.ends_with("=deleted")) continue;
        merged += trimText(piece) + "; ";
    }
    base = trimText(merged);
    return base;
}

Text extractDelimited(const Text& text, int& position, const Text& marker, std::optional<Text>& secondMarker,
                      const Text& terminator, bool ignoreCase, bool includeMarker) {
    position = findText(text, marker, position, ignoreCase);
    if (position < 1) return {};
    int at = position;
    if (secondMarker) {
        at = findText(text, *secondMarker, position, ignoreCase);
        if (at < 1) {
            position = -1;
            return {};
        }
    } else {
        secondMarker = marker;
    }
    const int behindMarker = at + textLength(*secondMarker);
    const int terminatorAt = findText(text, terminator, behindMarker, ignoreCase);
    const int end = terminatorAt >= 1 ? terminatorAt : textLength(text) + 1;
    if (!includeMarker) position = behindMarker;
    return midText(text, position, end - position);
}
