#include "text/CodePage.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TextInternal.h"

// Code page 936 is ICU's Windows-936 table ("windows-936-2000": 0x80 is the euro
// sign, 0xFF a one-byte character). ICU converters keep state, so every thread
// has its own. The GBK work goes through two lookup tables that are read out of
// that same converter at first use; whatever the tables do not cover (malformed
// bytes, characters GBK lacks, surrogates) goes to the converter itself, so the
// results are ICU's throughout. UTF-8 uses ICU's UTF-8 string routines.

using text_internal::untilZero;

namespace {

constexpr const char* kGbkConverterName = "windows-936-2000";

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openConverter(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) converter.reset();
    return converter;
}

// The calling thread's GBK converter, substituting malformed input (ICU's default).
UConverter* threadGbkConverter() {
    thread_local const ConverterPtr converter = openConverter(kGbkConverterName);
    if (converter) ucnv_reset(converter.get());
    return converter.get();
}

// A per-thread buffer that the conversions write into before the result is cut
// to size, so that a large result is written once and not zero-filled first.
template <typename Char>
std::basic_string<Char>& threadScratch() {
    thread_local std::basic_string<Char> scratch;
    return scratch;
}

// Gives back a scratch buffer that grew beyond a few pages' worth of text.
template <typename Char>
void trimScratch(std::basic_string<Char>& scratch) {
    if (scratch.capacity() > (std::size_t{8} << 20)) std::basic_string<Char>().swap(scratch);
}

// Output written at an index into a buffer that grows only when it must.
template <typename Char>
struct Output {
    std::basic_string<Char>& buffer;
    std::size_t written = 0;

    void reserve(std::size_t more) {
        if (written + more > buffer.size()) buffer.resize(std::max(written + more, 2 * buffer.size()));
    }
    void put(Char c) { buffer[written++] = c; }
    void append(std::basic_string_view<Char> items) {
        reserve(items.size());
        std::copy(items.begin(), items.end(), buffer.begin() + static_cast<std::ptrdiff_t>(written));
        written += items.size();
    }
};

// Appends what converter makes of input, substituting what is malformed or missing
// in the target. convert is ucnv_toUnicode or ucnv_fromUnicode, which share a shape.
template <typename In, typename Out, typename Convert>
void runConverter(Convert convert, UConverter* converter, std::basic_string_view<In> input,
                  std::basic_string<Out>& out) {
    if (!converter || input.empty()) return;
    const In* source = input.data();
    std::size_t written = out.size();
    out.resize(written + 2 * input.size() + 8);
    while (true) {
        Out* target = out.data() + written;
        UErrorCode status = U_ZERO_ERROR;
        convert(converter, &target, out.data() + out.size(), &source, input.data() + input.size(), nullptr, true,
                &status);
        written = static_cast<std::size_t>(target - out.data());
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
        out.resize(out.size() * 2);
    }
    out.resize(written);
}

void icuToUtf16(UConverter* converter, std::string_view bytes, std::u16string& out) {
    runConverter(ucnv_toUnicode, converter, bytes, out);
}

void icuFromUtf16(UConverter* converter, std::u16string_view units, std::string& out) {
    runConverter(ucnv_fromUnicode, converter, units, out);
}

constexpr char16_t kNoUnit = 0xFFFF;  // U+FFFF is a noncharacter no GBK byte maps to

struct GbkTables {
    std::array<char16_t, 256> single{};  // one-byte characters; kNoUnit for the rest
    std::vector<char16_t> pair;          // [lead << 8 | trail]; 0 where ICU must decide
    std::vector<std::uint16_t> fromBmp;  // a byte (< 0x100) or lead << 8 | trail; 0 where ICU must decide
};

