#include "text/UrlCodec.h"

#include <atomic>
#include <cstring>

#include "TextInternal.h"
#include "text/CodePage.h"

namespace {

std::atomic<PendingEventsHook> gPendingEventsHook{nullptr};

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool passesUnescaped(unsigned char byte) {
    return (byte >= 0x2C && byte <= 0x39) || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Value of the byte after "%" at index: 0-15 for a hexadecimal digit of either case,
// -2 for any other byte (not found in the digit table), 0 past the end (an empty
// needle is found at position 1).
int digitValue(std::string_view text, std::size_t index) {
    if (index >= text.size()) return 0;
    const unsigned char byte = text_internal::byteAt(text, index);
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    return -2;
}

}  // namespace

void setPendingEventsHook(PendingEventsHook hook) { gPendingEventsHook.store(hook, std::memory_order_release); }

Text urlEncode(std::string_view text, bool keep, bool utf8) {
    const Text utf8Form = utf8 ? gbkToUtf8(text) : Text();
    const std::string_view bytes = utf8 ? std::string_view(utf8Form) : text_internal::untilZero(text);
    Text encoded(3 * bytes.size(), '\0');
    char* out = encoded.data();
    const PendingEventsHook hook = gPendingEventsHook.load(std::memory_order_acquire);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (keep && passesUnescaped(byte)) {
            *out++ = c;
        } else {
            out[0] = '%';
            out[1] = kHexDigits[byte >> 4];
            out[2] = kHexDigits[byte & 0xF];
            out += 3;
        }
        if (hook) hook();
    }
    encoded.resize(static_cast<std::size_t>(out - encoded.data()));
    return encoded;
}

Text urlDecode(std::string_view text, bool utf8) {
    text = text_internal::untilZero(text);
    Text decoded(text.size(), '\0');
    std::size_t written = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Runs without "%" are copied whole.
        const void* percent = std::memchr(text.data() + pos, '%', text.size() - pos);
        const std::size_t runEnd = percent ? static_cast<const char*>(percent) - text.data() : text.size();
        std::memcpy(decoded.data() + written, text.data() + pos, runEnd - pos);
        written += runEnd - pos;
        if (runEnd == text.size()) break;
        const int value = 16 * digitValue(text, runEnd + 1) + digitValue(text, runEnd + 2);
        const auto byte = static_cast<unsigned char>(static_cast<unsigned>(value) & 0xFFu);
        if (byte != 0) decoded[written++] = static_cast<char>(byte);
        pos = runEnd + 3;
    }
    decoded.resize(written);
    return utf8 ? utf8ToGbk(decoded) : decoded;
}
