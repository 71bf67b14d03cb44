#pragma once
// Command line of trademark-query: [--host HOST[:PORT]] [--json] CLASS NAME.

#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kCliUsage = "usage: trademark-query [--host HOST[:PORT]] [--json] CLASS NAME";

struct CliOptions {
    std::string host;     // empty: the built-in service host
    bool json = false;    // print a JSON array instead of TAB-separated lines
    bool help = false;    // print the usage and stop
    int classNumber = 0;  // 1..45
    std::string name;     // UTF-8, as given
    std::string error;    // what is wrong with the arguments; empty when they are fine
};

// Reads the arguments after the program name. "--host X" and "--host=X" both
// work; "--" ends the options, so a NAME may start with "-". CLASS is 1..45 in
// decimal. Anything else (an unknown option, a missing or extra argument, an
// empty or malformed host) sets error.
CliOptions parseCliArguments(const std::vector<std::string_view>& args);
