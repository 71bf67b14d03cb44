// trademark-query: runs one query against the trademark service and prints the
// rows as UTF-8 on standard output; the system's messages go to standard error.

#include <unistd.h>

#include <iostream>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/MemoryToolkit.h"
#include "cli/RowOutput.h"
#include "query/QueryRun.h"
#include "query/ServiceHost.h"
#include "text/CodePage.h"

namespace {

// The busy label's text, shown while the busy indicator is up.
constexpr std::string_view kBusyText = "正在查询.....请稍后";

// Standard error: one line per message, and on a terminal the busy text on a
// line of its own that later output overwrites.
class ErrorReporter {
  public:
    explicit ErrorReporter(bool terminal) : terminal_(terminal) {}

    void message(std::string_view utf8) {
        const bool wasShown = shown_;
        setBusy(false);
        std::cerr << utf8 << '\n';
        setBusy(wasShown);
    }

    void setBusy(bool busy) {
        if (!terminal_ || busy == shown_) return;
        std::cerr << (busy ? std::string(kBusyText) : std::string("\r\033[K")) << std::flush;
        shown_ = busy;
    }

  private:
    bool terminal_;
    bool shown_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const CliOptions options = parseCliArguments(args);
    if (options.help) {
        std::cout << kCliUsage << '\n';
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "trademark-query: " << options.error << '\n' << kCliUsage << '\n';
        return 2;
    }

    ErrorReporter reporter(isatty(STDERR_FILENO) == 1);
    MemoryToolkit toolkit(options.classNumber - 1, utf8ToGbk(options.name));
    QueryRunner runner(toolkit, options.host.empty() ? Text(kServiceHost) : Text(options.host));
    toolkit.setMessageHook([&reporter](const Text& text) { reporter.message(gbkToUtf8(text)); });
    toolkit.setBusyHook([&reporter](bool busy) { reporter.setBusy(busy); });
    toolkit.setFocusHook([&runner] { runner.onResultFocusChanged(); });

    runner.runQuery();
    reporter.setBusy(false);

    std::vector<ResultRow> rows;
    for (const MemoryToolkit::Row& row : toolkit.rows()) {
        rows.push_back({gbkToUtf8(row[0]), gbkToUtf8(row[1]), gbkToUtf8(row[2]), gbkToUtf8(row[3])});
    }
    std::cout << (options.json ? formatJson(rows) : formatTsv(rows)) << std::flush;
    return rows.empty() ? 1 : 0;
}
