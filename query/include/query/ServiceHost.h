#pragma once

#include <string_view>

// host[:port] of the trademark service, chosen when the program is built.
inline constexpr std::string_view kServiceHost = TRADEMARK_SERVICE_HOST;
