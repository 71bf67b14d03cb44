// The toolkit operations on the real window: each contract, the calls from a
// worker thread, cancellation, message boxes and the list's mouse events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "app/QtText.h"
#include "app/QtToolkit.h"
#include "text/Cancel.h"
#include "text/CodePage.h"

namespace {

class QtToolkitTest : public WindowTest {
  protected:
    ResultList& list() { return window_->resultList(); }
    int rowCount() { return list().model()->rowCount(); }

    void addRows(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = toolkit_->appendRow();
            toolkit_->setCell(row, 0, "N" + std::to_string(row));
        }
    }
};

TEST_F(QtToolkitTest, RowsAndCellsKeepTheirBytes) {
    EXPECT_EQ(toolkit_->appendRow(), 0);
    EXPECT_EQ(toolkit_->appendRow(), 1);
    EXPECT_EQ(toolkit_->appendRow(), 2);
    // GBK text, a lone lead byte and pattern syntax all read back as written.
    const Text cells[] = {"\xC9\xCC\xB1\xEA", "ab\x81", "(.*|#\\"};
    toolkit_->setCell(0, 1, cells[0]);
    toolkit_->setCell(1, 3, cells[1]);
    toolkit_->setCell(2, 0, cells[2]);
    EXPECT_EQ(toolkit_->cellText(0, 1), cells[0]);
    EXPECT_EQ(toolkit_->cellText(1, 3), cells[1]);
    EXPECT_EQ(toolkit_->cellText(2, 0), cells[2]);
    EXPECT_EQ(list().model()->index(0, 1).data().toString(), QString::fromUtf8("商标"));

    // Missing rows, columns and empty cells read as empty; writes there change nothing.
    EXPECT_EQ(toolkit_->cellText(-1, 0), "");
    EXPECT_EQ(toolkit_->cellText(3, 0), "");
    EXPECT_EQ(toolkit_->cellText(0, 4), "");
    EXPECT_EQ(toolkit_->cellText(0, 0), "");
    toolkit_->setCell(3, 0, "x");
    toolkit_->setCell(-1, 0, "x");
    EXPECT_EQ(rowCount(), 3);

    toolkit_->deleteRow(0);
    EXPECT_EQ(rowCount(), 2);
    EXPECT_EQ(toolkit_->cellText(0, 3), cells[1]) << "later rows move up";
    toolkit_->deleteRow(5);
    toolkit_->deleteRow(-1);
    EXPECT_EQ(rowCount(), 2);
    toolkit_->clearRows();
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(toolkit_->appendRow(), 0);
}

