// The window as it opens: places, stacking, texts, looks, tab stops and the
// created handler's work.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <memory>

#include "GuiTestSupport.h"
#include "app/ClassCatalogue.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "app/QtToolkit.h"
#include "text/CodePage.h"

namespace {

class MainWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        onMainWindowCreated(*toolkit_);
    }

    QWidget* control(const char* name) const { return window_->findChild<QWidget*>(QString::fromLatin1(name)); }
};

// True when the widget at the window point is the control or lies inside it.
bool controlAt(QWidget& window, QPoint point, const QWidget* control) {
    for (const QWidget* widget = window.childAt(point); widget != nullptr; widget = widget->parentWidget()) {
        if (widget == control) {
            return true;
        }
    }
    return false;
}

TEST_F(MainWindowTest, IsAFixedCentredWindowWithoutMaximiseBox) {
    EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("Orvendi-Halvoran【专用版】"));
    EXPECT_EQ(window_->size(), QSize(928, 631));
    EXPECT_EQ(window_->minimumSize(), QSize(928, 631));
    EXPECT_EQ(window_->maximumSize(), QSize(928, 631));
    const Qt::WindowFlags flags = window_->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window_->pos(),
              QPoint(screen.x() + (screen.width() - 934) / 2, screen.y() + (screen.height() - 662) / 2));
}

TEST_F(MainWindowTest, BrowserViewLeavesTheWindowARasterSurface) {
    // Were the window an OpenGL surface, every repaint of a list row or of the busy
    // bar would recompose the whole window, which stalls the event loop where OpenGL
    // is rendered in software.
    ASSERT_NE(window_->windowHandle(), nullptr);
    EXPECT_EQ(window_->windowHandle()->surfaceType(), QSurface::RasterSurface);
}

struct Place {
    const char* name;
    const char* parent;
    QRect geometry;
    bool shown;
};

TEST_F(MainWindowTest, PlacesEveryControl) {
    const Place places[] = {
        {"busyProgress", "MainWindow", {192, 224, 368, 32}, false},
        {"busyLabel", "MainWindow", {288, 272, 216, 32}, false},
        {"resultList", "MainWindow", {0, 80, 928, 264}, true},
        {"detailBrowser", "MainWindow", {-27, 307, 1020, 304}, true},
        {"searchGroup", "MainWindow", {2, -3, 926, 88}, true},
        {"classCaption", "searchGroup", {400, 24, 72, 35}, true},
        {"nameCaption", "searchGroup", {24, 24, 72, 35}, true},
        {"queryButton", "searchGroup", {776, 24, 94, 35}, true},
        {"classCombo", "searchGroup", {480, 24, 254, 35}, true},
        {"nameEdit", "searchGroup", {112, 24, 270, 35}, true},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        QWidget* widget = control(place.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), place.parent);
        EXPECT_EQ(widget->geometry(), place.geometry);
        EXPECT_EQ(widget->isVisible(), place.shown);
        EXPECT_TRUE(widget->isEnabled());
    }

    // The status bar lies along the bottom edge across the whole client width.
    const QRect status = window_->statusBar().geometry();
    EXPECT_TRUE(window_->statusBar().isVisible());
    EXPECT_EQ(status.left(), 0);
    EXPECT_EQ(status.width(), 928);
    EXPECT_EQ(status.bottom() + 1, 631);
    EXPECT_GE(status.height(), 16);
    int left = 0;
    for (int part = 0; part < 3; ++part) {
        SCOPED_TRACE(part);
        const QLabel* label = window_->statusPart(part);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry().left(), left);
        left = MainWindow::kStatusPartEdges[part];
        EXPECT_EQ(label->geometry().right() + 1, left);
    }
    EXPECT_EQ(window_->statusPart(3), nullptr);
    EXPECT_EQ(window_->statusPart(-1), nullptr);
}

TEST_F(MainWindowTest, StacksTheControlsInTheirOrder) {
    window_->busyProgress().show();
    window_->busyLabel().show();
    // The list covers the top 37 pixels of the browser view.
    EXPECT_TRUE(controlAt(*window_, {100, 320}, &window_->resultList()));
    EXPECT_TRUE(controlAt(*window_, {100, 350}, &window_->detailBrowser()));
    // The busy indicator lies over the list.
    EXPECT_TRUE(controlAt(*window_, {300, 240}, &window_->busyProgress()));
    EXPECT_TRUE(controlAt(*window_, {300, 288}, &window_->busyLabel()));
    // The list lies over the lower edge of the search group, the status bar over the browser view.
    EXPECT_TRUE(controlAt(*window_, {10, 83}, &window_->resultList()));
    EXPECT_TRUE(controlAt(*window_, {100, 625}, &window_->statusBar()));
}

