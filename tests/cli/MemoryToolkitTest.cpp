#include <gtest/gtest.h>

#include <atomic>

#include "cli/MemoryToolkit.h"

namespace {

TEST(MemoryToolkitTest, RowsCellsAndTheFocusFollowTheListRules) {
    MemoryToolkit toolkit(4, "name");
    int focusEvents = 0;
    toolkit.setFocusHook([&] { ++focusEvents; });
    EXPECT_EQ(toolkit.selectedClassIndex(), 4);
    EXPECT_EQ(toolkit.nameText(), "name");

    EXPECT_EQ(toolkit.appendRow(), 0);
    toolkit.setCurrentRow(0);
    toolkit.setCurrentRow(0);  // already focused: no event
    toolkit.setCurrentRow(5);  // no such row: nothing
    EXPECT_EQ(focusEvents, 1);
    toolkit.setCell(0, 0, "100");
    toolkit.setCell(0, 4, "ignored");
    toolkit.setCell(3, 0, "ignored");

    // The parser's temporary row: appended, focused, written through n - 1, deleted.
    const int n = toolkit.appendRow();
    toolkit.setCurrentRow(n);
    toolkit.setCell(n - 1, 2, "applicant");
    toolkit.deleteRow(n);
    EXPECT_EQ(focusEvents, 2);
    EXPECT_EQ(toolkit.currentRow(), -1);
    ASSERT_EQ(toolkit.rows().size(), 1u);
    EXPECT_EQ(toolkit.rows()[0], (MemoryToolkit::Row{"100", "", "applicant", ""}));
    EXPECT_EQ(toolkit.cellText(0, 2), "applicant");
    EXPECT_EQ(toolkit.cellText(-1, 0), "");
    EXPECT_EQ(toolkit.cellText(0, 4), "");

    toolkit.appendRow();
    toolkit.appendRow();
    toolkit.setCurrentRow(2);
    toolkit.deleteRow(0);  // rows move up under the focus
    EXPECT_EQ(toolkit.currentRow(), 1);
    toolkit.deleteRow(7);
    EXPECT_EQ(toolkit.rows().size(), 2u);
    toolkit.clearRows();
    EXPECT_EQ(toolkit.rows().size(), 0u);
    EXPECT_EQ(toolkit.currentRow(), -1);
}

TEST(MemoryToolkitTest, BusyIndicatorProgressAndMessages) {
    MemoryToolkit toolkit(0, "");
    std::vector<bool> busyChanges;
    std::vector<Text> messages;
    toolkit.setBusyHook([&](bool busy) { busyChanges.push_back(busy); });
    toolkit.setMessageHook([&](const Text& text) { messages.push_back(text); });

    toolkit.setVisible(Control::busyLabel, true);
    toolkit.setVisible(Control::busyProgress, true);
    toolkit.setVisible(Control::busyProgress, false);
    toolkit.setVisible(Control::busyLabel, false);
    EXPECT_EQ(busyChanges, (std::vector<bool>{true, false}));
    EXPECT_FALSE(toolkit.busyVisible());

    toolkit.setProgressPosition(40000);
    EXPECT_EQ(toolkit.progressPosition(), 32767);
    toolkit.setProgressPosition(-3);
    EXPECT_EQ(toolkit.progressPosition(), 0);
    toolkit.setProgressPosition(1300);
    EXPECT_EQ(toolkit.progressPosition(), 1300);

    toolkit.showMessage("\xC4\xFA");
    EXPECT_EQ(messages, std::vector<Text>{"\xC4\xFA"});
}

TEST(MemoryToolkitTest, WorkersRunAndAreAwaited) {
    std::atomic<int> ran{0};
    {
        MemoryToolkit toolkit(0, "");
        toolkit.startWorker([&] { ++ran; });
        toolkit.startWorker([&] { ++ran; });
    }
    EXPECT_EQ(ran.load(), 2);
}

}  // namespace
