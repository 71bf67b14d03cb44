#include "text/TextBetween.h"

#include <algorithm>

#include "TextInternal.h"

namespace {

// The marker with every quote placeholder turned into a double quote.
Text resolveQuoteMarker(std::string_view marker) {
    if (findText(marker, kQuoteMarker) == -1) return Text(text_internal::untilZero(marker));
    return replaceText(marker, kQuoteMarker, "\"", 1, -1, true);
}

}  // namespace

Text textBetween(std::string_view text, std::string_view left, std::string_view right, int start, bool matchCase) {
    text = text_internal::untilZero(text);
    const Text leftMarker = resolveQuoteMarker(left);
    const Text rightMarker = resolveQuoteMarker(right);
    const bool ignoreCase = !matchCase;

    const int leftAt = findText(text, leftMarker, start, ignoreCase);
    if (leftAt == -1) return {};
    const std::size_t remainderStart = static_cast<std::size_t>(leftAt) - 1 + leftMarker.size();
    const std::string_view remainder = text.substr(std::min(remainderStart, text.size()));

    // The same start applies again, now counted within the remainder.
    const int rightAt = findText(remainder, rightMarker, start, ignoreCase);
    if (rightAt == -1) return {};
    return Text(remainder.substr(0, static_cast<std::size_t>(rightAt) - 1));
}