// Runs converter over the whole input with a callback that skips what it cannot
// convert, and reports for every output unit the input offset it came from.
void convertWithOffsets(UConverter* converter, std::string_view bytes, std::u16string& units,
                        std::vector<int32_t>& offsets) {
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    units.assign(bytes.size() + 1, u'\0');
    offsets.assign(bytes.size() + 1, -1);
    const char* source = bytes.data();
    UChar* target = units.data();
    ucnv_toUnicode(converter, &target, units.data() + units.size(), &source, source + bytes.size(), offsets.data(),
                   true, &status);
    units.resize(static_cast<std::size_t>(target - units.data()));
    offsets.resize(units.size());
}

GbkTables buildGbkTables() {
    GbkTables tables;
    tables.single.fill(kNoUnit);
    tables.pair.assign(0x10000, 0);
    tables.fromBmp.assign(0x10000, 0);
    const ConverterPtr converter = openConverter(kGbkConverterName);
    if (!converter) return tables;

    std::u16string units;
    std::vector<int32_t> offsets;

    // Every byte followed by a space: a unit at the byte's own offset is a one-byte character.
    std::string probe;
    for (int byte = 1; byte < 0x100; ++byte) probe.append({static_cast<char>(byte), ' '});
    // Whether output unit k is the only one that came from its input offset.
    const auto soleUnit = [&units, &offsets](std::size_t k) {
        return offsets[k] >= 0 && (k == 0 || offsets[k - 1] != offsets[k]) &&
               (k + 1 == units.size() || offsets[k + 1] != offsets[k]);
    };
    convertWithOffsets(converter.get(), probe, units, offsets);
    for (std::size_t k = 0; k < units.size(); ++k) {
        if (soleUnit(k) && offsets[k] % 2 == 0 && !U16_IS_SURROGATE(units[k]))
            tables.single[offsets[k] / 2 + 1] = units[k];
    }

    // Every lead byte with every trail byte, then a space that ends whatever is left:
    // a unit at the lead byte's offset is the pair's character.
    probe.clear();
    std::vector<int> pairIndex;
    for (int lead = 0x80; lead < 0x100; ++lead) {
        if (tables.single[lead] != kNoUnit) continue;
        for (int trail = 1; trail < 0x100; ++trail) {
            probe.append({static_cast<char>(lead), static_cast<char>(trail), ' '});
            pairIndex.push_back(lead << 8 | trail);
        }
    }
    ucnv_reset(converter.get());
    convertWithOffsets(converter.get(), probe, units, offsets);
    for (std::size_t k = 0; k < units.size(); ++k) {
        if (soleUnit(k) && offsets[k] % 3 == 0 && !U16_IS_SURROGATE(units[k]) && units[k] != 0) {
            tables.pair[pairIndex[offsets[k] / 3]] = units[k];
        }
    }

    // Every BMP unit but the surrogates; bytes at a unit's offset are its character.
    std::u16string bmp;
    for (char32_t unit = 1; unit < 0x10000; ++unit) {
        if (!U16_IS_SURROGATE(unit)) bmp.push_back(static_cast<char16_t>(unit));
    }
    std::string bytes(2 * bmp.size() + 8, '\0');
    std::vector<int32_t> byteOffsets(bytes.size(), -1);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    const UChar* source = bmp.data();
    char* target = bytes.data();
    ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source, source + bmp.size(),
                     byteOffsets.data(), true, &status);
    const std::size_t produced = static_cast<std::size_t>(target - bytes.data());
    for (std::size_t k = 0; k < produced;) {
        std::size_t width = 1;
        while (k + width < produced && byteOffsets[k + width] == byteOffsets[k]) ++width;
        const auto first = static_cast<unsigned char>(bytes[k]);
        const bool known = byteOffsets[k] >= 0;  // without an offset ICU keeps deciding
        const char16_t unit = known ? bmp[static_cast<std::size_t>(byteOffsets[k])] : u'\0';
        if (known && width == 1 && first != 0) {
            tables.fromBmp[unit] = first;
        } else if (known && width == 2 && first >= 0x80) {
            tables.fromBmp[unit] = static_cast<std::uint16_t>(first << 8 | static_cast<unsigned char>(bytes[k + 1]));
        }
        k += width;
    }
    return tables;
}

