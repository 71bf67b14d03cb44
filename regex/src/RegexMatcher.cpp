#define PCRE2_CODE_UNIT_WIDTH 16
#include "regex/RegexMatcher.h"

#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "PatternSyntax.h"
#include "text/Cancel.h"
#include "text/CodePage.h"
#include "text/TextBetween.h"

namespace {

// Bounds on one search. The match limit stops catastrophic backtracking within
// a fraction of a second on ordinary subjects; it grows with the subject so that
// a lazy scan across a huge cell still completes. The depth and heap limits bound
// the interpreter when JIT is unavailable; the offsets cap bounds the memory of
// the match list.
constexpr std::uint32_t kMatchLimit = 10'000'000;
constexpr std::uint32_t kMatchLimitPerUnit = 2;
constexpr std::uint32_t kDepthLimit = 100'000;
constexpr std::uint32_t kHeapLimitKib = 256 * 1024;
constexpr std::size_t kJitStackStart = 64 * 1024;
constexpr std::size_t kJitStackMax = 8 * 1024 * 1024;
constexpr std::size_t kMaxStoredOffsets = 32u << 20;
constexpr std::uint32_t kUnset = std::numeric_limits<std::uint32_t>::max();

// The match limit holds for each start position on its own, so a pattern that
// backtracks just below it everywhere would cost the limit times the subject's
// length. A search therefore tries its start positions in windows, and between
// two windows gives up when the thread's current work was cancelled or the
// search has used its time budget, which lies far above what a search of any
// ordinary page needs. A window doubles while windows stay quick, so an ordinary
// search needs only a few of them.
constexpr std::chrono::milliseconds kSearchBudget{5000};
constexpr std::chrono::milliseconds kQuickWindow{50};
constexpr std::size_t kFirstWindow = 16;

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct JitStackDeleter {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};

// One JIT stack per thread, reused by every search on it.
pcre2_jit_stack* threadJitStack() {
    thread_local const std::unique_ptr<pcre2_jit_stack, JitStackDeleter> stack(
        pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr));
    return stack.get();
}

