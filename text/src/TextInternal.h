#pragma once
// Helpers shared by the text module's sources; not part of its interface.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace text_internal {

// A view argument ends at its first zero byte, as the stored text would.
inline std::string_view untilZero(std::string_view view) {
    const void* zero = view.empty() ? nullptr : std::memchr(view.data(), 0, view.size());
    return zero ? view.substr(0, static_cast<const char*>(zero) - view.data()) : view;
}

inline unsigned char byteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

// Bytes the character scan takes for the character that starts with byte.
inline std::size_t charWidth(unsigned char byte) { return byte < 0x80 ? 1 : 2; }

inline unsigned char foldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 0x20) : byte;
}

// Compares needle.size() bytes at text + offset, folding ASCII case of every byte
// when ignoreCase. The caller makes sure enough bytes remain.
inline bool bytesEqualAt(std::string_view text, std::size_t offset, std::string_view needle, bool ignoreCase) {
    if (!ignoreCase) return std::memcmp(text.data() + offset, needle.data(), needle.size()) == 0;
    for (std::size_t i = 0; i < needle.size(); ++i) {
        if (foldAscii(byteAt(text, offset + i)) != foldAscii(byteAt(needle, i))) return false;
    }
    return true;
}

// Byte offset a 1-based start position begins at: max(start - 1, 0), without overflow.
inline std::size_t offsetFromStart(int start) { return start > 1 ? static_cast<std::size_t>(start) - 1 : 0; }

// Position of the first character, from offset on, where needle matches; npos when
// none does. The scan keeps the byte pairing from offset on. A lead byte alone at
// the very end ends the scan unless loneFinalByteCompared, when it is compared too.
std::size_t findAtCharBoundary(std::string_view text, std::string_view needle, std::size_t offset, bool ignoreCase,
                               bool loneFinalByteCompared = false);

// Whether the character scan from the boundary `from` ends at a lead byte alone at
// the very end of the text. Looks back only over the final run of bytes >= 0x80.
inline bool endsInLoneLeadByte(std::string_view text, std::size_t from) {
    if (from >= text.size() || byteAt(text, text.size() - 1) < 0x80) return false;
    // The byte after any byte below 0x80 starts a character, whatever came before.
    std::size_t runStart = text.size() - 1;
    while (runStart > from && byteAt(text, runStart - 1) >= 0x80) --runStart;
    return (text.size() - 1 - runStart) % 2 == 0;
}

}  // namespace text_internal
