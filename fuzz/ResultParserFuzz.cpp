// The three-stage result-table parser over an arbitrary table, driving the
// recording toolkit: no crash, every message is one of the parser's three, one
// row per stage-1 match, and the indexed search fills the list exactly as the
// plain search does.
//
// Input: the table, read as a stored text would be.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "query/QueryRun.h"
#include "query/ResultParser.h"
#include "regex/RegexMatcher.h"
#include "support/FuzzInput.h"
#include "toolkit_fixture/RecordingToolkit.h"

namespace {

bool isParserMessage(const Text& message) {
    return message == kRegexFailedMessage || message == kNoResultMessage || message == kMatchFailedMessage;
}

struct Parsed {
    int count;
    std::vector<RecordingToolkit::Row> rows;
    std::vector<Text> messages;
    std::vector<std::string> log;
};

Parsed parse(const Text& table, TableSearch search) {
    releaseGlobals();
    RecordingToolkit toolkit;
    const int count = parseResultRows(toolkit, table, search);
    return {count, toolkit.rows(), toolkit.messages(), toolkit.log()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Text table = fuzz::storedText(std::string_view(reinterpret_cast<const char*>(data), size));

    RegexMatcher stageOne;
    const bool compiled = stageOne.compile(rowPattern, table, false, false, true, true);
    fuzz::check(compiled, "the row pattern compiles over any table");
    const int rowsInTable = stageOne.matchCount();

    const Parsed indexed = parse(table, TableSearch::indexed);
    fuzz::check(indexed.count == rowsInTable, "parseResultRows counts the stage-1 matches");
    fuzz::check(static_cast<int>(indexed.rows.size()) == rowsInTable, "one list row per stage-1 match");
    fuzz::check(std::all_of(indexed.messages.begin(), indexed.messages.end(), isParserMessage),
                "every message is one of the parser's three");
    if (rowsInTable == 0) {
        fuzz::check(indexed.messages == std::vector<Text>{Text(kNoResultMessage)},
                    "no row shows the no-result message");
    }
    for (int row = 0; row < rowsInTable; ++row) {
        const RecordingToolkit::Row& cells = indexed.rows[static_cast<std::size_t>(row)];
        fuzz::check(cells.size() == RecordingToolkit::kColumns, "a list row has four cells");
        fuzz::check(cells[0] == stageOne.subMatchText(row + 1, 1), "column 0 holds the row's first cell");
        for (const Text& cell : cells) fuzz::check(!fuzz::hasZeroByte(cell), "a cell has no zero byte");
    }

    const Parsed plain = parse(table, TableSearch::plain);
    fuzz::check(plain.count == indexed.count && plain.rows == indexed.rows && plain.messages == indexed.messages,
                "the indexed search fills the list as the plain search does");
    fuzz::check(plain.log == indexed.log, "the indexed search drives the toolkit as the plain search does");
    return 0;
}