const GbkTables& gbkTables() {
    static const GbkTables tables = buildGbkTables();
    return tables;
}

// Receives the units of decoded GBK as UTF-16. Room for one unit per input byte is
// reserved beforehand.
struct Utf16Sink {
    Output<char16_t> out;
    void reserveFor(std::size_t bytes) { out.reserve(bytes); }
    void unit(char16_t unit) { out.put(unit); }
    void units(std::u16string_view units) { out.append(units); }
};

// Receives the units of decoded GBK as UTF-8, three bytes at most per unit.
struct Utf8Sink {
    Output<char> out;
    void reserveFor(std::size_t bytes) { out.reserve(3 * bytes); }
    void unit(char16_t unit) {
        if (unit < 0x80) {
            out.put(static_cast<char>(unit));
        } else if (unit < 0x800) {
            out.put(static_cast<char>(0xC0 | unit >> 6));
            out.put(static_cast<char>(0x80 | (unit & 0x3F)));
        } else {
            out.put(static_cast<char>(0xE0 | unit >> 12));
            out.put(static_cast<char>(0x80 | (unit >> 6 & 0x3F)));
            out.put(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    void units(std::u16string_view units);
};

// UTF-8 of units, U+FFFD for a lone surrogate, as ICU writes it.
void appendUtf8(std::u16string_view units, Output<char>& out) {
    if (units.empty()) return;
    out.reserve(3 * units.size());
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.buffer.data() + out.written, static_cast<int32_t>(out.buffer.size() - out.written), &length,
                       units.data(), static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &status);
    if (U_SUCCESS(status)) out.written += static_cast<std::size_t>(length);
}

void Utf8Sink::units(std::u16string_view units) { appendUtf8(units, out); }

// Decodes GBK into sink. Characters the tables hold are looked up; from a byte they
// do not cover, ICU decides up to the next two bytes below 0x80 in a row, after which
// it is back at a character boundary whatever came before.
template <typename Sink>
void decodeGbk(std::string_view bytes, Sink& sink) {
    const GbkTables& tables = gbkTables();
    const std::size_t size = bytes.size();
    sink.reserveFor(size);
    std::size_t pos = 0;
    while (pos < size) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        const char16_t single = tables.single[byte];
        if (single != kNoUnit) {
            sink.unit(single);
            ++pos;
            continue;
        }
        if (pos + 1 < size) {
            const char16_t unit = tables.pair[byte << 8 | static_cast<unsigned char>(bytes[pos + 1])];
            if (unit != 0) {
                sink.unit(unit);
                pos += 2;
                continue;
            }
        }
        std::size_t end = pos + 2;
        while (end < size &&
               (static_cast<unsigned char>(bytes[end]) >= 0x80 || static_cast<unsigned char>(bytes[end - 1]) >= 0x80)) {
            ++end;
        }
        end = std::min(end + 1, size);
        std::u16string decided;
        icuToUtf16(threadGbkConverter(), bytes.substr(pos, end - pos), decided);
        sink.units(decided);
        sink.reserveFor(size - end);
        pos = end;
    }
}

// Encodes UTF-16 units (no zero unit) as GBK into out. From a unit the table does not
// cover, ICU decides up to and including the next unit it covers, after which no
// surrogate is pending.
void encodeGbk(std::u16string_view units, Output<char>& out) {
    const GbkTables& tables = gbkTables();
    const std::size_t size = units.size();
    out.reserve(2 * size);
    std::size_t pos = 0;
    while (pos < size) {
        const std::uint16_t code = tables.fromBmp[units[pos]];
        if (code >= 0x100) {
            out.put(static_cast<char>(code >> 8));
            out.put(static_cast<char>(code & 0xFF));
            ++pos;
            continue;
        }
        if (code != 0) {
            out.put(static_cast<char>(code));
            ++pos;
            continue;
        }
        std::size_t end = pos + 1;
        while (end < size && tables.fromBmp[units[end]] == 0) ++end;
        end = std::min(end + 1, size);
        std::string decided;
        icuFromUtf16(threadGbkConverter(), units.substr(pos, end - pos), decided);
        out.append(decided);
        out.reserve(2 * (size - end));
        pos = end;
    }
}

std::u16string_view untilZeroUnit(std::u16string_view units) {
    return units.substr(0, std::min(units.find(u'\0'), units.size()));
}

// UTF-16 of UTF-8, U+FFFD for each maximal malformed part, as ICU reads it.
void appendUtf16(std::string_view utf8, Output<char16_t>& out) {
    if (utf8.empty()) return;
    out.reserve(utf8.size());  // a unit never takes less than a byte
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.buffer.data() + out.written, static_cast<int32_t>(out.buffer.size() - out.written),
                         &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_SUCCESS(status)) out.written += static_cast<std::size_t>(length);
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string units;
    Output<char16_t> out{units};
    appendUtf16(utf8, out);
    units.resize(out.written);
    return units;
}

