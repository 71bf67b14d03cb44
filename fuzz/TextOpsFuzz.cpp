// The text primitives and textBetween with arbitrary arguments: no crash, no zero
// byte in any result, and the invariants their contracts promise.
//
// Input: a flag byte (bit 0 ignore case, bit 1 match case for replaceText and
// textBetween), a start byte and a count byte (both signed), then the pieces
// text, needle, replacement, left marker and right marker.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/FuzzInput.h"
#include "text/Text.h"
#include "text/TextBetween.h"

namespace {

unsigned char foldCase(unsigned char b) { return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b; }

bool bytesEqual(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (ignoreCase) {
            x = foldCase(x);
            y = foldCase(y);
        }
        if (x != y) return false;
    }
    return true;
}

// findText written from its contract: walk the characters from max(start - 1, 0),
// a lead byte taking the next byte along and a lone final lead byte ending the walk.
int referenceFind(std::string_view text, std::string_view needle, int start, bool ignoreCase) {
    const std::size_t offset = start > 1 ? static_cast<std::size_t>(start - 1) : 0;
    if (offset >= text.size()) return -1;
    if (needle.empty()) return 1;
    for (std::size_t pos = offset; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80 && pos + 1 == text.size()) break;
        if (bytesEqual(text.substr(pos, needle.size()), needle, ignoreCase)) return static_cast<int>(pos) + 1;
        pos += byte >= 0x80 ? 2 : 1;
    }
    return -1;
}

// The last character of text, walking characters from its start; a lone lead byte
// at the end is a character of its own here.
std::string_view lastChar(std::string_view text) {
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += static_cast<unsigned char>(text[pos]) >= 0x80 ? 2 : 1) {
        last = pos;
    }
    return text.substr(last);
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

void checkFind(std::string_view rawText, std::string_view rawNeedle, int start, bool ignoreCase) {
    const Text text = fuzz::storedText(rawText);
    const Text needle = fuzz::storedText(rawNeedle);
    const int found = findText(rawText, rawNeedle, start, ignoreCase);
    fuzz::check(found == -1 || (found >= 1 && found <= textLength(text)), "findText gives -1 or a valid position");
    if (found >= 1 && !needle.empty()) {
        fuzz::check(bytesEqual(text.substr(static_cast<std::size_t>(found) - 1, needle.size()), needle, ignoreCase),
                    "findText's position holds the needle");
    }
    fuzz::check(found == referenceFind(text, needle, start, ignoreCase), "findText finds the first character match");
}

void checkPieces(std::string_view rawText, std::string_view rawSeparator) {
    const Text text = fuzz::storedText(rawText);
    const Text separator = fuzz::storedText(rawSeparator);
    const TextList pieces = splitText(rawText, rawSeparator);
    Text joined;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        fuzz::check(!fuzz::hasZeroByte(pieces[k]), "splitText gives no zero byte");
        if (k > 0) joined += separator;
        joined += pieces[k];
    }
    fuzz::check(text.empty() == pieces.empty(), "splitText gives no piece for an empty text only");
    fuzz::check(joined == text || joined + separator == text, "splitText's pieces joined give the text back");
}

void checkReplace(std::string_view rawText, std::string_view target, std::string_view replacement, int start, int count,
                  bool matchCase) {
    const Text text = fuzz::storedText(rawText);
    const Text replaced = replaceText(rawText, target, replacement, start, count, matchCase);
    fuzz::check(!fuzz::hasZeroByte(replaced), "replaceText gives no zero byte");
    if (fuzz::storedText(target).empty() || count == 0) fuzz::check(replaced == text, "replaceText with nothing to do");

    // Replacing a target with itself changes nothing but a lone lead byte at the end.
    const Text same = replaceText(rawText, target, target, start, count, true);
    const bool loneByteLeftOut =
        same.size() + 1 == text.size() && text.starts_with(same) && static_cast<unsigned char>(text.back()) >= 0x80;
    fuzz::check(same == text || loneByteLeftOut, "replaceText of a target by itself keeps the text");
}

void checkTrim(std::string_view rawText) {
    const Text text = fuzz::storedText(rawText);
    const Text trimmed = trimText(rawText);
    fuzz::check(contains(text, trimmed), "trimText gives a part of the text");
    fuzz::check(!trimmed.starts_with(' ') && !trimmed.starts_with("\xA1\xA1"), "trimText leaves no leading blank");
    const std::string_view last = lastChar(trimmed);
    if (last == " " || last == "\xA1\xA1") {
        // Only where the text ended in a lone lead byte, which goes instead, may a trailing blank stay.
        const std::string_view textLast = lastChar(text);
        fuzz::check(textLast.size() == 1 && static_cast<unsigned char>(textLast[0]) >= 0x80,
                    "trimText leaves no trailing blank");
    }
}

void checkCutting(std::string_view rawText, int start, int count) {
    const Text text = fuzz::storedText(rawText);
    const std::size_t length = text.size();
    const Text left = leftText(rawText, count);
    const Text right = rightText(rawText, count);
    const std::size_t expected = count <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(count), length);
    fuzz::check(left == text.substr(0, expected), "leftText is the first min(count, length) bytes");
    fuzz::check(right == text.substr(length - expected), "rightText is the last min(count, length) bytes");
    const Text mid = midText(rawText, start, count);
    if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > length) {
        fuzz::check(mid.empty(), "midText out of range is empty");
    } else {
        fuzz::check(mid == text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)),
                    "midText is the bytes from start");
    }
}

void checkCaseAndCompare(std::string_view rawA, std::string_view rawB) {
    const Text a = fuzz::storedText(rawA);
    const Text b = fuzz::storedText(rawB);
    fuzz::check(upperText(rawA).size() == a.size() && lowerText(rawA).size() == a.size(),
                "case changes keep the length");
    fuzz::check(bytesEqual(upperText(rawA), lowerText(rawA), true), "upper and lower case forms match ignoring case");
    const int ab = compareText(rawA, rawB);
    fuzz::check(ab == -compareText(rawB, rawA), "compareText is antisymmetric");
    fuzz::check((ab == 0) == (a == b), "compareText gives 0 for equal texts only");
    fuzz::check(concatText(rawA, rawB) == a + b, "concatText joins the stored texts");
}

void checkBetween(std::string_view rawText, std::string_view left, std::string_view right, int start, bool matchCase) {
    const Text between = textBetween(rawText, left, right, start, matchCase);
    fuzz::check(!fuzz::hasZeroByte(between), "textBetween gives no zero byte");
    fuzz::check(contains(fuzz::storedText(rawText), between), "textBetween gives a part of the text");
    if (!between.empty()) {
        fuzz::check(findText(rawText, left, start, !matchCase) >= 1 || contains(left, kQuoteMarker),
                    "textBetween finds something only after the left marker");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const bool ignoreCase = flags & 1;
    const bool matchCase = flags & 2;
    const int start = input.smallInt();
    const int count = input.smallInt();
    const std::string_view text = input.piece();
    const std::string_view needle = input.piece();
    const std::string_view replacement = input.piece();
    const std::string_view left = input.piece();
    const std::string_view right = input.piece();

    checkFind(text, needle, start, ignoreCase);
    checkPieces(text, needle);
    checkReplace(text, needle, replacement, start, count, matchCase);
    checkTrim(text);
    checkCutting(text, start, count);
    checkCaseAndCompare(text, needle);
    checkBetween(text, left, right, start, matchCase);
    return 0;
}