TEST_F(MainWindowTest, ShowsTheTextsAndLooks) {
    EXPECT_EQ(window_->nameEdit().text(), "Halvoran");
    EXPECT_EQ(window_->queryButton().text(), QString::fromUtf8("查询"));
    EXPECT_EQ(window_->busyLabel().text(), QString::fromUtf8("正在查询.....请稍后"));
    auto* classCaption = window_->findChild<QLabel*>("classCaption");
    auto* nameCaption = window_->findChild<QLabel*>("nameCaption");
    ASSERT_NE(classCaption, nullptr);
    ASSERT_NE(nameCaption, nullptr);
    EXPECT_EQ(classCaption->text(), QString::fromUtf8("类别选择》"));
    EXPECT_EQ(nameCaption->text(), QString::fromUtf8("商标查询》"));
    EXPECT_TRUE(window_->findChild<QGroupBox*>("searchGroup")->title().isEmpty());

    struct Look {
        QWidget* widget;
        int pixelHeight;
    };
    const Look looks[] = {{classCaption, 16},
                          {nameCaption, 16},
                          {&window_->queryButton(), 16},
                          {&window_->busyLabel(), 19},
                          {&window_->classCombo(), 19},
                          {&window_->nameEdit(), 19}};
    for (const Look& look : looks) {
        SCOPED_TRACE(look.widget->objectName().toStdString());
        EXPECT_TRUE(look.widget->font().bold());
        EXPECT_EQ(look.widget->font().pixelSize(), look.pixelHeight);
        EXPECT_TRUE(look.widget->font().families().contains(QString::fromUtf8("微软雅黑")));
    }
    for (const QLabel* label : {classCaption, nameCaption, &window_->busyLabel()}) {
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        EXPECT_FALSE(label->wordWrap());
        EXPECT_FALSE(label->autoFillBackground());
    }
    EXPECT_EQ(window_->classCombo().palette().color(QPalette::Text), QColor(0, 96, 192));
    EXPECT_EQ(window_->nameEdit().palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(window_->nameEdit().palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_FALSE(window_->classCombo().isEditable());

    const QProgressBar& bar = window_->busyProgress();
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 100);
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.orientation(), Qt::Horizontal);
    EXPECT_FALSE(bar.isTextVisible());

    EXPECT_EQ(window_->statusPart(0)->text(), QString::fromUtf8("Halvoran独家发布"));
    EXPECT_TRUE(window_->statusPart(2)->text().startsWith(QString::fromUtf8("商标查询及软件作者：")));
    EXPECT_FALSE(window_->statusBar().isSizeGripEnabled());
}

TEST_F(MainWindowTest, ListsInReportViewWithFourColumns) {
    const ResultList& list = window_->resultList();
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(list.showGrid());
    EXPECT_FALSE(list.isSortingEnabled());
    EXPECT_FALSE(list.verticalHeader()->isVisible());
    EXPECT_TRUE(list.horizontalHeader()->isVisible());
    EXPECT_TRUE(list.horizontalHeader()->sectionsClickable());

    const char* titles[] = {"商标号\t", "商标名称", "申请人", "商标类别"};
    const int widths[] = {120, 220, 220, 80};
    ASSERT_EQ(list.model()->columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(list.model()->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(titles[column]));
        EXPECT_EQ(list.columnWidth(column), widths[column]);
    }
    EXPECT_EQ(list.model()->rowCount(), 0);
    // The selection is drawn only while the list has the focus.
    EXPECT_EQ(list.palette().color(QPalette::Inactive, QPalette::Highlight),
              list.palette().color(QPalette::Inactive, QPalette::Base));
}

TEST_F(MainWindowTest, TabStopsAreTheListBrowserButtonComboAndEdit) {
    const char* tabStops[] = {"resultList", "detailBrowser", "queryButton", "classCombo", "nameEdit"};
    const char* others[] = {"busyProgress", "busyLabel", "statusBar", "searchGroup", "classCaption", "nameCaption"};
    for (const char* name : tabStops) {
        EXPECT_TRUE(control(name)->focusPolicy() & Qt::TabFocus) << name;
    }
    for (const char* name : others) {
        EXPECT_FALSE(control(name)->focusPolicy() & Qt::TabFocus) << name;
    }
    // Following the focus chain from the list meets the tab stops in their order.
    std::vector<QString> order;
    QWidget* widget = &window_->resultList();
    for (int step = 0; step < 200 && order.size() < 5; ++step, widget = widget->nextInFocusChain()) {
        for (const char* name : tabStops) {
            if (widget->objectName() == name &&
                std::find(order.begin(), order.end(), QString::fromLatin1(name)) == order.end()) {
                order.push_back(QString::fromLatin1(name));
            }
        }
    }
    ASSERT_EQ(order.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(order[i], tabStops[i]);
    }
}

TEST_F(MainWindowTest, CreatedHandlerFillsTheClassBoxAndTheDate) {
    const QComboBox& combo = window_->classCombo();
    ASSERT_EQ(combo.count(), 45);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(toolkit_->selectedClassIndex(), -1);
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(combo.itemText(i), toQString(classCatalogue()[i])) << i;
    }
    EXPECT_EQ(combo.itemText(0), QString::fromUtf8(" 1类 化工原料肥料"));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(window_->statusPart(1)->text(),
              QString::fromUtf8("%1年%2月%3日").arg(today.year()).arg(today.month()).arg(today.day()));
}

}  // namespace