Text utf16ToUtf8(std::u16string_view units) {
    Text utf8;
    Output<char> out{utf8};
    appendUtf8(untilZeroUnit(units), out);
    utf8.resize(out.written);
    return utf8;
}

// The BMP code point of the well-formed two- or three-byte UTF-8 sequence at pos, and
// its length; a length of 0 for anything else (ICU reads those).
std::pair<char16_t, std::size_t> wellFormedBmpSequence(std::string_view utf8, std::size_t pos) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
    const unsigned char lead = at(pos);
    const auto isTrail = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF && pos + 1 < utf8.size() && isTrail(at(pos + 1))) {
        return {static_cast<char16_t>((lead & 0x1F) << 6 | (at(pos + 1) & 0x3F)), 2};
    }
    if (lead >= 0xE0 && lead <= 0xEF && pos + 2 < utf8.size() && isTrail(at(pos + 1)) && isTrail(at(pos + 2))) {
        const auto unit = static_cast<char16_t>((lead & 0x0F) << 12 | (at(pos + 1) & 0x3F) << 6 | (at(pos + 2) & 0x3F));
        if (unit >= 0x800 && !U16_IS_SURROGATE(unit)) return {unit, 3};
    }
    return {0, 0};
}

// Where a base character and the combining marks after it have one precomposed
// character in GBK, that character replaces them; other sequences stay as they are.
std::u16string precomposeForGbk(std::u16string_view units) {
    const auto isMark = [](char16_t unit) { return unit >= 0x300 && u_getCombiningClass(unit) != 0; };
    if (std::none_of(units.begin() + (units.empty() ? 0 : 1), units.end(), isMark)) return std::u16string(units);

    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    const GbkTables& tables = gbkTables();
    std::u16string result;
    result.reserve(units.size());
    for (std::size_t pos = 0; pos < units.size(); ++pos) {
        char16_t current = units[pos];
        while (U_SUCCESS(status) && pos + 1 < units.size() && isMark(units[pos + 1])) {
            const UChar32 composed = unorm2_composePair(nfc, current, units[pos + 1]);
            if (composed < 0 || composed > 0xFFFF || tables.fromBmp[static_cast<std::size_t>(composed)] == 0) break;
            current = static_cast<char16_t>(composed);
            ++pos;
        }
        result.push_back(current);
    }
    return result;
}

// The UTF-16 units of text read in codePage; nothing when the code page is unknown.
std::optional<std::u16string> decodeCodePage(std::string_view text, int codePage) {
    text = untilZero(text);
    std::u16string units;
    if (codePage == kCodePageSystem || codePage == kCodePageGbk) {
        units = gbkToUtf16(text);
    } else if (codePage == kCodePageUtf8) {
        units = utf8ToUtf16(text);
    } else if (const ConverterPtr other = openConverter(("windows-" + std::to_string(codePage)).c_str())) {
        icuToUtf16(other.get(), text, units);
    } else {
        return std::nullopt;
    }
    return units;
}

