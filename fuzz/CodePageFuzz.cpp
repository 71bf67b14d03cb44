// The code-page conversions over arbitrary bytes, read as GBK, as UTF-8 and as
// UTF-16LE units. ICU's own converters are the reference the results must equal,
// and the round trips that hold for well-formed text are checked on it.
//
// Input: the bytes, whole.

#include <unicode/uchar.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "icu_reference/IcuConverter.h"
#include "support/FuzzInput.h"
#include "text/CodePage.h"

namespace {

const IcuConverter& icuGbk() {
    static const IcuConverter converter("windows-936-2000");
    fuzz::check(converter.ok(), "ICU converts windows-936");
    return converter;
}

const IcuConverter& icuUtf8() {
    static const IcuConverter converter("UTF-8");
    fuzz::check(converter.ok(), "ICU converts UTF-8");
    return converter;
}

// The well-formed characters of text, the bytes that start none dropped.
std::string wellFormedPart(std::string_view text) {
    std::string kept;
    while (!text.empty()) {
        const std::size_t length = fuzz::gbkCharLength(text);
        kept.append(text.substr(0, length));
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return kept;
}

ByteSet unitsToBytes(std::u16string_view units) {
    ByteSet bytes;
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// Units of little-endian bytes, an odd last byte ignored, up to the first zero unit.
std::u16string bytesToUnits(std::string_view bytes) {
    std::u16string units;
    for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
        const auto unit =
            static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) | static_cast<unsigned char>(bytes[k + 1]) << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

bool hasCombiningMark(std::u16string_view units) {
    return std::any_of(units.begin(), units.end(), [](char16_t unit) { return u_getCombiningClass(unit) != 0; });
}

// For well-formed GBK every conversion road leads back to the same bytes.
void checkGbkRoundTrips(const std::string& gbk) {
    fuzz::check(utf8ToGbk(gbkToUtf8(gbk)) == gbk, "utf8ToGbk(gbkToUtf8(x)) == x for well-formed GBK");
    fuzz::check(wideBytesToGbk(gbkToWideBytes(gbk)) == gbk,
                "wideBytesToGbk(gbkToWideBytes(x)) == x for well-formed GBK");
    fuzz::check(utf16ToGbk(gbkToUtf16(gbk)) == gbk, "utf16ToGbk(gbkToUtf16(x)) == x for well-formed GBK");
    fuzz::check(fromWideBytes(toWideBytes(gbk, kCodePageGbk), kCodePageGbk) == gbk,
                "fromWideBytes(toWideBytes(x, 936), 936) == x for well-formed GBK");
}

// raw is handed to the module as it came, zero bytes included; the references get
// the stored text, the bytes before the first zero.
void checkGbkInput(std::string_view raw) {
    const Text bytes = fuzz::storedText(raw);
    const std::u16string units = gbkToUtf16(raw);
    fuzz::check(units == icuGbk().toUtf16(bytes), "gbkToUtf16 equals ICU's windows-936 decoding");
    fuzz::check(gbkToUtf8(raw) == icuUtf8().fromUtf16(units), "gbkToUtf8 equals ICU's decoding written as UTF-8");

    ByteSet wide = unitsToBytes(units);
    wide.insert(wide.end(), {0, 0});
    fuzz::check(gbkToWideBytes(raw) == wide, "gbkToWideBytes is the units with one zero unit");
    fuzz::check(toWideBytes(bytes, kCodePageSystem) == wide, "the system code page is code page 936");

    if (fuzz::isWellFormedGbk(bytes)) checkGbkRoundTrips(bytes);
    checkGbkRoundTrips(wellFormedPart(bytes));
}

void checkUtf8Input(std::string_view raw) {
    const Text bytes = fuzz::storedText(raw);
    const Text gbk = utf8ToGbk(raw);
    const std::u16string units = icuUtf8().toUtf16(bytes);
    fuzz::check(gbk == icuGbk().fromUtf16(units), "utf8ToGbk equals ICU's UTF-8 decoding written in windows-936");
    fuzz::check(fuzz::isWellFormedGbk(gbk), "utf8ToGbk writes well-formed GBK");
    checkGbkRoundTrips(gbk);

    const ByteSet wide = toWideBytes(raw);
    fuzz::check(wide.size() >= 2 && wide[wide.size() - 1] == 0 && wide[wide.size() - 2] == 0,
                "toWideBytes ends with the zero unit");
    if (icuUtf8().fromUtf16(units) == bytes) {
        fuzz::check(fromWideBytes(wide, kCodePageUtf8) == bytes, "well-formed UTF-8 survives the UTF-16 road");
    }
}

void checkWideInput(std::string_view bytes) {
    const ByteSet wide(bytes.begin(), bytes.end());
    const Text gbk = wideBytesToGbk(wide);
    fuzz::check(!fuzz::hasZeroByte(gbk), "wideBytesToGbk gives no zero byte");
    fuzz::check(fuzz::isWellFormedGbk(gbk), "wideBytesToGbk writes well-formed GBK");
    const std::u16string units = bytesToUnits(bytes);
    // Precomposition is this module's own; without marks ICU's result stands.
    if (!hasCombiningMark(units)) {
        fuzz::check(gbk == icuGbk().fromUtf16(units), "wideBytesToGbk equals ICU's windows-936 encoding");
    }
    fuzz::check(fromWideBytes(wide, kCodePageGbk) == icuGbk().fromUtf16(units),
                "fromWideBytes in code page 936 equals ICU's encoding");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkGbkInput(bytes);
    checkUtf8Input(bytes);
    checkWideInput(bytes);
    return 0;
}
