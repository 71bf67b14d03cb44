#pragma once
// Conversions between GBK (code page 936), UTF-8 (65001) and UTF-16LE.
// Malformed input is substituted, never an error; a character the target lacks
// becomes the target's default character ("?" in GBK, U+FFFD in UTF-8). Where the
// system code page is named, code page 936 serves. Code page 936 is ICU's
// Windows-936 table: 0x80 is the euro sign. Safe to call from any thread.

#include <string>
#include <string_view>

#include "text/Text.h"

inline constexpr int kCodePageSystem = 0;
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUtf8 = 65001;

// UTF-16LE units of the text read in codePage, ended by one zero unit (counted).
// An empty text gives the two bytes of the zero unit; a code page that ICU does not
// know (other than 936 and 65001, tried as "windows-<number>") gives nothing.
ByteSet toWideBytes(std::string_view text, int codePage = kCodePageUtf8);

// The units up to the first zero unit (all when there is none; a trailing odd byte
// is ignored), written in codePage; the result stops at its first zero byte.
Text fromWideBytes(const ByteSet& wide, int codePage = kCodePageSystem);

Text gbkToUtf8(std::string_view gbk);
Text utf8ToGbk(std::string_view utf8);

// toWideBytes in code page 936.
ByteSet gbkToWideBytes(std::string_view gbk);

// floor(length / 2) units, without a zero unit, to GBK, precomposing a base
// character and a combining mark where GBK has the composed one. A zero unit ends
// the text.
Text wideBytesToGbk(const ByteSet& wide);

// The same conversions on UTF-16 strings, without the zero unit, for callers that
// work in UTF-16 themselves: gbkToWideBytes without the zero unit, and
// wideBytesToGbk (precomposing alike, a zero unit ending the text).
std::u16string gbkToUtf16(std::string_view gbk);
Text utf16ToGbk(std::u16string_view units);
