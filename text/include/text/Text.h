#pragma once
// Byte text in code page 936 (GBK) and the operations every module uses on it.
//
// Positions count bytes from 1; a failed search yields -1. Where a routine walks
// characters, a byte of 0x80 or above starts a two-byte character that also
// takes the next byte; such a byte at the very end of a text ends the walk.
// Case folding is ASCII only (A-Z against a-z), whatever the locale, and applies
// to every compared byte. Every routine is a pure function of its arguments.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A GBK byte string. It never holds a zero byte: every routine that makes one
// from arbitrary bytes stops at the first zero, and a view handed to any routine of
// this module is read up to its first zero byte, as a stored text would be. An
// absent text is the empty one.
using Text = std::string;

// Any bytes, zero bytes allowed: UTF-16LE data and raw HTTP bodies.
using ByteSet = std::vector<std::uint8_t>;

// The pieces of a split, element k of the description at index k - 1.
using TextList = std::vector<Text>;

// Number of bytes.
int textLength(std::string_view text);

// Position of the first occurrence of needle at a character boundary counted
// from the start offset max(start - 1, 0); -1 when absent. An empty needle
// yields 1 when any byte remains from the offset, -1 otherwise.
int findText(std::string_view text, std::string_view needle, int start = 0, bool ignoreCase = false);

// The first / last min(count, length) bytes; empty when count <= 0.
Text leftText(std::string_view text, int count);
Text rightText(std::string_view text, int count);

// min(count, length - start + 1) bytes from position start; empty when start < 1,
// start > length or count <= 0.
Text midText(std::string_view text, int start, int count);

// Pieces between exact occurrences of separator, found at character boundaries.
// Empty pieces in between are kept, a trailing empty piece is dropped; an empty
// text gives no piece, an empty separator the whole text as the one piece.
TextList splitText(std::string_view text, std::string_view separator);

// Replaces occurrences of target from position start on, at most count of them
// (a negative count means no limit, 0 replaces nothing). matchCase false folds
// ASCII case. Replacement text is never searched again. A lone lead byte at the
// end of the scanned part is left out of the result.
Text replaceText(std::string_view text, std::string_view target, std::string_view replacement = {}, int start = 1,
                 int count = -1, bool matchCase = false);

// Removes leading and trailing blanks: the space and the full-width space
// (0xA1 0xA1). A lone lead byte at the end is cut off instead.
Text trimText(std::string_view text);

// Raise a-z / lower A-Z in one-byte characters; two-byte characters unchanged.
Text upperText(std::string_view text);
Text lowerText(std::string_view text);

Text concatText(std::string_view a, std::string_view b, std::string_view c = {}, std::string_view d = {});

// 0 when equal, -1 when a sorts first (as unsigned bytes, a shorter prefix first), 1 otherwise.
int compareText(std::string_view a, std::string_view b);

// One byte, the low 8 bits of code; empty when they are 0.
Text charFromCode(int code);

// Upper-case hexadecimal of the value as unsigned 32-bit ("%X").
Text hexText(std::int32_t value);

// The value as "%.13g" in the C locale.
Text numberToText(double value);

ByteSet textToBytes(std::string_view text);

// The bytes before the first zero byte.
Text bytesToText(const ByteSet& bytes);
