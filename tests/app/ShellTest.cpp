// The program's window wired to the query engine, against a loopback service:
// presses, runs, list actions, overlapping presses, closing and a dead host.

#include <gtest/gtest.h>

#include <QDate>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "FakeService.h"
#include "GuiTestSupport.h"
#include "app/ApplicationShell.h"
#include "app/QtText.h"
#include "http/CookieStore.h"
#include "http/Cookies.h"

namespace {

const QString kNoClassMessage = QString::fromUtf8("您选择查询类别");
const QString kNoHitsMessage = QString::fromUtf8("您输入的商标名称未有查询结果");

class ShellTest : public testing::Test {
  protected:
    void start(const std::string& host) {
        shell_ = std::make_unique<ApplicationShell>(host);
        shell_->window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&shell_->window()));
    }
    void SetUp() override { start(service_.host()); }
    void TearDown() override { shell_.reset(); }

    MainWindow& window() { return shell_->window(); }
    ResultList& list() { return window().resultList(); }
    int rowCount() { return list().model()->rowCount(); }

    // Picks the class at index and types the name, then presses the query button.
    void press(int classIndex, const QString& name) {
        window().classCombo().setCurrentIndex(classIndex);
        window().nameEdit().setText(name);
        QTest::mouseClick(&window().queryButton(), Qt::LeftButton);
    }
    bool waitUntilIdle() {
        return waitUntil([&] { return !shell_->runner().busy(); }, 20000);
    }

    QString cell(int row, int column) { return list().model()->index(row, column).data().toString(); }

    std::string detailUrl(const std::string& number, const std::string& type) {
        return "http://" + service_.host() + "/query/index.php?m=&c=base_query&a=brand_detail&num=" + number +
               "&type=" + type;
    }

    FakeService service_;
    std::unique_ptr<ApplicationShell> shell_;
};

TEST_F(ShellTest, OpensWithTheClassesTheDateAndNoIndicator) {
    EXPECT_EQ(window().classCombo().count(), 45);
    EXPECT_EQ(window().classCombo().currentIndex(), -1);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(window().statusPart(1)->text(),
              QString::fromUtf8("%1年%2月%3日").arg(today.year()).arg(today.month()).arg(today.day()));
    EXPECT_FALSE(window().busyLabel().isVisible());
    EXPECT_FALSE(window().busyProgress().isVisible());
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(window().nameEdit().text(), "Halvoran");
    EXPECT_FALSE(shell_->runner().busy());
}

TEST_F(ShellTest, PressWithoutAClassEmptiesTheListAndAsksForOne) {
    list().rows().appendRow();
    MessageBoxCatcher catcher;
    QTest::mouseClick(&window().queryButton(), Qt::LeftButton);
    ASSERT_EQ(catcher.messages().size(), 1u);
    EXPECT_EQ(catcher.messages()[0].text, kNoClassMessage);
    EXPECT_EQ(catcher.messages()[0].caption, QString::fromUtf8("信息："));
    EXPECT_EQ(catcher.messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(rowCount(), 0);
    EXPECT_FALSE(shell_->runner().busy());
    EXPECT_EQ(service_.searchCount(), 0);
}

TEST_F(ShellTest, QueryFillsTheListAndHidesTheIndicatorAtTheFirstRow) {
    service_.setHits(3);
    MessageBoxCatcher catcher;
    std::vector<bool> indicatorAtFirstInsert;
    std::vector<bool> indicatorAtFirstNumber;
    QObject::connect(list().model(), &QAbstractItemModel::rowsInserted, &window(), [&] {
        if (indicatorAtFirstInsert.empty()) {
            indicatorAtFirstInsert.push_back(window().busyLabel().isVisible() && window().busyProgress().isVisible());
        }
    });
    QObject::connect(list().model(), &QAbstractItemModel::dataChanged, &window(), [&](const QModelIndex& changed) {
        if (changed.row() == 0 && changed.column() == 0 && indicatorAtFirstNumber.empty()) {
            indicatorAtFirstNumber.push_back(window().busyLabel().isVisible() || window().busyProgress().isVisible());
        }
    });

    press(4, QString::fromUtf8("商标"));
    ASSERT_TRUE(waitUntilIdle());

    ASSERT_EQ(rowCount(), 3);
    const auto expected = FakeService::hitRows(3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(cell(row, 0), QString::fromStdString(expected[row][0]));
        EXPECT_EQ(cell(row, 1), QString::fromStdString(expected[row][1]));
        EXPECT_EQ(cell(row, 2), QString::fromStdString(expected[row][2]));
        EXPECT_EQ(cell(row, 3), "5");
    }
    ASSERT_EQ(indicatorAtFirstInsert.size(), 1u);
    EXPECT_TRUE(indicatorAtFirstInsert[0]) << "the indicator shows while the request runs";
    ASSERT_EQ(indicatorAtFirstNumber.size(), 1u);
    EXPECT_FALSE(indicatorAtFirstNumber[0]) << "the first row's focus change hides it";
    EXPECT_FALSE(window().busyLabel().isVisible());
    EXPECT_FALSE(window().busyProgress().isVisible());
    EXPECT_EQ(window().busyProgress().value(), 100);
    EXPECT_TRUE(catcher.messages().empty());

    const auto requests = service_.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, "brand_name=%E5%95%86%E6%A0%87&type=5");
    EXPECT_EQ(requests[0].target, "/query/index.php?m=&c=base_query&a=base_query");
    EXPECT_EQ(gClassNumberValue(), "5");
}

