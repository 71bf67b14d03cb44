#include "cli/CliOptions.h"

#include <algorithm>

namespace {

constexpr std::string_view kHostOption = "--host";

bool validHost(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_' || c == ':' || c == '[' || c == ']';
    });
}

// 1..45 written as one or two decimal digits; 0 otherwise.
int classNumberOf(std::string_view text) {
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const int value = text.size() == 1 ? text[0] - '0' : (text[0] - '0') * 10 + (text[1] - '0');
    return value >= 1 && value <= 45 ? value : 0;
}

}  // namespace

CliOptions parseCliArguments(const std::vector<std::string_view>& args) {
    CliOptions options;
    std::vector<std::string_view> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == kHostOption || arg.starts_with("--host=")) {
            std::string_view host;
            if (arg == kHostOption) {
                if (i + 1 >= args.size()) {
                    options.error = "--host needs a value";
                    return options;
                }
                host = args[++i];
            } else {
                host = arg.substr(kHostOption.size() + 1);
            }
            if (!validHost(host)) {
                options.error = "bad host \"" + std::string(host) + "\"";
                return options;
            }
            options.host = host;
        } else {
            options.error = "unknown option \"" + std::string(arg) + "\"";
            return options;
        }
    }
    if (positional.empty()) {
        options.error = "missing CLASS and NAME";
    } else if ((options.classNumber = classNumberOf(positional[0])) == 0) {
        options.error = "CLASS must be a number from 1 to 45, not \"" + std::string(positional[0]) + "\"";
    } else if (positional.size() < 2) {
        options.error = "missing NAME";
    } else if (positional.size() > 2) {
        options.error = "too many arguments";
    } else {
        options.name = positional[1];
    }
    return options;
}
