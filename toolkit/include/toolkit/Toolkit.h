#pragma once
// The operations the query engine and the list actions use on the window. The Qt
// window implements them for the desktop program, the command-line front end with
// an in-memory table, the tests with a recording fake.
//
// Rows, columns, combo items and status-bar parts count from 0; row -1 is none.
// Every operation is finished when it returns, also when a worker thread calls it.
//
// A query run that has been superseded or shut down must not touch the window
// again. So an operation called by a thread whose current CancelToken
// (text/Cancel.h) is cancelled is dropped: a write does nothing, a read gives -1,
// 0 or an empty text, and a waiting call (one carried out by the UI thread, an
// open message box) returns at once when the token is cancelled. The check and
// the operation happen together, so an operation never lands after a cancel that
// was followed by clearRows.

#include <functional>

#include "text/Text.h"

enum class Control { busyLabel, busyProgress };

// Flag value of the error icon, the only icon the system shows.
inline constexpr int kErrorIcon = 16;

class Toolkit {
  public:
    virtual ~Toolkit() = default;

    // resultList
    virtual void clearRows() = 0;
    // Appends an empty row; returns its index, the row count before the call.
    virtual int appendRow() = 0;
    virtual void deleteRow(int row) = 0;
    virtual void setCell(int row, int column, const Text& text) = 0;
    // Empty for an empty cell or a row that does not exist (-1 included).
    virtual Text cellText(int row, int column) = 0;
    // The selected row, -1 if none.
    virtual int currentRow() = 0;
    // Focuses and selects an existing row, raising the focus-change event when it
    // was not the focused one; -1 deselects; a missing row changes nothing.
    virtual void setCurrentRow(int row) = 0;

    virtual void setVisible(Control control, bool visible) = 0;
    // busyProgress: stores the value limited to 0..32767, shows it within 0..100.
    virtual void setProgressPosition(int position) = 0;
    // The stored value, not the shown one.
    virtual int progressPosition() = 0;

    // classCombo
    virtual void addClassItem(const Text& label) = 0;
    virtual int selectedClassIndex() = 0;

    // Current content of nameEdit.
    virtual Text nameText() = 0;
    // Replaces the text of a status-bar part; a missing part is ignored.
    virtual void setStatusText(int part, const Text& text) = 0;

    virtual void navigateBrowser(const Text& url) = 0;
    virtual void openUrlExternally(const Text& url) = 0;

    // Message box: caption "信息：", the icon, one OK button, no owner; blocks the
    // calling thread until it is closed.
    virtual void showMessage(const Text& text, int icon = kErrorIcon) = 0;

    // Runs the routine on a new thread at once.
    virtual void startWorker(std::function<void()> routine) = 0;
    // Handles the events already queued for the calling thread.
    virtual void processPendingEvents() = 0;
};