TEST_F(QtToolkitTest, CurrentRowWriteRaisesTheFocusChangeOnlyForANewRow) {
    addRows(3);
    QSignalSpy focused(&list(), &ResultList::rowFocused);
    EXPECT_EQ(toolkit_->currentRow(), -1);

    toolkit_->setCurrentRow(1);
    EXPECT_EQ(toolkit_->currentRow(), 1);
    EXPECT_EQ(focused.count(), 1);
    EXPECT_TRUE(list().selectionModel()->isRowSelected(1, {}));

    toolkit_->setCurrentRow(1);
    EXPECT_EQ(focused.count(), 1) << "the row was already focused";

    toolkit_->setCurrentRow(3);
    toolkit_->setCurrentRow(-2);
    EXPECT_EQ(toolkit_->currentRow(), 1) << "a missing row changes nothing";
    EXPECT_EQ(focused.count(), 1);

    toolkit_->setCurrentRow(2);
    EXPECT_EQ(toolkit_->currentRow(), 2);
    EXPECT_EQ(focused.count(), 2);
    EXPECT_EQ(list().selectionModel()->selectedRows().size(), 1);

    toolkit_->setCurrentRow(-1);
    EXPECT_EQ(toolkit_->currentRow(), -1);
    EXPECT_TRUE(list().selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(focused.count(), 2);

    toolkit_->setCurrentRow(2);
    EXPECT_EQ(focused.count(), 3) << "after deselecting, the row newly becomes current";
}

TEST_F(QtToolkitTest, ProgressPositionStoresWhatTheBarCannotShow) {
    struct Case {
        int written;
        int stored;
        int shown;
    };
    const Case cases[] = {{42, 42, 42},    {1300, 1300, 100}, {0, 0, 0},           {-3, 0, 0},
                          {100, 100, 100}, {101, 101, 100},   {40000, 32767, 100}, {7, 7, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        toolkit_->setProgressPosition(c.written);
        EXPECT_EQ(toolkit_->progressPosition(), c.stored);
        EXPECT_EQ(window_->busyProgress().value(), c.shown);
    }
}

TEST_F(QtToolkitTest, ClassItemsStatusPartsNameAndVisibility) {
    toolkit_->addClassItem("\xC9\xCC");
    toolkit_->addClassItem("b");
    EXPECT_EQ(toolkit_->selectedClassIndex(), -1) << "appending selects nothing";
    window_->classCombo().setCurrentIndex(1);
    toolkit_->addClassItem("c");
    EXPECT_EQ(toolkit_->selectedClassIndex(), 1);
    EXPECT_EQ(window_->classCombo().itemText(0), QString::fromUtf8("商"));

    toolkit_->setStatusText(1, "\xC9\xCC");
    toolkit_->setStatusText(3, "ignored");
    toolkit_->setStatusText(-1, "ignored");
    EXPECT_EQ(window_->statusPart(1)->text(), QString::fromUtf8("商"));

    window_->nameEdit().setText(QString::fromUtf8("商标 ab"));
    EXPECT_EQ(toolkit_->nameText(), "\xC9\xCC\xB1\xEA ab");

    toolkit_->setVisible(Control::busyLabel, true);
    EXPECT_TRUE(window_->busyLabel().isVisible());
    EXPECT_FALSE(window_->busyProgress().isVisible());
    toolkit_->setVisible(Control::busyProgress, true);
    EXPECT_TRUE(window_->busyProgress().isVisible());
    toolkit_->setVisible(Control::busyLabel, false);
    EXPECT_FALSE(window_->busyLabel().isVisible());
}

TEST_F(QtToolkitTest, WorkerCallsAreCarriedOutByTheUiThread) {
    QThread* uiThread = QThread::currentThread();
    std::vector<QThread*> insertingThreads;
    QObject::connect(list().model(), &QAbstractItemModel::rowsInserted, &list(),
                     [&] { insertingThreads.push_back(QThread::currentThread()); });
    QSignalSpy focused(&list(), &ResultList::rowFocused);
    window_->classCombo().addItem("x");
    window_->classCombo().setCurrentIndex(0);
    window_->nameEdit().setText("abc");

    std::atomic<bool> done{false};
    Text readBack;
    Text name;
    int selected = -2;
    int current = -2;
    int row = -2;
    std::thread worker([&] {
        row = toolkit_->appendRow();
        toolkit_->setCell(row, 2, "\xC9\xCC");
        toolkit_->setCurrentRow(row);
        readBack = toolkit_->cellText(row, 2);
        current = toolkit_->currentRow();
        selected = toolkit_->selectedClassIndex();
        name = toolkit_->nameText();
        toolkit_->setProgressPosition(1300);
        toolkit_->setVisible(Control::busyLabel, true);
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }, 10000));
    worker.join();

    EXPECT_EQ(row, 0);
    EXPECT_EQ(readBack, "\xC9\xCC");
    EXPECT_EQ(current, 0);
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(name, "abc");
    EXPECT_EQ(focused.count(), 1);
    EXPECT_EQ(window_->busyProgress().value(), 100);
    EXPECT_TRUE(window_->busyLabel().isVisible());
    ASSERT_EQ(insertingThreads.size(), 1u);
    EXPECT_EQ(insertingThreads[0], uiThread);
}

TEST_F(QtToolkitTest, ALongBurstOfWorkerCallsKeepsItsOrderAndLeavesTheEventLoopRunning) {
    // Far more calls than the UI thread handles in one go: each must land, in order,
    // and the UI thread's own timers must still fire while the burst lasts.
    constexpr int kRows = 3000;
    std::atomic<bool> done{false};
    int timerTicksDuringBurst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!done.load()) {
            ++timerTicksDuringBurst;
        }
    });
    tick.start(1);
    std::thread worker([&] {
        addRows(kRows);
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }, 60000));
    worker.join();

    ASSERT_EQ(rowCount(), kRows);
    for (const int row : {0, 1, kRows / 2, kRows - 1}) {
        EXPECT_EQ(toolkit_->cellText(row, 0), "N" + std::to_string(row));
    }
    EXPECT_GT(timerTicksDuringBurst, 0);
}

TEST_F(QtToolkitTest, CancelledWorkerStopsWaitingAndItsQueuedCallNeverRuns) {
    CancelToken token;
    std::atomic<bool> waiting{false};
    int row = -2;
    std::thread worker([&] {
        const CancelScope scope(token);
        waiting = true;
        // The UI thread is busy (not handling events), so this call has to wait.
        row = toolkit_->appendRow();
    });
    while (!waiting.load()) {
        std::this_thread::yield();
    }
    token.cancel();
    worker.join();  // returns without the UI thread ever handling the call
    EXPECT_EQ(row, -1);

    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(rowCount(), 0) << "the call queued before the cancellation did nothing";

    // Calls of a cancelled run return at once without being queued.
    std::thread late([&] {
        const CancelScope scope(token);
        toolkit_->setCell(0, 0, "x");
        row = toolkit_->appendRow();
    });
    late.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(row, -1);
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(QtToolkitTest, WorkerMessageBoxIsNonModalAndBlocksOnlyTheWorker) {
    MessageBoxCatcher catcher(false);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        toolkit_->showMessage("\xC4\xFA");  // 您
        returned = true;
    });
    ASSERT_TRUE(waitUntil([&] { return catcher.messages().size() == 1; }, 10000));
    const CaughtMessage& message = catcher.messages()[0];
    EXPECT_EQ(message.caption, QString::fromUtf8("信息："));
    EXPECT_EQ(message.text, QString::fromUtf8("您"));
    EXPECT_EQ(message.icon, QMessageBox::Critical);
    EXPECT_EQ(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_FALSE(message.modal);
    EXPECT_FALSE(message.owned);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The window goes on working while the worker waits.
    QTest::keyClicks(&window_->nameEdit(), "xy");
    EXPECT_TRUE(window_->nameEdit().text().endsWith("xy"));
    QTest::qWait(50);
    EXPECT_FALSE(returned.load());

    catcher.setClosing(true);
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }, 10000));
    worker.join();
    EXPECT_TRUE(waitUntil([] { return MessageBoxCatcher::openBoxes().empty(); }, 10000));
}

