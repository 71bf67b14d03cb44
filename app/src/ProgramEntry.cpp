#include "app/ProgramEntry.h"

#include <QApplication>

#include "app/ApplicationShell.h"
#include "app/ExitHooks.h"
#include "query/QueryRun.h"
#include "query/ServiceHost.h"

int programEntry() { return runProgram(Text(kServiceHost)); }

int runProgram(const Text& host) {
    // The program reads no command line; Qt gets the program name only.
    static int argc = 1;
    static char programName[] = "trademark-search";
    static char* argv[] = {programName, nullptr};

    // The browser engine shares OpenGL contexts with the widgets; this has to be
    // settled before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // Message boxes of a query are windows of their own; closing the main window
    // ends the program whether or not one is open.
    QApplication::setQuitOnLastWindowClosed(false);

    registerExitHook(&releaseGlobals);

    ApplicationShell shell(host);
    QObject::connect(&shell.window(), &MainWindow::closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    shell.window().show();
    QApplication::exec();
    return 0;
}
