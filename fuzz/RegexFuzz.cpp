// The regex matcher with an arbitrary pattern, subject and replacement under every
// setting: compile never crashes and stays bounded (the fuzzer's time-out catches
// a runaway search), results hold no zero byte, and a search over a converted,
// indexed subject finds exactly what the plain search finds.
//
// Input: a flag byte (bit 0 case-sensitive, bit 1 multiline, bit 2 global, bit 3
// quote marker), then the pieces pattern, subject, replacement and the boundary
// the indexed subject is built for.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "regex/RegexMatcher.h"
#include "regex/RegexSubject.h"
#include "support/FuzzInput.h"
#include "text/CodePage.h"

namespace {

// Enough matches to compare; a subject can have one per unit.
constexpr std::int32_t kMatchesCompared = 64;

struct Settings {
    bool caseSensitive;
    bool multiline;
    bool global;
    bool quoteMarker;
};

bool compileWith(RegexMatcher& matcher, std::string_view pattern, std::string_view subject, const Settings& s) {
    return matcher.compile(pattern, subject, s.caseSensitive, s.multiline, s.global, s.quoteMarker);
}

bool compileWith(RegexMatcher& matcher, std::string_view pattern, std::shared_ptr<const RegexSubject> subject,
                 const Settings& s) {
    return matcher.compile(pattern, std::move(subject), s.caseSensitive, s.multiline, s.global, s.quoteMarker);
}

void checkSameMatches(const RegexMatcher& a, const RegexMatcher& b, const char* property) {
    fuzz::check(a.matchCount() == b.matchCount(), property);
    fuzz::check(a.subMatchCount() == b.subMatchCount(), property);
    for (std::int32_t i = 1; i <= std::min(a.matchCount(), kMatchesCompared); ++i) {
        fuzz::check(a.matchText(i) == b.matchText(i), property);
        fuzz::check(a.subMatchText(i, 1) == b.subMatchText(i, 1), property);
    }
}

void checkResults(const RegexMatcher& matcher, bool compiled, const Text& subject, std::string_view replacement,
                  const Settings& settings) {
    const std::int32_t count = matcher.matchCount();
    if (!compiled) {
        fuzz::check(count == 0, "a failed compile leaves no match");
        fuzz::check(matcher.replace(replacement).empty(), "a failed compile replaces into nothing");
        return;
    }
    fuzz::check(count >= 0, "the match count is not negative");
    fuzz::check(settings.global || count <= 1, "without global there is one match at most");
    fuzz::check(matcher.matchText(0).empty() && matcher.matchText(count + 1).empty(), "no text for a missing match");
    const bool wellFormed = fuzz::isWellFormedGbk(subject);
    for (std::int32_t i = 1; i <= std::min(count, kMatchesCompared); ++i) {
        const Text match = matcher.matchText(i);
        fuzz::check(!fuzz::hasZeroByte(match), "a match has no zero byte");
        if (wellFormed) fuzz::check(subject.find(match) != Text::npos, "a match is a part of the subject");
        for (std::int32_t group = 0; group <= matcher.subMatchCount() + 1; ++group) {
            fuzz::check(!fuzz::hasZeroByte(matcher.subMatchText(i, group)), "a group has no zero byte");
        }
    }
    fuzz::check(!fuzz::hasZeroByte(matcher.replace(replacement)), "replace gives no zero byte");
    if (count == 0 && wellFormed) fuzz::check(matcher.replace(replacement) == subject, "no match replaces nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const Settings settings{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, (flags & 8) != 0};
    const std::string_view pattern = input.piece();
    const std::string_view subject = input.piece();
    const std::string_view replacement = input.piece();
    const std::string_view boundary = input.piece();

    RegexMatcher plain;
    const bool compiled = compileWith(plain, pattern, subject, settings);
    checkResults(plain, compiled, fuzz::storedText(subject), replacement, settings);
    if (compiled && !settings.quoteMarker && fuzz::isWellFormedGbk(fuzz::storedText(pattern))) {
        fuzz::check(plain.pattern() == fuzz::storedText(pattern), "the engine holds the pattern as given");
    }

    const RegexMatcher copy = plain.copy();
    checkSameMatches(plain, copy, "a copy shares the matches");

    RegexMatcher indexed;
    const auto converted = std::make_shared<const RegexSubject>(subject, gbkToUtf16(boundary));
    fuzz::check(compileWith(indexed, pattern, converted, settings) == compiled, "an indexed subject compiles alike");
    checkSameMatches(plain, indexed, "an indexed subject gives the plain search's matches");
    // The index is built once and then reused: a second search must agree as well.
    fuzz::check(compileWith(indexed, pattern, converted, settings) == compiled, "a reused index compiles alike");
    checkSameMatches(plain, indexed, "a reused index gives the plain search's matches");

    plain.destroy();
    fuzz::check(plain.matchCount() == 0 && plain.pattern().empty(), "destroy leaves a never compiled matcher");
    return 0;
}
