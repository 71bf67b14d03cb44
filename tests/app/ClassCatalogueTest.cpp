#include <gtest/gtest.h>

#include <QDate>
#include <map>
#include <vector>

#include "app/ClassCatalogue.h"
#include "text/CodePage.h"
#include "toolkit_fixture/RecordingToolkit.h"

namespace {

TEST(ClassCatalogue, HoldsTheFortyFiveLabelsByteForByte) {
    const auto& labels = classCatalogue();
    ASSERT_EQ(labels.size(), 45u);
    // GBK bytes spelled out, independent of the conversion that builds the table.
    EXPECT_EQ(labels[0], " 1\xC0\xE0 \xBB\xAF\xB9\xA4\xD4\xAD\xC1\xCF\xB7\xCA\xC1\xCF");
    EXPECT_EQ(labels[24], " 25\xC0\xE0 \xD7\xB0\xD0\xAC\xC3\xB1\xCE\xA7\xBD\xED ");
    EXPECT_EQ(labels[44], " 45\xC0\xE0 \xB7\xA8\xC2\xC9\xD7\xC9\xD1\xAF\xB7\xFE\xCE\xF1 ");
    EXPECT_EQ(labels[8], utf8ToGbk(" 9类 电子产品电池 "));
    EXPECT_EQ(labels[31], utf8ToGbk(" 32类 啤酒矿泉水饮 "));

    for (int i = 0; i < 45; ++i) {
        SCOPED_TRACE(i);
        const Text& label = labels[i];
        const std::size_t expectedBytes = i == 0 || i == 24 ? 17 : i < 9 ? 18 : 19;
        EXPECT_EQ(label.size(), expectedBytes);
        EXPECT_EQ(label.front(), ' ');
        EXPECT_EQ(label.back() == ' ', i != 0) << "only the first label lacks the trailing space";
        // The label names its class, i + 1, followed by the GBK of 类.
        EXPECT_EQ(label.rfind(" " + std::to_string(i + 1) + "\xC0\xE0 ", 0), 0u);
    }
}

TEST(DateText, WritesTheDateWithoutLeadingZeros) {
    EXPECT_EQ(dateText(2017, 1, 5),
              "2017\xC4\xEA"
              "1\xD4\xC2"
              "5\xC8\xD5");
    EXPECT_EQ(dateText(2026, 12, 31), utf8ToGbk("2026年12月31日"));
    EXPECT_EQ(dateText(2020, 10, 9), utf8ToGbk("2020年10月9日"));
}

TEST(OnMainWindowCreated, FillsTheClassBoxInOrderAndWritesTodaysDate) {
    RecordingToolkit toolkit;
    const QDate before = QDate::currentDate();
    onMainWindowCreated(toolkit);
    const QDate after = QDate::currentDate();

    const std::vector<Text> items = toolkit.classItems();
    ASSERT_EQ(items.size(), 45u);
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(items[i], classCatalogue()[i]) << i;
    }
    EXPECT_EQ(toolkit.selectedClassIndex(), -1);
    const std::map<int, Text> status = toolkit.statusTexts();
    ASSERT_EQ(status.size(), 1u);
    ASSERT_EQ(status.count(1), 1u);
    const Text& written = status.at(1);
    EXPECT_TRUE(written == dateText(before.year(), before.month(), before.day()) ||
                written == dateText(after.year(), after.month(), after.day()));
}

}  // namespace
