#pragma once
// The query run: from a press of the query button to a filled result list.

#include <memory>
#include <string_view>

#include "text/Text.h"
#include "toolkit/Toolkit.h"

// The four texts the query engine shares. Readers on any thread see the old or
// the new value of a global, never a torn one.
Text gClassNumberValue();
Text gResultHtmlValue();
Text gRowNumberValue();
Text gRowNameValue();
// Frees the four globals in the order gClassNumber, gResultHtml, gRowNumber, gRowName.
void releaseGlobals();

// "您选择查询类别": shown when the query button is pressed without a class.
inline constexpr std::string_view kNoClassMessage = "\xc4\xfa\xd1\xa1\xd4\xf1\xb2\xe9\xd1\xaf\xc0\xe0\xb1\xf0";
// The markers around the result table in the search page.
inline constexpr std::string_view kTableLeftMarker = "no_border\">";
inline constexpr std::string_view kTableRightMarker = "<div class=\"holder\"></div>";
// Passes of the busy animation, and the bar position it leaves standing.
inline constexpr int kBusyLoopBound = 1300;

// Shows busyLabel and busyProgress and runs the busy animation: each pass adds
// its number to the stored position and resets it to 0 unless it reads back
// 1300, so the stored position ends at 1300 whatever it was. A cancelled run
// stops early.
void showBusyIndicator(Toolkit& toolkit);

// "http://" + host + the search path.
Text searchEndpoint(const Text& host);

// "http://" + host + the detail path + number + "&type=" + classNumber, the
// pieces inserted as they are.
Text detailUrl(const Text& host, const Text& number, const Text& classNumber);

// One query engine per window. Runs one query at a time: a new press supersedes
// the running query, which is cancelled and neither writes a global nor touches
// the list again.
class QueryRunner {
  public:
    // host is "name[:port]" of the trademark service.
    QueryRunner(Toolkit& toolkit, Text host);
    ~QueryRunner();  // cancels and waits, as shutdown() does
    QueryRunner(const QueryRunner&) = delete;
    QueryRunner& operator=(const QueryRunner&) = delete;

    // Handlers, on the UI thread.
    void onQueryButtonClicked();
    void onResultFocusChanged();
    // List actions: the detail URL of the current row, shown in the browser view
    // or handed to the desktop. The pointer position and modifiers are ignored.
    void onResultClicked();
    void onResultRightButtonUp(int x, int y, int modifiers);

    // Runs one query on the calling thread, as the worker does (the command-line
    // front end calls this directly).
    void runQuery();

    // Cancels the running query, if any, and waits until its worker has ended.
    void shutdown();

    // True while a worker is running.
    bool busy() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};
