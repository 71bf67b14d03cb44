// The percent codec over arbitrary text, with every setting of its switches.
//
// Input: a flag byte (bit 0 keep, bit 1 UTF-8 for encoding, bit 2 UTF-8 for
// decoding), then the text, read as a stored text would be.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/FuzzInput.h"
#include "text/CodePage.h"
#include "text/UrlCodec.h"

namespace {

bool isUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// A byte that urlEncode with keep lets through: "," to "9", A-Z, a-z.
bool passesWithKeep(unsigned char b) {
    return (b >= 0x2C && b <= 0x39) || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// The decoder's digit value: 0-9, A-F, a-f; 0 for a missing byte, -2 for anything else.
int digitValue(std::string_view text, std::size_t at) {
    if (at >= text.size()) return 0;
    const char c = text[at];
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -2;
}

// urlDecode without the UTF-8 switch, written straight from its contract.
Text referenceDecode(std::string_view text) {
    Text decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int value = 16 * digitValue(text, i + 1) + digitValue(text, i + 2);
        if (const auto byte = static_cast<char>(value & 0xFF); byte != '\0') decoded += byte;
        i += 2;
    }
    return decoded;
}

// Whatever the switches, the encoding is made of escapes and kept bytes only, and
// decoding it gives back the bytes that were encoded.
void checkEncoding(const Text& text, bool keep, bool utf8) {
    const Text encoded = urlEncode(text, keep, utf8);
    const Text encodedBytes = utf8 ? gbkToUtf8(text) : text;
    fuzz::check(!fuzz::hasZeroByte(encoded), "urlEncode gives no zero byte");
    std::size_t escapes = 0;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%') {
            fuzz::check(i + 2 < encoded.size(), "an escape has two digits");
            fuzz::check(isUpperHexDigit(encoded[i + 1]) && isUpperHexDigit(encoded[i + 2]),
                        "an escape has two upper-case hexadecimal digits");
            ++escapes;
            i += 2;
        } else {
            fuzz::check(keep && passesWithKeep(static_cast<unsigned char>(encoded[i])),
                        "only keep lets a byte through, and only a URL-safe one");
        }
    }
    fuzz::check(encoded.size() == escapes * 3 + (encodedBytes.size() - escapes), "one escape or byte per input byte");
    fuzz::check(urlDecode(encoded) == encodedBytes, "urlDecode undoes urlEncode");
    if (utf8) fuzz::check(urlDecode(encoded, true) == utf8ToGbk(encodedBytes), "the UTF-8 road ends in GBK");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    const bool keep = flags & 1;
    const bool encodeUtf8 = flags & 2;
    const bool decodeUtf8 = flags & 4;
    const std::string_view bytes = input.rest();
    const Text text = fuzz::storedText(bytes);

    checkEncoding(text, keep, encodeUtf8);

    const Text decoded = urlDecode(bytes);
    fuzz::check(decoded == referenceDecode(text), "urlDecode follows its contract byte for byte");
    fuzz::check(!fuzz::hasZeroByte(decoded), "urlDecode gives no zero byte");
    fuzz::check(decoded.size() <= text.size(), "decoding never lengthens a text");
    const Text decodedGbk = urlDecode(bytes, decodeUtf8);
    fuzz::check(!fuzz::hasZeroByte(decodedGbk), "urlDecode with UTF-8 gives no zero byte");
    if (decodeUtf8) fuzz::check(decodedGbk == utf8ToGbk(decoded), "the UTF-8 switch only adds utf8ToGbk");
    return 0;
}
