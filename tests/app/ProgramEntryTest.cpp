// The whole program in this process: programEntry with its own application object,
// driven from inside its event loop, then the exit hooks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "FakeService.h"
#include "app/ExitHooks.h"
#include "app/MainWindow.h"
#include "app/ProgramEntry.h"
#include "query/QueryRun.h"

namespace {

FakeService* gService = nullptr;
bool gDriverSawStartState = false;
bool gDriverClosed = false;
QElapsedTimer gSinceClose;

MainWindow* mainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<MainWindow*>(widget); window != nullptr && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Polls every few milliseconds on the UI thread until step returns true.
void every(int ms, std::function<bool()> step) {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step = std::move(step)] {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(ms);
}

// Once the application object exists: wait for the window, start a query that the
// service holds, and close the window while the run waits for its reply.
void driveProgram() {
    if (gService == nullptr) {
        return;
    }
    every(5, [] {
        MainWindow* window = mainWindow();
        if (window == nullptr) {
            return false;
        }
        gDriverSawStartState = window->classCombo().count() == 45 && window->classCombo().currentIndex() == -1;
        window->classCombo().setCurrentIndex(0);
        window->nameEdit().setText("slow");
        QTest::mouseClick(&window->queryButton(), Qt::LeftButton);
        every(5, [] {
            if (gService->heldCount() != 1) {
                return false;
            }
            gSinceClose.start();
            gDriverClosed = true;
            if (MainWindow* window = mainWindow()) {
                window->close();
            }
            return true;
        });
        return true;
    });
}
Q_COREAPP_STARTUP_FUNCTION(driveProgram)

TEST(ProgramEntry, ClosingDuringAQueryEndsTheLoopAndTheExitHookFreesTheGlobals) {
    QTemporaryDir dataHome;
    ASSERT_TRUE(dataHome.isValid());
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    FakeService service;
    service.holdName("slow");
    gService = &service;

    EXPECT_EQ(runProgram(service.host()), 0);
    const qint64 closeToReturnMs = gSinceClose.elapsed();
    gService = nullptr;
    EXPECT_TRUE(gDriverSawStartState);
    ASSERT_TRUE(gDriverClosed);
    EXPECT_EQ(service.heldCount(), 1) << "the program ended without waiting for the reply";
    RecordProperty("close_to_return_ms", static_cast<int>(closeToReturnMs));

    EXPECT_EQ(gClassNumberValue(), "1");
    runExitHooks();
    EXPECT_EQ(gClassNumberValue(), "");
    EXPECT_EQ(gResultHtmlValue(), "");
}

}  // namespace
