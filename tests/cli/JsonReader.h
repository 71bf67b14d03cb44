#pragma once
// A strict reader for what trademark-query --json prints: an array of objects
// whose values are strings. Anything else is rejected.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using JsonObject = std::map<std::string, std::string>;

// The objects in order (values UTF-8), or nothing when the text is not exactly
// such an array (surrounding white space allowed).
std::optional<std::vector<JsonObject>> readJsonObjectArray(std::string_view text);
