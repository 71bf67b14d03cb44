#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "demo/SampleData.h"

namespace {

std::vector<std::string> namesOf(const EntryRefs& refs) {
    std::vector<std::string> names;
    for (const TrademarkEntry& entry : refs) names.push_back(entry.name);
    return names;
}

TEST(SampleDataTest, ReadsEntriesEscapesCommentsAndCrLf) {
    const SampleSet set = readSampleSet(
        "# comment\n"
        "\n"
        "3\t100\tA\\tB\tLine one\\nline two\t2020-01-02\tok\r\n"
        "45\t200\tBack\\\\slash\tx\t\t\n");
    ASSERT_EQ(set.error, "");
    ASSERT_EQ(set.entries.size(), 2u);
    EXPECT_EQ(set.entries[0].classNumber, 3);
    EXPECT_EQ(set.entries[0].number, "100");
    EXPECT_EQ(set.entries[0].name, "A\tB");
    EXPECT_EQ(set.entries[0].applicant, "Line one\nline two");
    EXPECT_EQ(set.entries[0].status, "ok");
    EXPECT_EQ(set.entries[1].classNumber, 45);
    EXPECT_EQ(set.entries[1].name, "Back\\slash");
    EXPECT_EQ(set.entries[1].date, "");
}

TEST(SampleDataTest, SeriesAddsNumberedEntries) {
    const SampleSet set = readSampleSet("@series\t9\tZem\t12\t700\tSome applicant\n");
    ASSERT_EQ(set.error, "");
    ASSERT_EQ(set.entries.size(), 12u);
    EXPECT_EQ(set.entries.front().name, "Zem 0001");
    EXPECT_EQ(set.entries.front().number, "700");
    EXPECT_EQ(set.entries.back().name, "Zem 0012");
    EXPECT_EQ(set.entries.back().number, "711");
    EXPECT_EQ(set.entries.back().classNumber, 9);
    EXPECT_EQ(set.entries.back().applicant, "Some applicant");
}

TEST(SampleDataTest, FaultsNameTheirLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"0\t1\tA\tb\tc\td\n", "line 1: class outside 1..45"},
        {"46\t1\tA\tb\tc\td\n", "line 1: class outside 1..45"},
        {"x\t1\tA\tb\tc\td\n", "line 1: class outside 1..45"},
        {"#\n1\t\tA\tb\tc\td\n", "line 2: empty number or name"},
        {"1\t5\t\tb\tc\td\n", "line 1: empty number or name"},
        {"1\t5\tA\tb\n", "line 1: expected 6 TAB-separated columns"},
        {"1\t5\tA\tb\tc\td\te\n", "line 1: expected 6 TAB-separated columns"},
        {"@series\t1\tA\t0\t1\tx\n", "line 1: bad series count"},
        {"@series\t1\tA\t100001\t1\tx\n", "line 1: bad series count"},
        {"@series\t1\tA\t5\t-1\tx\n", "line 1: bad first number"},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text);
        const SampleSet set = readSampleSet(text);
        EXPECT_EQ(set.error, error);
    }
}

TEST(SampleDataTest, HitsAreNamesContainingTheQueryCaseIgnoredInClassAndDataOrder) {
    const SampleSet set = readSampleSet(
        "5\t1\tAlpha Beta\ta\t\t\n"
        "6\t2\tAlpha\ta\t\t\n"
        "5\t3\tbETA\ta\t\t\n"
        "5\t4\t星光ALPHA\ta\t\t\n"
        "5\t5\t星光\ta\t\t\n");
    ASSERT_EQ(set.error, "");
    using Names = std::vector<std::string>;
    EXPECT_EQ(namesOf(findHits(set.entries, 5, "alpha")), (Names{"Alpha Beta", "星光ALPHA"}));
    EXPECT_EQ(namesOf(findHits(set.entries, 5, "BeTa")), (Names{"Alpha Beta", "bETA"}));
    EXPECT_EQ(namesOf(findHits(set.entries, 5, "星光")), (Names{"星光ALPHA", "星光"}));
    EXPECT_EQ(namesOf(findHits(set.entries, 6, "alpha")), (Names{"Alpha"}));
    EXPECT_EQ(namesOf(findHits(set.entries, 7, "alpha")), Names{});
    EXPECT_EQ(findHits(set.entries, 5, "").size(), 4u);
    EXPECT_EQ(namesOf(findByNumber(set.entries, 5, "3")), (Names{"bETA"}));
    EXPECT_TRUE(findByNumber(set.entries, 6, "3").empty());
}

TEST(SampleDataTest, ClassNumbersAreOneToFortyFive) {
    EXPECT_EQ(parseClassNumber("1"), 1);
    EXPECT_EQ(parseClassNumber("45"), 45);
    for (const char* bad : {"", "0", "46", "-1", "+1", " 1", "1x", "001", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(parseClassNumber(bad), 0);
    }
}

// The bundled set is what measurements and manual runs rely on.
TEST(SampleDataTest, BundledSetCoversEveryClassAndTheAwkwardCases) {
    const SampleSet set = readSampleSet(bundledSampleText());
    ASSERT_EQ(set.error, "");
    std::set<int> classes;
    std::map<std::string, int> numbers;
    std::map<std::string, std::set<int>> classesOfName;
    bool chinese = false, spaces = false, percent = false, parenthesis = false, plus = false;
    std::size_t longestApplicant = 0;
    for (const TrademarkEntry& entry : set.entries) {
        classes.insert(entry.classNumber);
        ++numbers[entry.number];
        classesOfName[entry.name].insert(entry.classNumber);
        chinese = chinese || static_cast<unsigned char>(entry.name[0]) >= 0x80;
        spaces = spaces || entry.name.find(' ') != std::string::npos;
        percent = percent || entry.name.find('%') != std::string::npos;
        parenthesis = parenthesis || entry.name.find('(') != std::string::npos;
        plus = plus || entry.name.find('+') != std::string::npos;
        longestApplicant = std::max(longestApplicant, entry.applicant.size());
    }
    EXPECT_EQ(classes.size(), 45u);
    EXPECT_TRUE(chinese && spaces && percent && parenthesis && plus);
    EXPECT_GE(longestApplicant, 100u);
    EXPECT_TRUE(std::any_of(numbers.begin(), numbers.end(), [](const auto& n) { return n.second == 2; }));
    EXPECT_TRUE(
        std::any_of(classesOfName.begin(), classesOfName.end(), [](const auto& n) { return n.second.size() >= 3; }));
    EXPECT_EQ(findHits(set.entries, 42, "ventriqox").size(), 50u);
    EXPECT_EQ(findHits(set.entries, 35, "quorvelyn").size(), 2000u);
}

}  // namespace
