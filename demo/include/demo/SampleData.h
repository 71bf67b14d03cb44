#pragma once
// The sample trademarks the demo service answers from. All texts are UTF-8.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TrademarkEntry {
    int classNumber = 0;  // 1..45
    std::string number;
    std::string name;
    std::string applicant;
    std::string date;
    std::string status;
};

using EntryRefs = std::vector<std::reference_wrapper<const TrademarkEntry>>;

// Outcome of reading a sample set: the entries, or the first fault with its line.
struct SampleSet {
    std::vector<TrademarkEntry> entries;
    std::string error;  // empty when the text was read whole
};

// Reads the sample-set format: one entry per line, TAB-separated class, number,
// name, applicant, date and status; "\t", "\n" and "\\" in a field stand for a
// TAB, a line break and a backslash. Lines starting with "#" and blank lines are
// skipped. "@series CLASS NAME COUNT FIRST_NUMBER APPLICANT" (TAB-separated) adds
// COUNT entries named "NAME 0001", "NAME 0002", ... numbered from FIRST_NUMBER.
// A class outside 1..45, an empty number or name, a missing column or a series
// larger than 100000 is an error naming the line.
SampleSet readSampleSet(std::string_view text);

// The sample set bundled into the program (demo/data/sample.tsv).
std::string_view bundledSampleText();

// The entries of the class whose name contains query, ASCII letter case ignored,
// in data order. An empty query matches every entry of the class.
EntryRefs findHits(const std::vector<TrademarkEntry>& entries, int classNumber, std::string_view query);

// The entries with exactly this number in the class.
EntryRefs findByNumber(const std::vector<TrademarkEntry>& entries, int classNumber, std::string_view number);

// The class number a decimal text names, or 0 when it is not one of 1..45.
int parseClassNumber(std::string_view text);
