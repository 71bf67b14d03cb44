// One anchored search over a result table: plain (converting and scanning the
// whole table) against an indexed subject converted once.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "regex/RegexMatcher.h"
#include "regex/RegexSubject.h"

namespace {

constexpr std::string_view kSuffix = "</td>\n\t                    <td>([\\s\\S]*?)</td>";

Text makeTable(int rows) {
    Text table;
    for (int i = 0; i < rows; ++i) {
        table += "<tr>\n                      \t<td>" + std::to_string(10000000 + i) +
                 "</td>\n\t                    <td>Name " + std::to_string(i) +
                 "</td>\n\t                    <td>Owner " + std::to_string(i) + "</td>\n</tr>\n";
    }
    return table;
}

std::u16string boundary() {
    const std::string_view literal = kSuffix.substr(0, kSuffix.find('('));
    return {literal.begin(), literal.end()};
}

void BM_AnchoredSearchPlain(benchmark::State& state) {
    const Text table = makeTable(static_cast<int>(state.range(0)));
    const Text pattern = "10000007" + Text(kSuffix);
    for (auto _ : state) {
        RegexMatcher matcher;
        benchmark::DoNotOptimize(matcher.compile(pattern, table, false, false, true, true));
    }
}

void BM_AnchoredSearchIndexed(benchmark::State& state) {
    const auto subject = std::make_shared<const RegexSubject>(makeTable(static_cast<int>(state.range(0))), boundary());
    int i = 0;
    for (auto _ : state) {
        RegexMatcher matcher;
        const Text pattern = std::to_string(10000000 + i++ % state.range(0)) + Text(kSuffix);
        benchmark::DoNotOptimize(matcher.compile(pattern, subject, false, false, true, true));
    }
}

BENCHMARK(BM_AnchoredSearchPlain)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnchoredSearchIndexed)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
