#pragma once
// Regular expressions over GBK text with the syntax and semantics of the
// scripting engine the program was written against, run by PCRE2 on the
// subject's UTF-16 units.
//
// Semantics kept from that engine: "." matches no line terminator (LF, CR,
// U+2028, U+2029); "^" and "$" mean the ends of the subject unless multiline,
// then also the places next to a line terminator; \s \w \d \b are ASCII; a global
// search after an empty match resumes one unit further; \uXXXX escapes; $1 $& $`
// $' $$ in replacements. Syntax that only PCRE2 accepts (possessive or doubled
// quantifiers, (?...) groups other than (?: (?= (?!, (*VERB), \Q..\E and every
// other letter escape the engine lacks, POSIX classes) makes compile fail. A
// search that hits the engine's match, depth or memory limits counts as a failed
// compile, so no subject or pattern makes a search run away.

#include <cstdint>
#include <memory>
#include <string_view>

#include "regex/RegexSubject.h"
#include "text/Text.h"

class RegexMatcher {
  public:
    // A matcher with its three fields empty. Nothing is set up for the thread.
    RegexMatcher() = default;

    // The operations, in the order of the matcher's table.

    // Releases engine, matches and subject; the matcher then reads as never compiled.
    void destroy();

    // A matcher sharing this one's engine and matches, with the same subject.
    RegexMatcher copy() const;

    // Compiles expression (GBK) with the settings and runs it over source (GBK).
    // caseSensitive false ignores letter case; multiline lets ^ and $ match at
    // line terminators; global finds every match, otherwise the first; quoteMarker
    // turns every "#引号" in the expression into a double quote first. True when
    // the search ran (also with no match); false for an invalid pattern or a
    // search that hit a limit, leaving no match.
    bool compile(std::string_view expression, std::string_view source, bool caseSensitive = false,
                 bool multiline = true, bool global = true, bool quoteMarker = false);

    // Does nothing.
    void noOperation() const {}

    // The pattern as the engine holds it (after the quote-marker replacement);
    // empty before the first compile.
    Text pattern() const;

    // The subject with its first match (every match when global) replaced by
    // replacement, in which $1..$99 $& $` $' $$ stand for the match's parts. Empty
    // before a compile or after a failed one.
    Text replace(std::string_view replacement) const;

    // Number of matches of the latest compile; 0 when it failed.
    std::int32_t matchCount() const;

    // Text of match matchIndex (from 1); empty when there is no such match.
    Text matchText(std::int32_t matchIndex) const;

    // Text of group groupIndex (from 1) of match matchIndex (from 1); empty when
    // either does not exist or the group took no part in the match.
    Text subMatchText(std::int32_t matchIndex, std::int32_t groupIndex) const;

    // Number of groups of the pattern as reported for the first match; 0 when
    // there is no match.
    std::int32_t subMatchCount() const;

    // compile over a subject converted beforehand, possibly indexed (see
    // RegexSubject); the matches are exactly those of the compile above.
    bool compile(std::string_view expression, std::shared_ptr<const RegexSubject> source, bool caseSensitive = false,
                 bool multiline = true, bool global = true, bool quoteMarker = false);

  private:
    struct Engine;
    struct Matches;

    std::shared_ptr<const Engine> engine;
    std::shared_ptr<const Matches> matches;
    std::shared_ptr<const RegexSubject> subject;
};
