#pragma once
// What every fuzz target shares: reading its arguments out of the fuzzer's bytes,
// stopping loudly when a property fails, and telling well-formed GBK.
//
// An input is a few leading control bytes (flags, small numbers) followed by
// pieces of text separated by the byte 0x1F. Pieces may hold any other byte,
// zero bytes included, so a seed stays easy to write with printf.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "text/Text.h"

namespace fuzz {

inline constexpr char kPieceSeparator = '\x1F';

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next control byte; 0 once the input is used up.
    std::uint8_t byte() {
        if (rest_.empty()) return 0;
        const auto value = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return value;
    }

    // A control byte read as a signed number, so that negative and far positions occur.
    int smallInt() { return static_cast<std::int8_t>(byte()); }

    // The bytes up to the next separator (all that is left when there is none).
    std::string_view piece() {
        const std::size_t end = rest_.find(kPieceSeparator);
        const std::string_view piece = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return piece;
    }

    // Everything not read yet, separators included.
    std::string_view rest() const { return rest_; }

  private:
    std::string_view rest_;
};

// The text a view stands for in the text module: its bytes before the first zero.
inline Text storedText(std::string_view bytes) { return Text(bytes.substr(0, bytes.find('\0'))); }

// Stops the run with the name of the property that failed; the fuzzer (or the
// replay) then reports the input that did it.
inline void check(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

inline bool hasZeroByte(std::string_view text) { return text.find('\0') != std::string_view::npos; }

// Length of the well-formed GBK character at the start of a non-empty text, 0 when
// there is none: a byte 0x01-0x80 or 0xFF alone, or a lead byte 0x81-0xFE with a
// trail byte 0x40-0xFE other than 0x7F. Every such text survives a conversion to
// Unicode and back unchanged.
inline std::size_t gbkCharLength(std::string_view text) {
    const auto first = static_cast<unsigned char>(text.front());
    if (first == 0) return 0;
    if (first < 0x81 || first == 0xFF) return 1;
    const auto trail = text.size() >= 2 ? static_cast<unsigned char>(text[1]) : 0;
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 0;
}

inline bool isWellFormedGbk(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = gbkCharLength(text);
        if (length == 0) return false;
        text.remove_prefix(length);
    }
    return true;
}

}  // namespace fuzz
