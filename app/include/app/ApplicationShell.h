#pragma once
// The main window wired to the query engine: the window, the toolkit operations on
// it and the query runner, with the control events going to their handlers.

#include "app/MainWindow.h"
#include "app/QtToolkit.h"
#include "query/QueryRun.h"

class ApplicationShell {
  public:
    // Builds the window for the service at host ("name[:port]"), runs
    // onMainWindowCreated and installs the pending-events hook. The window is not
    // shown yet. UI thread only.
    explicit ApplicationShell(const Text& host);
    // Cancels a running query and waits for its worker before anything goes.
    ~ApplicationShell();
    ApplicationShell(const ApplicationShell&) = delete;
    ApplicationShell& operator=(const ApplicationShell&) = delete;

    MainWindow& window() { return window_; }
    QtToolkit& toolkit() { return toolkit_; }
    QueryRunner& runner() { return runner_; }

  private:
    MainWindow window_;
    QtToolkit toolkit_;
    QueryRunner runner_;
};
