// Throughput of the text operations on a 1 MiB page of mixed ASCII and GBK text,
// with glibc's iconv doing the two code-page conversions for comparison.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstddef>
#include <random>
#include <string>

#include "text/CodePage.h"
#include "text/Text.h"
#include "text/UrlCodec.h"

namespace {

constexpr std::size_t kPageSize = 1 << 20;
constexpr std::string_view kNeedle = "<td class=\"needle\">";

// Table rows in the layout of a result page: ASCII markup around GBK names
// (characters from the GB2312 rows), about half the bytes of each kind.
Text makePage() {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> lead(0xB0, 0xD6);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::uniform_int_distribution<int> nameLength(2, 12);
    const auto gbkName = [&] {
        Text name;
        for (int k = nameLength(random); k > 0; --k) {
            name.push_back(static_cast<char>(lead(random)));
            name.push_back(static_cast<char>(trail(random)));
        }
        return name;
    };
    Text page;
    for (int row = 0; page.size() < kPageSize - 1024; ++row) {
        page += "<tr><td>" + std::to_string(10000000 + row) + "</td><td>" + gbkName() + gbkName() + "</td><td>" +
                gbkName() + gbkName() + gbkName() + "</td><td>" + std::to_string(row % 45 + 1) + "</td></tr>\n";
    }
    page += kNeedle;
    page.resize(kPageSize, 'x');
    return page;
}

const Text& page() {
    static const Text text = makePage();
    return text;
}

void setThroughput(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void findTextNearTheEnd(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(findText(page(), kNeedle));
    setThroughput(state, page().size());
}

void findTextIgnoringCase(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(findText(page(), kNeedle, 0, true));
    setThroughput(state, page().size());
}

void replaceTextCells(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(replaceText(page(), "</td>", "|"));
    setThroughput(state, page().size());
}

void splitTextRows(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(splitText(page(), "<tr>"));
    setThroughput(state, page().size());
}

void urlDecodeUtf8Reply(benchmark::State& state) {
    // The reply as the service sends it: UTF-8 with an escape now and then.
    const Text reply = replaceText(gbkToUtf8(page()), "</td>", "</td>%0A");
    for (auto _ : state) benchmark::DoNotOptimize(urlDecode(reply, true));
    setThroughput(state, reply.size());
}

void urlEncodeUtf8(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(urlEncode(page(), false, true));
    setThroughput(state, page().size());
}

void gbkToUtf8Page(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(gbkToUtf8(page()));
    setThroughput(state, page().size());
}

void utf8ToGbkPage(benchmark::State& state) {
    const Text utf8 = gbkToUtf8(page());
    for (auto _ : state) benchmark::DoNotOptimize(utf8ToGbk(utf8));
    setThroughput(state, utf8.size());
}

// The same conversion by glibc's iconv, into a string sized as ours are.
std::string iconvConvert(iconv_t converter, const std::string& input, std::size_t capacity) {
    std::string output(capacity, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    iconv(converter, &in, &inLeft, &out, &outLeft);
    output.resize(output.size() - outLeft);
    return output;
}

void iconvGbkToUtf8Page(benchmark::State& state) {
    const iconv_t converter = iconv_open("UTF-8", "GBK");
    for (auto _ : state) benchmark::DoNotOptimize(iconvConvert(converter, page(), 3 * page().size()));
    iconv_close(converter);
    setThroughput(state, page().size());
}

void iconvUtf8ToGbkPage(benchmark::State& state) {
    const Text utf8 = gbkToUtf8(page());
    const iconv_t converter = iconv_open("GBK", "UTF-8");
    if (iconvConvert(converter, utf8, 2 * utf8.size()) != page()) state.SkipWithError("iconv disagrees");
    for (auto _ : state) benchmark::DoNotOptimize(iconvConvert(converter, utf8, 2 * utf8.size()));
    iconv_close(converter);
    setThroughput(state, utf8.size());
}

BENCHMARK(findTextNearTheEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(findTextIgnoringCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(replaceTextCells)->Unit(benchmark::kMicrosecond);
BENCHMARK(splitTextRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(urlDecodeUtf8Reply)->Unit(benchmark::kMicrosecond);
BENCHMARK(urlEncodeUtf8)->Unit(benchmark::kMicrosecond);
BENCHMARK(gbkToUtf8Page)->Unit(benchmark::kMicrosecond);
BENCHMARK(iconvGbkToUtf8Page)->Unit(benchmark::kMicrosecond);
BENCHMARK(utf8ToGbkPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(iconvUtf8ToGbkPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
