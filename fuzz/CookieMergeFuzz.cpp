// The cookie texts routines that touch no store: mergeCookieStrings,
// extractDelimited and hostOfUrl, with arbitrary texts.
//
// Input: a flag byte (bit 0 ignore case, bit 1 include marker, bit 2 a second
// marker given, bit 3 registrable only, bit 4 keep port), a position byte
// (signed), then the pieces base, update, marker, second marker and terminator.
// base also serves as the text of extractDelimited and as the URL.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "http/Cookies.h"
#include "support/FuzzInput.h"
#include "text/Text.h"

namespace {

// A piece's name as the merge compares it: the text before its first "=", without
// blanks, every byte A-Z folded (trail bytes of two-byte characters too, as every
// comparison of the text module folds them).
Text comparedName(const Text& piece) {
    Text name = trimText(leftText(piece, findText(piece, "=") - 1));
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool hasEqualsSign(const Text& piece) { return findText(piece, "=") >= 1; }

// How many pieces of merged carry the name.
int piecesNamed(const Text& merged, const Text& name) {
    int count = 0;
    for (const Text& piece : splitText(merged, ";")) {
        if (hasEqualsSign(piece) && comparedName(piece) == name) ++count;
    }
    return count;
}

void checkMerge(const Text& originalBase, const Text& originalUpdate) {
    Text base = originalBase;
    Text update = originalUpdate;
    const Text merged = mergeCookieStrings(base, update);
    fuzz::check(merged == base, "mergeCookieStrings writes its result to base");
    fuzz::check(!fuzz::hasZeroByte(merged), "the merged text has no zero byte");
    fuzz::check(merged.empty() || merged.ends_with(';'), "the merged text ends with \";\"");
    fuzz::check(trimText(merged) == merged, "the merged text is trimmed");
    const Text trimmedUpdate = trimText(originalUpdate);
    fuzz::check(update == trimmedUpdate || update == trimmedUpdate + ";", "update is written back trimmed and closed");

    // Every name the update carries ends up once in the result, or not at all when
    // its last piece deletes the cookie: one cookie never appears twice.
    const TextList updatePieces = splitText(update, ";");
    for (std::size_t k = 0; k < updatePieces.size(); ++k) {
        const Text& piece = updatePieces[k];
        if (!hasEqualsSign(piece)) continue;
        const Text name = comparedName(piece);
        bool laterPieceSameName = false;
        for (std::size_t later = k + 1; later < updatePieces.size(); ++later) {
            if (hasEqualsSign(updatePieces[later]) && comparedName(updatePieces[later]) == name)
                laterPieceSameName = true;
        }
        if (laterPieceSameName) continue;
        const std::string_view bytes = piece;
        const bool deletes = bytes.ends_with("=") || bytes.ends_with("=deleted");
        fuzz::check(piecesNamed(merged, name) == (deletes ? 0 : 1), "a merged cookie name occurs exactly once");
    }
}

void checkExtract(const Text& text, int position, const Text& marker, const std::optional<Text>& secondMarker,
                  const Text& terminator, bool ignoreCase, bool includeMarker) {
    int at = position;
    std::optional<Text> second = secondMarker;
    const Text stretch = extractDelimited(text, at, marker, second, terminator, ignoreCase, includeMarker);
    fuzz::check(!fuzz::hasZeroByte(stretch), "extractDelimited gives no zero byte");
    fuzz::check(at == -1 || (at >= 1 && at <= textLength(text) + 1), "extractDelimited writes -1 or a position back");
    if (at == -1) fuzz::check(stretch.empty(), "an absent marker gives an empty stretch");
    if (!stretch.empty()) {
        fuzz::check(midText(text, at, textLength(stretch)) == stretch,
                    "the stretch starts at the position written back");
    }
    if (!secondMarker) fuzz::check(at == -1 || second == marker, "an omitted second marker receives the marker");
}

void checkHost(const Text& url, bool registrableOnly, bool keepPort) {
    const Text host = hostOfUrl(url, registrableOnly, keepPort);
    fuzz::check(!fuzz::hasZeroByte(host), "hostOfUrl gives no zero byte");
    fuzz::check(lowerText(host) == host, "hostOfUrl gives a lower-case host");
    fuzz::check(keepPort || findText(host, ":") == -1, "hostOfUrl cuts the port");
    if (registrableOnly) {
        fuzz::check(splitText(host, ".").size() <= 2, "the registrable host has at most two labels");
        fuzz::check(hostOfUrl(host, true, true) == host || host.empty(), "cutting to two labels twice changes nothing");
    }
    if (url.empty()) fuzz::check(host.empty(), "an empty URL gives an empty host");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const int position = input.smallInt();
    const Text base = fuzz::storedText(input.piece());
    const Text update = fuzz::storedText(input.piece());
    const Text marker = fuzz::storedText(input.piece());
    const Text secondMarker = fuzz::storedText(input.piece());
    const Text terminator = fuzz::storedText(input.piece());

    checkMerge(base, update);
    checkExtract(base, position, marker, flags & 4 ? std::optional<Text>(secondMarker) : std::nullopt, terminator,
                 flags & 1, flags & 2);
    checkHost(base, flags & 8, flags & 16);
    return 0;
}