TEST_F(QtToolkitTest, CancellingAWorkerInItsMessageBoxClosesTheBox) {
    MessageBoxCatcher catcher(false);
    CancelToken token;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        const CancelScope scope(token);
        toolkit_->showMessage("x");
        returned = true;
    });
    ASSERT_TRUE(waitUntil([] { return MessageBoxCatcher::openBoxes().size() == 1; }, 10000));
    token.cancel();
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }, 10000));
    worker.join();
    EXPECT_TRUE(waitUntil([] { return MessageBoxCatcher::openBoxes().empty(); }, 10000));
}

TEST_F(QtToolkitTest, UiThreadMessageBoxIsModal) {
    MessageBoxCatcher catcher;
    toolkit_->showMessage("\xC4\xFA");
    ASSERT_EQ(catcher.messages().size(), 1u);
    EXPECT_TRUE(catcher.messages()[0].modal);
    EXPECT_EQ(catcher.messages()[0].caption, QString::fromUtf8("信息："));
    EXPECT_EQ(catcher.messages()[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(catcher.messages()[0].owned);
}

TEST_F(QtToolkitTest, ListRaisesClickFocusAndRightButtonEvents) {
    addRows(3);
    QSignalSpy clicked(&list(), &ResultList::listClicked);
    QSignalSpy focused(&list(), &ResultList::rowFocused);
    QSignalSpy rightUp(&list(), &ResultList::rightButtonReleased);
    QWidget* viewport = list().viewport();
    const QPoint row1 = list().visualRect(list().model()->index(1, 1)).center();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, row1);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(focused.count(), 1);
    EXPECT_EQ(toolkit_->currentRow(), 1);

    // A click on the empty area below the rows leaves no row current.
    const QPoint empty(50, viewport->height() - 5);
    ASSERT_FALSE(list().indexAt(empty).isValid());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, empty);
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(toolkit_->currentRow(), -1);

    const QPoint row2 = list().visualRect(list().model()->index(2, 0)).center();
    QTest::mousePress(viewport, Qt::RightButton, Qt::ShiftModifier, row2);
    EXPECT_EQ(rightUp.count(), 0);
    QTest::mouseRelease(viewport, Qt::RightButton, Qt::ShiftModifier, row2);
    ASSERT_EQ(rightUp.count(), 1);
    EXPECT_EQ(rightUp.at(0).at(0).toInt(), row2.x());
    EXPECT_EQ(rightUp.at(0).at(1).toInt(), row2.y());
    EXPECT_EQ(rightUp.at(0).at(2).toInt(), 1);
    EXPECT_EQ(toolkit_->currentRow(), 2);
    EXPECT_EQ(clicked.count(), 2) << "a right click is no click";
}

TEST_F(QtToolkitTest, UrlsReachTheBrowserViewAndTheDesktopByteForByte) {
    UrlRecorder desktop;
    const Text url = "http://127.0.0.1:1/query/index.php?m=&c=base_query&a=brand_detail&num=\xC9\xCC 7&type=3";
    const QByteArray encoded =
        "http://127.0.0.1:1/query/index.php?m=&c=base_query&a=brand_detail&num=%C9%CC%207&type=3";
    toolkit_->openUrlExternally(url);
    ASSERT_EQ(desktop.urls().size(), 1u);
    EXPECT_EQ(desktop.urls()[0].toEncoded(), encoded);

    toolkit_->navigateBrowser(url);
    EXPECT_EQ(window_->detailBrowser().url().toEncoded(), encoded);
}

TEST_F(QtToolkitTest, ProcessPendingEventsHandlesQueuedEventsOnTheUiThreadOnly) {
    bool ran = false;
    QMetaObject::invokeMethod(
        window_.get(), [&] { ran = true; }, Qt::QueuedConnection);
    std::thread([&] { QtToolkit::pumpPendingEvents(); }).join();
    EXPECT_FALSE(ran) << "a worker has no window events to handle";
    toolkit_->processPendingEvents();
    EXPECT_TRUE(ran);
}

}  // namespace
