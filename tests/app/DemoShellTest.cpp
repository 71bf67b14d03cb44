// The program's window against the bundled demo service, end to end.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "GuiTestSupport.h"
#include "app/ApplicationShell.h"
#include "demo_fixture/DemoServiceProcess.h"

namespace {

TEST(DemoShell, FiftyHitsFillTheListAndARowOpensItsDetailPage) {
    const DemoServiceProcess service;
    ASSERT_NE(service.port(), 0) << service.startError();
    ApplicationShell shell(service.host());
    MainWindow& window = shell.window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The sample data holds 50 marks named "Ventriqox NNNN" in class 42.
    MessageBoxCatcher catcher;
    window.classCombo().setCurrentIndex(41);
    window.nameEdit().setText("ventriqox");
    QTest::mouseClick(&window.queryButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !shell.runner().busy(); }, 30000));

    const QAbstractItemModel& rows = *window.resultList().model();
    ASSERT_EQ(rows.rowCount(), 50);
    for (int row = 0; row < 50; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(rows.index(row, 1).data().toString(), QStringLiteral("Ventriqox %1").arg(row + 1, 4, 10, QChar('0')));
        EXPECT_FALSE(rows.index(row, 0).data().toString().isEmpty());
        EXPECT_FALSE(rows.index(row, 2).data().toString().isEmpty());
        EXPECT_EQ(rows.index(row, 3).data().toString(), "42");
    }
    EXPECT_TRUE(catcher.messages().empty());
    EXPECT_FALSE(window.busyLabel().isVisible());

    QSignalSpy loaded(&window.detailBrowser(), &QWebEngineView::loadFinished);
    ResultList& list = window.resultList();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(rows.index(2, 0)).center());
    const QString number = rows.index(2, 0).data().toString();
    EXPECT_EQ(
        window.detailBrowser().url().toString(),
        QString::fromStdString("http://" + service.host() + "/query/index.php?m=&c=base_query&a=brand_detail&num=") +
            number + "&type=42");
    ASSERT_TRUE(waitUntil([&] { return !loaded.isEmpty(); }, 30000));
    EXPECT_TRUE(loaded.first().first().toBool());
}

}  // namespace
