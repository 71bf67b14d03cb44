#pragma once

#include <string_view>

#include "text/Text.h"

// The placeholder a marker may use to spell a double quote: "#引号" in GBK.
inline constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";

// The text between the first left marker (searched from start) and the next
// right marker after it (searched in the remainder from the same start). Both
// markers have kQuoteMarker replaced by a double quote and are found ignoring
// ASCII case unless matchCase. Empty when either marker is missing.
Text textBetween(std::string_view text, std::string_view left, std::string_view right, int start = 0,
                 bool matchCase = false);
