#pragma once

#include <string_view>

#include "text/Text.h"

// The placeholder a marker may use to spell a double quote: "#引号" in GBK.
inline constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// The text between the first left marker (searched from position start, as by
// findText) and the next right marker after it. The right marker is searched in
// the remainder after the left one from the same start counted within that
// remainder, so a start s above 1 skips the remainder's first s - 1 bytes. Both
// markers have kQuoteMarker replaced by a double quote and are found ignoring
// ASCII case unless matchCase. Empty when either marker is missing.
Text textBetween(std::string_view text, std::string_view left, std::string_view right, int start = 0,
                 bool matchCase = false);
