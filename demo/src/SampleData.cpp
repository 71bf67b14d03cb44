#include "demo/SampleData.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr int kColumnCount = 6;
constexpr long kMaxSeriesCount = 100000;

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

std::string unescapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size()) {
            const char next = field[i + 1];
            if (next == 't' || next == 'n' || next == '\\') {
                out += next == 't' ? '\t' : next == 'n' ? '\n' : '\\';
                ++i;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool parseWhole(std::string_view text, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsIgnoringCase(std::string_view text, std::string_view needle) {
    const auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                [](char a, char b) { return foldAscii(a) == foldAscii(b); });
    return it != text.end() || needle.empty();
}

std::string zeroPadded(long value, std::size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string lineError(int lineNumber, std::string_view what) {
    return "line " + std::to_string(lineNumber) + ": " + std::string(what);
}

// Adds the entries of one "@series" line; returns an error text or empty.
std::string addSeries(const std::vector<std::string_view>& fields, std::vector<TrademarkEntry>& entries) {
    long count = 0;
    long firstNumber = 0;
    const int classNumber = parseClassNumber(fields[1]);
    if (classNumber == 0) return "class outside 1..45";
    if (fields[2].empty()) return "empty series name";
    if (!parseWhole(fields[3], count) || count < 1 || count > kMaxSeriesCount) return "bad series count";
    if (!parseWhole(fields[4], firstNumber) || firstNumber < 0) return "bad first number";
    const std::string name = unescapeField(fields[2]);
    const std::string applicant = unescapeField(fields[5]);
    for (long i = 0; i < count; ++i) {
        // Dates and statuses cycle so that the rows differ beyond their number.
        const std::string date =
            "20" + zeroPadded(10 + i % 15, 2) + "-" + zeroPadded(1 + i % 12, 2) + "-" + zeroPadded(1 + i % 28, 2);
        entries.push_back({classNumber, std::to_string(firstNumber + i), name + " " + zeroPadded(i + 1, 4), applicant,
                           date, i % 3 == 0 ? "申请中" : "已注册"});
    }
    return {};
}

}  // namespace

int parseClassNumber(std::string_view text) {
    long value = 0;
    if (text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        !parseWhole(text, value) || value < 1 || value > 45)
        return 0;
    return static_cast<int>(value);
}

SampleSet readSampleSet(std::string_view text) {
    SampleSet set;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;

        const auto fields = splitFields(line);
        if (fields.size() != kColumnCount) {
            set.error = lineError(lineNumber, "expected " + std::to_string(kColumnCount) + " TAB-separated columns");
            return set;
        }
        if (fields[0] == "@series") {
            if (std::string error = addSeries(fields, set.entries); !error.empty()) {
                set.error = lineError(lineNumber, error);
                return set;
            }
            continue;
        }
        TrademarkEntry entry{parseClassNumber(fields[0]), unescapeField(fields[1]), unescapeField(fields[2]),
                             unescapeField(fields[3]),    unescapeField(fields[4]), unescapeField(fields[5])};
        if (entry.classNumber == 0) {
            set.error = lineError(lineNumber, "class outside 1..45");
            return set;
        }
        if (entry.number.empty() || entry.name.empty()) {
            set.error = lineError(lineNumber, "empty number or name");
            return set;
        }
        set.entries.push_back(std::move(entry));
    }
    return set;
}

EntryRefs findHits(const std::vector<TrademarkEntry>& entries, int classNumber, std::string_view query) {
    EntryRefs hits;
    for (const TrademarkEntry& entry : entries) {
        if (entry.classNumber == classNumber && containsIgnoringCase(entry.name, query)) hits.push_back(entry);
    }
    return hits;
}

EntryRefs findByNumber(const std::vector<TrademarkEntry>& entries, int classNumber, std::string_view number) {
    EntryRefs found;
    for (const TrademarkEntry& entry : entries) {
        if (entry.classNumber == classNumber && entry.number == number) found.push_back(entry);
    }
    return found;
}
