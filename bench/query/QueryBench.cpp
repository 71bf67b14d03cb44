// Parsing result tables of growing size through the recording toolkit. The
// time per row should stay flat: each row's anchored searches look only where
// the anchor can end before a cell boundary.

#include <benchmark/benchmark.h>

#include <string>

#include "query/ResultParser.h"
#include "text/CodePage.h"
#include "toolkit_fixture/RecordingToolkit.h"

namespace {

// A table in the service's layout: numbers, Chinese and Latin names, applicants.
Text makeTable(int rows) {
    const Text chinese = utf8ToGbk("商标");
    const Text company = utf8ToGbk("有限公司");
    Text table;
    for (int i = 0; i < rows; ++i) {
        const std::string n = std::to_string(10000000 + i * 7);
        const std::string name = (i % 2 ? chinese : std::string("Brand ")) + std::to_string(i);
        const std::string applicant = "Owner " + std::to_string(i % 97) + company;
        table += "<tr>\n                      \t<td>" + n + "</td>\n\t                    <td>" + name +
                 "</td>\n\t                    <td>" + applicant + "</td>\n\t                    <td>2020-01-0" +
                 std::to_string(i % 9 + 1) + "</td>\n</tr>\n";
    }
    return table;
}

void parseTable(benchmark::State& state, TableSearch search) {
    const int rows = static_cast<int>(state.range(0));
    const Text table = makeTable(rows);
    for (auto _ : state) {
        RecordingToolkit toolkit;
        benchmark::DoNotOptimize(parseResultRows(toolkit, table, search));
    }
    state.counters["per_row"] = benchmark::Counter(
        static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ParseResultRows(benchmark::State& state) { parseTable(state, TableSearch::indexed); }
void BM_ParseResultRowsPlain(benchmark::State& state) { parseTable(state, TableSearch::plain); }

BENCHMARK(BM_ParseResultRows)->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseResultRowsPlain)->Arg(50)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