// The system code-page road: pattern and replacement in, group texts, the
// pattern and the replaced text out.
std::u16string systemToUnits(std::string_view text) {
    const ByteSet wide = toWideBytes(text, kCodePageSystem);
    std::u16string units;
    units.reserve(wide.size() / 2);
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const auto unit = static_cast<char16_t>(wide[i] | (wide[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
    }
    return units;
}

ByteSet unitsToBytes(std::u16string_view units) {
    ByteSet bytes;
    bytes.reserve(units.size() * 2 + 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

Text unitsToSystem(std::u16string_view units) {
    ByteSet bytes = unitsToBytes(units);
    bytes.push_back(0);
    bytes.push_back(0);
    return fromWideBytes(bytes, kCodePageSystem);
}

}  // namespace

struct RegexMatcher::Engine {
    std::u16string pattern;  // after the quote-marker replacement
    bool ignoreCase = true;
    bool multiline = true;
    bool global = true;
    std::unique_ptr<pcre2_code, CodeDeleter> code;  // null for a pattern the engine rejects
    std::uint32_t groups = 0;
};

struct RegexMatcher::Matches {
    std::uint32_t groups = 0;
    // Start and end of the match and of each group, per match; kUnset for a
    // group that took no part.
    std::vector<std::uint32_t> offsets;

    std::size_t stride() const { return 2 * (groups + 1); }
    std::int32_t count() const { return static_cast<std::int32_t>(offsets.size() / stride()); }
    // The offsets of one match, or null when matchIndex (from 1) is out of range.
    const std::uint32_t* match(std::int32_t matchIndex) const {
        if (matchIndex < 1 || matchIndex > count()) return nullptr;
        return offsets.data() + static_cast<std::size_t>(matchIndex - 1) * stride();
    }
};

namespace {

std::unique_ptr<pcre2_code, CodeDeleter> compileCode(std::u16string_view pattern, bool ignoreCase, bool multiline) {
    const std::optional<std::u16string> translated = translatePattern(pattern, multiline);
    if (!translated) return nullptr;
    std::uint32_t options = PCRE2_USE_OFFSET_LIMIT | PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                            PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C | PCRE2_NEVER_UCP;
    if (ignoreCase) options |= PCRE2_CASELESS;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, CodeDeleter> code(pcre2_compile(
        reinterpret_cast<PCRE2_SPTR>(translated->data()), translated->size(), options, &error, &errorOffset, nullptr));
    if (code) pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);  // the interpreter serves when JIT fails
    return code;
}

// One search's start positions, tried window by window (see kSearchBudget).
class WindowedSearch {
  public:
    WindowedSearch(const pcre2_code* code, std::u16string_view units, pcre2_match_data* data,
                   pcre2_match_context* context)
        : code_(code), units_(units), data_(data), context_(context) {}

    // pcre2_match from start: the leftmost match at or after it, PCRE2_ERROR_NOMATCH,
    // or a negative error when a limit, the budget or a cancel stopped the search.
    int matchFrom(std::size_t start) {
        const auto* subject = reinterpret_cast<PCRE2_SPTR>(units_.data());
        for (;;) {
            const auto began = std::chrono::steady_clock::now();
            if ((cancel_ && cancel_->cancelled()) || began > deadline_) return PCRE2_ERROR_MATCHLIMIT;
            pcre2_set_offset_limit(context_, start + window_);
            const int result = pcre2_match(code_, subject, units_.size(), start, PCRE2_NO_UTF_CHECK, data_, context_);
            if (result != PCRE2_ERROR_NOMATCH || start + window_ >= units_.size()) return result;
            start += window_ + 1;
            if (start < units_.size() && (units_[start] & 0xFC00) == 0xDC00 && (units_[start - 1] & 0xFC00) == 0xD800) {
                ++start;  // never inside a surrogate pair
            }
            if (std::chrono::steady_clock::now() - began < kQuickWindow) window_ = std::min(window_ * 2, units_.size());
        }
    }

  private:
    const pcre2_code* code_;
    std::u16string_view units_;
    pcre2_match_data* data_;
    pcre2_match_context* context_;
    const CancelToken* cancel_ = CancelToken::current();
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::now() + kSearchBudget;
    std::size_t window_ = kFirstWindow;
};

}  // namespace

void RegexMatcher::destroy() {
    engine.reset();
    matches.reset();
    subject.reset();
}

RegexMatcher RegexMatcher::copy() const { return *this; }

bool RegexMatcher::compile(std::string_view expression, std::string_view source, bool caseSensitive, bool multiline,
                           bool global, bool quoteMarker) {
    return compile(expression, std::make_shared<const RegexSubject>(source), caseSensitive, multiline, global,
                   quoteMarker);
}

bool RegexMatcher::compile(std::string_view expression, std::shared_ptr<const RegexSubject> source, bool caseSensitive,
                           bool multiline, bool global, bool quoteMarker) {
    engine.reset();
    matches.reset();
    auto fresh = std::make_shared<Engine>();
    fresh->ignoreCase = !caseSensitive;
    fresh->multiline = multiline;
    fresh->global = global;
    fresh->pattern =
        systemToUnits(quoteMarker ? replaceText(expression, kQuoteMarker, "\"", 1, -1, true) : Text(expression));
    fresh->code = compileCode(fresh->pattern, fresh->ignoreCase, fresh->multiline);
    if (fresh->code) pcre2_pattern_info(fresh->code.get(), PCRE2_INFO_CAPTURECOUNT, &fresh->groups);
    engine = fresh;
    subject = source ? std::move(source) : std::make_shared<const RegexSubject>(std::string_view{});
    if (!fresh->code) return false;

    const std::u16string& units = subject->units();
    if (units.size() >= kUnset) return false;
    const std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(fresh->code.get(), nullptr));
    const std::unique_ptr<pcre2_match_context, MatchContextDeleter> context(pcre2_match_context_create(nullptr));
    if (!data || !context) return false;
    const std::size_t limit = kMatchLimit + kMatchLimitPerUnit * units.size();
    pcre2_set_match_limit(context.get(), static_cast<std::uint32_t>(std::min<std::size_t>(limit, UINT32_MAX)));
    pcre2_set_depth_limit(context.get(), kDepthLimit);
    pcre2_set_heap_limit(context.get(), kHeapLimitKib);
    if (pcre2_jit_stack* stack = threadJitStack()) pcre2_jit_stack_assign(context.get(), nullptr, stack);

    const std::size_t literalLength = literalBeforeBoundary(fresh->pattern, subject->boundary());
    const std::u16string_view literal = literalLength == std::u16string_view::npos
                                            ? std::u16string_view{}
                                            : std::u16string_view(fresh->pattern).substr(0, literalLength);
    bool indexed = literalLength != std::u16string_view::npos;

    WindowedSearch search(fresh->code.get(), units, data.get(), context.get());
    auto found = std::make_shared<Matches>();
    found->groups = fresh->groups;
    std::size_t position = 0;
    while (position <= units.size()) {
        std::size_t start = position;
        if (indexed) {
            bool usable = false;
            const std::size_t candidate = subject->nextCandidate(literal, position, usable);
            if (usable && candidate == RegexSubject::npos) break;  // no match can start at or after position
            if (usable) start = candidate;
            indexed = usable;
        }
        const int result = search.matchFrom(start);
        if (result == PCRE2_ERROR_NOMATCH) break;
        if (result < 0) return false;  // a limit or another engine failure
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(data.get());
        const std::uint32_t pairs = pcre2_get_ovector_count(data.get());
        if (found->offsets.size() + found->stride() > kMaxStoredOffsets) return false;
        for (std::uint32_t i = 0; i <= found->groups; ++i) {
            const bool set = i < pairs && vector[2 * i] != PCRE2_UNSET;
            found->offsets.push_back(set ? static_cast<std::uint32_t>(vector[2 * i]) : kUnset);
            found->offsets.push_back(set ? static_cast<std::uint32_t>(vector[2 * i + 1]) : kUnset);
        }
        if (!fresh->global) break;
        // After an empty match the next search starts one unit further.
        position = vector[1] == vector[0] ? vector[1] + 1 : vector[1];
        if (position < units.size() && position > 0 && (units[position] & 0xFC00) == 0xDC00 &&
            (units[position - 1] & 0xFC00) == 0xD800) {
            ++position;  // never inside a surrogate pair, which PCRE2_UTF forbids
        }
    }
    matches = std::move(found);
    return true;
}

Text RegexMatcher::pattern() const { return engine ? unitsToSystem(engine->pattern) : Text(); }

Text RegexMatcher::replace(std::string_view replacement) const {
    if (!engine || !matches || !subject) return {};
    const std::u16string_view units = subject->units();
    const std::u16string with = systemToUnits(replacement);
    const Matches& found = *matches;
    auto groupText = [&](const std::uint32_t* match, std::uint32_t group) -> std::u16string_view {
        const std::uint32_t begin = match[2 * group];
        return begin == kUnset ? std::u16string_view{} : units.substr(begin, match[2 * group + 1] - begin);
    };
    std::u16string out;
    std::size_t copied = 0;
    for (std::int32_t m = 1; m <= found.count(); ++m) {
        const std::uint32_t* match = found.match(m);
        out += units.substr(copied, match[0] - copied);
        for (std::size_t i = 0; i < with.size(); ++i) {
            const char16_t next = i + 1 < with.size() ? with[i + 1] : u'\0';
            if (with[i] != u'$' || i + 1 >= with.size()) {
                out += with[i];
            } else if (next == u'$') {
                out += u'$';
                ++i;
            } else if (next == u'&') {
                out += units.substr(match[0], match[1] - match[0]);
                ++i;
            } else if (next == u'`') {
                out += units.substr(0, match[0]);
                ++i;
            } else if (next == u'\'') {
                out += units.substr(match[1]);
                ++i;
            } else if (next >= u'0' && next <= u'9') {
                // $nn when nn names a group, else $n when n does, else literal.
                const std::uint32_t one = next - u'0';
                const bool hasSecond = i + 2 < with.size() && with[i + 2] >= u'0' && with[i + 2] <= u'9';
                const std::uint32_t two = hasSecond ? one * 10 + (with[i + 2] - u'0') : 0;
                if (hasSecond && two >= 1 && two <= found.groups) {
                    out += groupText(match, two);
                    i += 2;
                } else if (one >= 1 && one <= found.groups) {
                    out += groupText(match, one);
                    i += 1;
                } else {
                    out += u'$';
                }
            } else {
                out += u'$';
            }
        }
        copied = match[1];
    }
    out += units.substr(copied);
    return unitsToSystem(out);
}

std::int32_t RegexMatcher::matchCount() const { return matches ? matches->count() : 0; }

Text RegexMatcher::matchText(std::int32_t matchIndex) const {
    const std::uint32_t* match = matches ? matches->match(matchIndex) : nullptr;
    if (!match) return {};
    return wideBytesToGbk(unitsToBytes(std::u16string_view(subject->units()).substr(match[0], match[1] - match[0])));
}

Text RegexMatcher::subMatchText(std::int32_t matchIndex, std::int32_t groupIndex) const {
    const std::uint32_t* match = matches ? matches->match(matchIndex) : nullptr;
    if (!match || groupIndex < 1 || static_cast<std::uint32_t>(groupIndex) > matches->groups) return {};
    const std::uint32_t begin = match[2 * groupIndex];
    if (begin == kUnset) return {};
    return unitsToSystem(std::u16string_view(subject->units()).substr(begin, match[2 * groupIndex + 1] - begin));
}

std::int32_t RegexMatcher::subMatchCount() const {
    return matches && matches->count() > 0 ? static_cast<std::int32_t>(matches->groups) : 0;
}