// The units written in codePage, up to the first zero byte; empty when the code page is unknown.
Text encodeCodePage(std::u16string_view units, int codePage) {
    units = untilZeroUnit(units);
    Text bytes;
    if (codePage == kCodePageSystem || codePage == kCodePageGbk) {
        Output<char> out{bytes};
        encodeGbk(units, out);
        bytes.resize(out.written);
    } else if (codePage == kCodePageUtf8) {
        bytes = utf16ToUtf8(units);
    } else if (const ConverterPtr other = openConverter(("windows-" + std::to_string(codePage)).c_str())) {
        icuFromUtf16(other.get(), units, bytes);
    }
    bytes.resize(untilZero(bytes).size());
    return bytes;
}

ByteSet unitsToWideBytes(std::u16string_view units) {
    ByteSet wide(2 * units.size() + 2, 0);  // ends with the zero unit
    for (std::size_t k = 0; k < units.size(); ++k) {
        wide[2 * k] = static_cast<std::uint8_t>(units[k] & 0xFF);
        wide[2 * k + 1] = static_cast<std::uint8_t>(units[k] >> 8);
    }
    return wide;
}

// floor(size / 2) little-endian units, up to the first zero unit.
std::u16string wideBytesToUnits(const ByteSet& wide) {
    std::u16string units;
    units.reserve(wide.size() / 2);
    for (std::size_t k = 0; k + 1 < wide.size(); k += 2) {
        const auto unit = static_cast<char16_t>(wide[k] | wide[k + 1] << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

}  // namespace

ByteSet toWideBytes(std::string_view text, int codePage) {
    const std::optional<std::u16string> units = decodeCodePage(text, codePage);
    return units ? unitsToWideBytes(*units) : ByteSet();
}

Text fromWideBytes(const ByteSet& wide, int codePage) { return encodeCodePage(wideBytesToUnits(wide), codePage); }

Text gbkToUtf8(std::string_view gbk) {
    std::string& scratch = threadScratch<char>();
    Utf8Sink sink{{scratch}};
    decodeGbk(untilZero(gbk), sink);
    Text utf8(scratch.data(), sink.out.written);
    trimScratch(scratch);
    return utf8;
}

Text utf8ToGbk(std::string_view utf8) {
    utf8 = untilZero(utf8);
    const GbkTables& tables = gbkTables();
    std::string& scratch = threadScratch<char>();
    Output<char> out{scratch};
    out.reserve(2 * utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        const auto [unit, length] =
            byte < 0x80 ? std::pair<char16_t, std::size_t>{byte, 1} : wellFormedBmpSequence(utf8, pos);
        const std::uint16_t code = length ? tables.fromBmp[unit] : 0;
        if (code >= 0x100) {
            out.put(static_cast<char>(code >> 8));
            out.put(static_cast<char>(code & 0xFF));
            pos += length;
        } else if (code != 0) {
            out.put(static_cast<char>(code));
            pos += length;
        } else {
            // ICU reads up to and including the next byte below 0x80, which ends any sequence.
            std::size_t end = pos + 1;
            while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
            end = std::min(end + 1, utf8.size());
            encodeGbk(utf8ToUtf16(utf8.substr(pos, end - pos)), out);
            out.reserve(2 * (utf8.size() - end));
            pos = end;
        }
    }
    Text gbk(scratch.data(), out.written);
    trimScratch(scratch);
    return gbk;
}

ByteSet gbkToWideBytes(std::string_view gbk) { return toWideBytes(gbk, kCodePageGbk); }

Text wideBytesToGbk(const ByteSet& wide) { return utf16ToGbk(wideBytesToUnits(wide)); }

std::u16string gbkToUtf16(std::string_view gbk) {
    std::u16string units;
    Utf16Sink sink{{units}};
    decodeGbk(untilZero(gbk), sink);
    units.resize(sink.out.written);
    return units;
}

Text utf16ToGbk(std::u16string_view units) {
    Text gbk;
    Output<char> out{gbk};
    encodeGbk(precomposeForGbk(untilZeroUnit(units)), out);
    gbk.resize(out.written);
    return gbk;
}