TEST_F(ShellTest, QueryWithoutHitsSaysSoAndHidesTheIndicator) {
    service_.setHits(0);
    MessageBoxCatcher catcher;
    press(44, "nothing");
    ASSERT_TRUE(waitUntil([&] { return !catcher.messages().empty(); }, 20000));
    EXPECT_EQ(catcher.texts(), QStringList{kNoHitsMessage});
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_FALSE(catcher.messages()[0].modal);
    EXPECT_EQ(rowCount(), 0);
    EXPECT_FALSE(window().busyLabel().isVisible());
    EXPECT_FALSE(window().busyProgress().isVisible());
    ASSERT_EQ(service_.searchCount(), 1);
    EXPECT_EQ(service_.requests()[0].type, "45");
}

TEST_F(ShellTest, ClickOnARowShowsItsDetailPageWithTheSharedCookies) {
    const Text cookieHost = hostOfUrl("http://" + service_.host() + "/", true);
    ASSERT_TRUE(storeCookie(cookieHost, "sid", "from-store"));
    service_.setDetailCookie("seen=yes; Path=/");
    service_.setHits(3);
    press(0, "a");
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(rowCount(), 3);

    QSignalSpy loaded(&window().detailBrowser(), &QWebEngineView::loadFinished);
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, list().visualRect(list().model()->index(1, 1)).center());
    const std::string expected = detailUrl("3000002", "1");
    EXPECT_EQ(window().detailBrowser().url().toEncoded().toStdString(), expected);
    ASSERT_TRUE(waitUntil([&] { return !loaded.isEmpty(); }, 30000));
    EXPECT_TRUE(loaded.first().first().toBool());

    const auto requests = service_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ("http://" + service_.host() + requests[1].target, expected);
    EXPECT_NE(requests[1].cookie.find("sid=from-store"), std::string::npos) << requests[1].cookie;
    // The cookie the page set goes back into the store, and goes from it when a page deletes it.
    const auto stored = [&](const Text& name) {
        for (const StoredCookie& cookie : storedCookies(cookieHost)) {
            if (cookie.name == name) {
                return cookie.value;
            }
        }
        return Text("(none)");
    };
    EXPECT_TRUE(waitUntil([&] { return stored("seen") == "yes"; }, 10000));

    service_.setDetailCookie("seen=; Max-Age=0; Path=/");
    loaded.clear();
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, list().visualRect(list().model()->index(0, 1)).center());
    ASSERT_TRUE(waitUntil([&] { return !loaded.isEmpty(); }, 30000));
    EXPECT_TRUE(waitUntil([&] { return stored("seen") == "(none)"; }, 10000));
    EXPECT_EQ(stored("sid"), "from-store");
}

TEST_F(ShellTest, RightButtonReleaseOpensTheDetailPageOnTheDesktop) {
    UrlRecorder desktop;
    service_.setHits(2);
    press(9, "b");
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(rowCount(), 2);
    const QUrl browserBefore = window().detailBrowser().url();

    const QPoint row0 = list().visualRect(list().model()->index(0, 2)).center();
    QTest::mousePress(list().viewport(), Qt::RightButton, {}, row0);
    QTest::mouseRelease(list().viewport(), Qt::RightButton, {}, row0);
    ASSERT_EQ(desktop.urls().size(), 1u);
    EXPECT_EQ(desktop.urls()[0].toEncoded().toStdString(), detailUrl("3000001", "10"));
    EXPECT_EQ(window().detailBrowser().url(), browserBefore);
}

TEST_F(ShellTest, SecondPressSupersedesTheRunningQuery) {
    MessageBoxCatcher catcher;
    service_.setHits(2);
    service_.holdName("first");
    press(2, "first");
    ASSERT_TRUE(waitUntil([&] { return service_.heldCount() == 1; }, 20000));

    press(6, "second");
    ASSERT_TRUE(waitUntilIdle());
    service_.release();
    ASSERT_TRUE(waitUntil([&] { return service_.heldCount() == 0; }, 20000));
    EXPECT_FALSE(shell_->runner().busy());

    ASSERT_EQ(rowCount(), 2) << "only the second run wrote rows";
    EXPECT_EQ(cell(0, 3), "7");
    EXPECT_EQ(cell(1, 3), "7");
    EXPECT_EQ(gClassNumberValue(), "7");
    EXPECT_TRUE(catcher.messages().empty());
    EXPECT_FALSE(window().busyLabel().isVisible());
}

TEST_F(ShellTest, ClosingDuringARunCancelsItWithoutWaitingForTheReply) {
    service_.holdName("slow");
    press(0, "slow");
    ASSERT_TRUE(waitUntil([&] { return service_.heldCount() == 1; }, 20000));
    window().close();
    EXPECT_FALSE(shell_->runner().busy()) << "closing waits for the cancelled worker";
    EXPECT_EQ(service_.heldCount(), 1) << "the reply was not waited for";
    EXPECT_EQ(rowCount(), 0);
    shell_.reset();
}

TEST_F(ShellTest, ClosingDuringTheBusyAnimationEndsTheRun) {
    press(0, "x");
    ASSERT_TRUE(waitUntil([&] { return window().busyProgress().isVisible(); }, 20000));
    window().close();
    EXPECT_FALSE(shell_->runner().busy());
    shell_.reset();
}

TEST_F(ShellTest, DeadHostEndsInTheNoHitsMessage) {
    std::string deadHost;
    {
        const FakeService gone;
        deadHost = gone.host();
    }
    shell_.reset();
    start(deadHost);
    MessageBoxCatcher catcher;
    press(1, "x");
    ASSERT_TRUE(waitUntil([&] { return !catcher.messages().empty(); }, 30000));
    EXPECT_EQ(catcher.texts(), QStringList{kNoHitsMessage});
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(rowCount(), 0);
    EXPECT_FALSE(window().busyLabel().isVisible());
    EXPECT_FALSE(window().busyProgress().isVisible());
}

}  // namespace
