#include "PatternSyntax.h"

namespace {

bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Letters the scripting engine defines as escapes outside a class (b and B are
// assertions there) and inside one.
bool isKnownLetterEscape(char16_t c) {
    return std::u16string_view(u"dDwWsSbBfnrtvcxu").find(c) != std::u16string_view::npos;
}

constexpr std::u16string_view kNotLineTerminator = u"[^\\n\\r\\u2028\\u2029]";

// Length of a {n}, {n,} or {n,m} quantifier at pattern[at] (which is '{'), 0 when
// the brace does not start one and is a literal.
std::size_t braceQuantifierLength(std::u16string_view pattern, std::size_t at) {
    std::size_t i = at + 1;
    const std::size_t firstDigit = i;
    while (i < pattern.size() && isDigit(pattern[i])) ++i;
    if (i == firstDigit || i >= pattern.size()) return 0;
    if (pattern[i] == u',') {
        ++i;
        while (i < pattern.size() && isDigit(pattern[i])) ++i;
        if (i >= pattern.size()) return 0;
    }
    return pattern[i] == u'}' ? i - at + 1 : 0;
}

// Length of the quantifier starting at pattern[at], 0 when there is none.
std::size_t quantifierLength(std::u16string_view pattern, std::size_t at) {
    if (at >= pattern.size()) return 0;
    const char16_t c = pattern[at];
    if (c == u'*' || c == u'+' || c == u'?') return 1;
    return c == u'{' ? braceQuantifierLength(pattern, at) : 0;
}

// Appends the escape at pattern[at] (the character after a backslash); false when
// the engine rejects it.
bool translateEscape(std::u16string_view pattern, std::size_t& at, std::u16string& out, bool& quantifiable,
                     bool inClass) {
    if (at >= pattern.size()) return false;
    const char16_t c = pattern[at];
    quantifiable = true;
    if (isAsciiLetter(c)) {
        if (!isKnownLetterEscape(c)) return false;
        if (c == u'v') {
            out += u"\\x0b";  // a vertical tab, not PCRE2's class of vertical space
            return true;
        }
        if (c == u'c') {
            if (at + 1 >= pattern.size() || !isAsciiLetter(pattern[at + 1])) return false;
            out += u"\\c";
            out += pattern[++at];
            return true;
        }
        if ((c == u'b' || c == u'B') && !inClass) quantifiable = false;
        if (c == u'B' && inClass) return false;
    }
    out += u'\\';
    out += c;
    return true;
}

bool isMetaCharacter(char16_t c) {
    return std::u16string_view(u"\\^$.|?*+()[]{}").find(c) != std::u16string_view::npos;
}
bool isSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

std::optional<std::u16string> translatePattern(std::u16string_view pattern, bool multiline) {
    std::u16string out;
    out.reserve(pattern.size() + 16);
    bool inClass = false;
    bool quantifiable = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i];
        if (inClass) {
            if (c == u'\\') {
                ++i;
                if (!translateEscape(pattern, i, out, quantifiable, true)) return std::nullopt;
            } else if (c == u'[') {
                out += u"\\[";  // no POSIX classes
            } else {
                out += c;
                if (c == u']') {
                    inClass = false;
                    quantifiable = true;
                }
            }
            continue;
        }
        switch (c) {
            case u'\\':
                ++i;
                if (!translateEscape(pattern, i, out, quantifiable, false)) return std::nullopt;
                break;
            case u'[':
                out += c;
                inClass = true;
                if (i + 1 < pattern.size() && pattern[i + 1] == u'^') out += pattern[++i];
                // A ']' right after the opening closes the (empty) class, as
                // PCRE2_ALLOW_EMPTY_CLASS reads it too.
                if (i + 1 < pattern.size() && pattern[i + 1] == u']') {
                    out += pattern[++i];
                    inClass = false;
                    quantifiable = true;
                }
                break;
            case u'(':
                if (i + 1 < pattern.size() && pattern[i + 1] == u'*') return std::nullopt;
                if (i + 1 < pattern.size() && pattern[i + 1] == u'?') {
                    if (i + 2 >= pattern.size()) return std::nullopt;
                    const char16_t kind = pattern[i + 2];
                    if (kind != u':' && kind != u'=' && kind != u'!') return std::nullopt;
                    out += pattern.substr(i, 3);
                    i += 2;
                } else {
                    out += c;
                }
                quantifiable = false;
                break;
            case u')':
                out += c;
                quantifiable = true;
                break;
            case u'.':
                out += kNotLineTerminator;
                quantifiable = true;
                break;
            case u'^':
                out += multiline ? u"(?<![^\\n\\r\\u2028\\u2029])" : u"^";
                quantifiable = false;
                break;
            case u'$':
                out += multiline ? u"(?![^\\n\\r\\u2028\\u2029])" : u"\\z";
                quantifiable = false;
                break;
            case u'|':
                out += c;
                quantifiable = false;
                break;
            case u'*':
            case u'+':
            case u'?':
            case u'{': {
                const std::size_t length = quantifierLength(pattern, i);
                if (length == 0) {  // a brace that starts no quantifier is a literal
                    out += u"\\{";
                    quantifiable = true;
                    break;
                }
                if (!quantifiable) return std::nullopt;
                out += pattern.substr(i, length);
                i += length - 1;
                if (i + 1 < pattern.size() && pattern[i + 1] == u'?') out += pattern[++i];
                // Possessive and doubled quantifiers are PCRE2's alone.
                if (quantifierLength(pattern, i + 1) != 0) return std::nullopt;
                quantifiable = false;
                break;
            }
            case u'}':
            case u']':
                out += u'\\';
                out += c;
                quantifiable = true;
                break;
            default:
                out += c;
                quantifiable = true;
                break;
        }
    }
    if (inClass) return std::nullopt;
    return out;
}

std::size_t literalBeforeBoundary(std::u16string_view pattern, std::u16string_view boundary) {
    if (boundary.empty() || pattern.find(u'|') != std::u16string_view::npos) return std::u16string_view::npos;
    std::size_t literalEnd = 0;
    while (literalEnd < pattern.size() && !isMetaCharacter(pattern[literalEnd]) && !isSurrogate(pattern[literalEnd])) {
        ++literalEnd;
    }
    const std::size_t at = pattern.substr(0, literalEnd).find(boundary);
    if (at == std::u16string_view::npos) return at;
    if (quantifierLength(pattern, at + boundary.size()) != 0) return std::u16string_view::npos;
    return at;
}

char16_t coarseFold(char16_t c) {
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    // The non-ASCII units PCRE2 may equate with an ASCII letter.
    if (c == 0x212A) return u'k';
    if (c == 0x017F) return u's';
    if (c == 0x0130 || c == 0x0131) return u'i';
    // Blocks without letter case: CJK, kana, hangul, punctuation, box drawing,
    // the non-letter full-width forms.
    const bool caseless = (c >= 0x2000 && c <= 0x206F) || (c >= 0x2460 && c <= 0x249B) ||
                          (c >= 0x2500 && c <= 0x27BF) || (c >= 0x3000 && c <= 0x9FFF) ||
                          (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF01 && c <= 0xFF20) ||
                          (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFFEF);
    return caseless ? c : 0xFFFF;
}
