#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "TextInternal.h"

namespace text_internal {

std::size_t findAtCharBoundary(std::string_view text, std::string_view needle, std::size_t offset, bool ignoreCase,
                               bool loneFinalByteCompared) {
    if (needle.size() > text.size()) return std::string_view::npos;
    const std::size_t last = text.size() - needle.size();  // last offset with room for the needle
    const unsigned char first = ignoreCase ? foldAscii(byteAt(needle, 0)) : byteAt(needle, 0);
    std::size_t pos = offset;
    while (pos <= last) {
        const unsigned char byte = byteAt(text, pos);
        if ((ignoreCase ? foldAscii(byte) : byte) == first) {
            // A lone final lead byte is no character: the scan ends before comparing it.
            if (byte >= 0x80 && pos + 1 == text.size() && !loneFinalByteCompared) return std::string_view::npos;
            if (bytesEqualAt(text, pos, needle, ignoreCase)) return pos;
        }
        pos += charWidth(byte);
    }
    return std::string_view::npos;
}

}  // namespace text_internal

using namespace text_internal;

int textLength(std::string_view text) { return static_cast<int>(untilZero(text).size()); }

int findText(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    text = untilZero(text);
    needle = untilZero(needle);
    const std::size_t offset = offsetFromStart(start);
    if (offset >= text.size()) return -1;
    if (needle.empty()) return 1;
    const std::size_t found = findAtCharBoundary(text, needle, offset, ignoreCase);
    return found == std::string_view::npos ? -1 : static_cast<int>(found) + 1;
}

Text leftText(std::string_view text, int count) {
    text = untilZero(text);
    if (count <= 0) return {};
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text rightText(std::string_view text, int count) {
    text = untilZero(text);
    if (count <= 0) return {};
    const std::size_t n = std::min(static_cast<std::size_t>(count), text.size());
    return Text(text.substr(text.size() - n));
}

Text midText(std::string_view text, int start, int count) {
    text = untilZero(text);
    if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
    return Text(text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

TextList splitText(std::string_view text, std::string_view separator) {
    text = untilZero(text);
    separator = untilZero(separator);
    TextList pieces;
    if (text.empty()) return pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t pieceStart = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t found = findAtCharBoundary(text, separator, pos, false);
        if (found == std::string_view::npos) break;
        pieces.emplace_back(text.substr(pieceStart, found - pieceStart));
        pieceStart = pos = found + separator.size();
    }
    if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
    return pieces;
}

Text replaceText(std::string_view text, std::string_view target, std::string_view replacement, int start, int count,
                 bool matchCase) {
    text = untilZero(text);
    target = untilZero(target);
    replacement = untilZero(replacement);
    const std::size_t offset = offsetFromStart(start);
    if (text.empty() || target.empty() || offset >= text.size() || count == 0) return Text(text);

    Text result;
    result.reserve(text.size());
    std::size_t copiedUpTo = 0;  // bytes before this are in the result already
    std::size_t pos = offset;
    int replaced = 0;
    while (true) {
        const std::size_t found = findAtCharBoundary(text, target, pos, !matchCase, true);
        if (found == std::string_view::npos) break;
        result.append(text.substr(copiedUpTo, found - copiedUpTo));
        result.append(replacement);
        copiedUpTo = pos = found + target.size();
        if (++replaced == count) {
            result.append(text.substr(copiedUpTo));
            return result;
        }
    }
    // The unreplaced rest, without a lead byte left alone at the very end.
    const std::size_t end = endsInLoneLeadByte(text, pos) ? text.size() - 1 : text.size();
    if (copiedUpTo < end) result.append(text.substr(copiedUpTo, end - copiedUpTo));
    return result;
}

namespace {

// Width of the blank (space or full-width space) that starts at index, 0 for none.
std::size_t blankWidth(std::string_view text, std::size_t index) {
    if (byteAt(text, index) == 0x20) return 1;
    if (byteAt(text, index) == 0xA1 && index + 1 < text.size() && byteAt(text, index + 1) == 0xA1) return 2;
    return 0;
}

}  // namespace

Text trimText(std::string_view text) {
    text = untilZero(text);
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t width = blankWidth(text, begin);
        if (width == 0) break;
        begin += width;
    }
    std::size_t end = text.size();
    if (endsInLoneLeadByte(text, begin)) {
        end = text.size() - 1;  // only the lone byte goes; blanks before it stay
    } else {
        std::size_t runStart = text.size();  // start of the blank run reaching the end, if any
        for (std::size_t pos = begin; pos < text.size();) {
            const std::size_t width = blankWidth(text, pos);
            if (width == 0) {
                runStart = text.size();
                pos += charWidth(byteAt(text, pos));
            } else {
                if (runStart == text.size()) runStart = pos;
                pos += width;
            }
        }
        end = runStart;
    }
    return begin < end ? Text(text.substr(begin, end - begin)) : Text();
}

namespace {

// Adds delta to the one-byte characters in [from, to]; two-byte characters stay.
Text shiftLetters(std::string_view text, unsigned char from, unsigned char to, int delta) {
    Text result(untilZero(text));
    for (std::size_t pos = 0; pos < result.size();) {
        const auto byte = static_cast<unsigned char>(result[pos]);
        if (byte >= from && byte <= to) result[pos] = static_cast<char>(byte + delta);
        pos += charWidth(byte);
    }
    return result;
}

}  // namespace

Text upperText(std::string_view text) { return shiftLetters(text, 'a', 'z', -0x20); }

Text lowerText(std::string_view text) { return shiftLetters(text, 'A', 'Z', 0x20); }

Text concatText(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
    a = untilZero(a);
    b = untilZero(b);
    c = untilZero(c);
    d = untilZero(d);
    Text result;
    result.reserve(a.size() + b.size() + c.size() + d.size());
    result.append(a).append(b).append(c).append(d);
    return result;
}

int compareText(std::string_view a, std::string_view b) {
    const int order = untilZero(a).compare(untilZero(b));  // char_traits<char> compares as unsigned bytes
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Text charFromCode(int code) {
    const auto byte = static_cast<unsigned char>(static_cast<unsigned>(code) & 0xFFu);
    return byte == 0 ? Text() : Text(1, static_cast<char>(byte));
}

Text hexText(std::int32_t value) {
    char digits[8];
    char* end = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(value), 16).ptr;
    Text result(digits, end);
    for (char& digit : result) {
        if (digit >= 'a' && digit <= 'f') digit = static_cast<char>(digit - 'a' + 'A');
    }
    return result;
}

Text numberToText(double value) {
    // to_chars follows printf's "%.13g" but always in the C locale.
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
    return ec == std::errc() ? Text(buffer, end) : Text();
}

ByteSet textToBytes(std::string_view text) {
    text = untilZero(text);
    return ByteSet(text.begin(), text.end());
}

Text bytesToText(const ByteSet& bytes) {
    // Through a view, so the first zero is found with memchr and the text is
    // copied in one piece rather than byte by byte.
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return Text(untilZero(view));
}
