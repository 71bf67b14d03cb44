#pragma once
// The scripting engine's pattern syntax, rewritten for PCRE2, and the facts about
// it that the subject index relies on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The pattern in PCRE2 syntax (compiled with PCRE2_UTF, PCRE2_ALT_BSUX,
// PCRE2_ALLOW_EMPTY_CLASS and PCRE2_MATCH_UNSET_BACKREF) with the meaning the
// scripting engine gives it; nullopt when that engine would reject it or when only
// PCRE2 gives it a meaning. Errors PCRE2 finds itself are left to its compiler.
std::optional<std::u16string> translatePattern(std::u16string_view pattern, bool multiline);

// When the pattern is a literal L, then boundary, then nothing that quantifies the
// boundary's last character, and has no alternation anywhere, the length of L;
// npos otherwise. Every match of such a pattern starts |L| units before a place
// where boundary occurs.
std::size_t literalBeforeBoundary(std::u16string_view pattern, std::u16string_view boundary);

// A fold coarser than PCRE2's caseless equivalence: two units that PCRE2 may
// match to each other ignoring case always fold to the same value.
char16_t coarseFold(char16_t unit);
