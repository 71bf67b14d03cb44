#pragma once
// The toolkit operations on the Qt main window.
//
// Every operation may be called from any thread. On the UI thread it acts at once;
// from another thread the UI thread carries it out while the caller waits. Such a
// wait gives up as soon as the work the caller is doing is cancelled
// (CancelToken::current() of the calling thread): the operation then returns an
// empty result (-1 for a row or an index, 0, an empty text) and, if it had not run
// yet, never runs.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <vector>

#include "app/BrowserCookies.h"
#include "app/MainWindow.h"
#include "app/UiCallQueue.h"
#include "toolkit/Toolkit.h"

class QMessageBox;

class QtToolkit final : public Toolkit {
  public:
    // Largest value progressPosition stores.
    static constexpr int kMaxStoredPosition = 32767;

    // Built on the UI thread; the window outlives the toolkit.
    explicit QtToolkit(MainWindow& window);
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    void clearRows() override;
    int appendRow() override;
    void deleteRow(int row) override;
    void setCell(int row, int column, const Text& text) override;
    Text cellText(int row, int column) override;
    int currentRow() override;
    void setCurrentRow(int row) override;

    void setVisible(Control control, bool visible) override;
    // Stores the value limited to 0..32767; the bar shows it limited to 0..100.
    void setProgressPosition(int position) override;
    int progressPosition() override;

    void addClassItem(const Text& label) override;
    int selectedClassIndex() override;
    Text nameText() override;
    void setStatusText(int part, const Text& text) override;

    // The URL's bytes outside the URL-safe set go percent-encoded byte for byte.
    // Before the view loads it, the cookie store's cookies for the URL's host are
    // handed to the view.
    void navigateBrowser(const Text& url) override;
    void openUrlExternally(const Text& url) override;

    // On the UI thread a modal box. From another thread a non-modal box that the UI
    // thread shows, so the window stays usable; the caller waits until it is closed,
    // or until its work is cancelled, which closes the box.
    void showMessage(const Text& text, int icon = kErrorIcon) override;

    // A new std::thread runs the routine; it is detached.
    void startWorker(std::function<void()> routine) override;
    // On the UI thread: handles the events already queued. Other threads have no
    // window events, so for them it does nothing.
    void processPendingEvents() override;

    // What the text module's pending-events hook calls: processPendingEvents for the
    // calling thread.
    static void pumpPendingEvents();

  private:
    struct BoxWait;

    template <typename Operation>
    void onUiThread(Operation operation);
    void holdRepaints();
    void releaseRepaints();
    void openWorkerBox(const Text& text, int icon, const std::shared_ptr<BoxWait>& wait);

    MainWindow& window_;
    // Carries the operations of other threads over to the UI thread.
    UiCallQueue calls_;
    BrowserCookies browserCookies_;
    std::atomic<int> storedPosition_{0};
    std::atomic<int> shownPosition_{0};
    // Worker calls come in bursts (the busy animation, the rows of a reply). Painting
    // after each one would make every call wait for the display server, so while a
    // burst lasts the controls it touches repaint at most once a frame. UI thread only.
    QTimer repaintFrame_;
    bool repaintsHeld_ = false;
    // Boxes opened for other threads and still open; UI thread only.
    std::vector<std::unique_ptr<QMessageBox>> workerBoxes_;
};
