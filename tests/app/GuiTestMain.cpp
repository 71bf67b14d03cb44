// Test main for the GUI tests: one QApplication for the whole run, a private
// cookie store, and the browser engine set up to run under a virtual X server.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }

    QTemporaryDir dataHome;
    if (!dataHome.isValid()) {
        return 2;
    }
    // Never the user's real cookie store.
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    }
    // Requests and the browser view go straight to loopback.
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    qunsetenv("all_proxy");
    qunsetenv("ALL_PROXY");

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
