// Uses the cookie store from a process of its own, for tests of what the store
// keeps across processes:
//   cookie_store_tool write HOST PREFIX COUNT   stores PREFIX0=0 ... one per transaction
//   cookie_store_tool read HOST                 prints readBrowserCookies(HOST)

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/CookieStore.h"
#include "http/Cookies.h"

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 5) {
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            if (!storeCookie(argv[2], argv[3] + std::to_string(i), std::to_string(i))) return 1;
        }
        return 0;
    }
    if (command == "read" && argc == 3) {
        std::fputs(readBrowserCookies(argv[2]).c_str(), stdout);
        return 0;
    }
    return 2;
}
