#pragma once
// A Toolkit for tests: keeps the list, the busy indicator, the class combo and
// the messages in memory and logs every operation in order.
//
// Like the window it drops the operations of a cancelled run: when the calling
// thread's current CancelToken is cancelled, a write does nothing and a read
// gives the empty value (-1, 0, empty text). The check and the operation happen
// under one lock, so an operation either finished before a cancel that precedes
// clearRows or is dropped. Every member is safe to call from any thread.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "text/Text.h"
#include "toolkit/Toolkit.h"

class RecordingToolkit : public Toolkit {
  public:
    static constexpr int kColumns = 4;
    using Row = std::vector<Text>;  // kColumns cells

    // synchronous runs startWorker's routine inside the call; threads starts a
    // thread per routine (joined by joinWorkers and the destructor).
    enum class Workers { synchronous, threads };

    explicit RecordingToolkit(Workers workers = Workers::synchronous);
    ~RecordingToolkit() override;

    void clearRows() override;
    int appendRow() override;
    void deleteRow(int row) override;
    void setCell(int row, int column, const Text& text) override;
    Text cellText(int row, int column) override;
    int currentRow() override;
    // Raises the focus-change event (the hook, after the lock is released) when
    // an existing row other than the focused one is named.
    void setCurrentRow(int row) override;
    void setVisible(Control control, bool visible) override;
    void setProgressPosition(int position) override;
    int progressPosition() override;
    void addClassItem(const Text& label) override;
    int selectedClassIndex() override;
    Text nameText() override;
    void setStatusText(int part, const Text& text) override;
    void navigateBrowser(const Text& url) override;
    void openUrlExternally(const Text& url) override;
    // Records the message; with blocking messages it then waits until the run is
    // cancelled or releaseMessages() is called, as an open box would.
    void showMessage(const Text& text, int icon = kErrorIcon) override;
    void startWorker(std::function<void()> routine) override;
    void processPendingEvents() override;

    // Set-up by the test.
    void setFocusChangedHook(std::function<void()> hook);
    void setNameText(const Text& name);
    void setSelectedClassIndex(int index);
    void setBlockingMessages(bool blocking);
    void releaseMessages();

    // What the test inspects.
    std::vector<Row> rows() const;
    int focusedRow() const;
    bool isVisible(Control control) const;
    std::vector<Text> messages() const;
    std::vector<int> messageIcons() const;
    std::vector<Text> navigatedUrls() const;
    std::vector<Text> openedUrls() const;
    std::vector<Text> classItems() const;
    std::map<int, Text> statusTexts() const;
    int focusEvents() const;
    int droppedOperations() const;
    int pendingEventCalls() const;
    // The operations in order, e.g. "appendRow 0", "setCell 0 1 abc",
    // "setCurrentRow 0", "focusChanged", "showMessage <text>"; the busy
    // animation's progress operations only with includeProgress.
    std::vector<std::string> log(bool includeProgress = false) const;

    // Waits until at least count messages were shown; false on time-out.
    bool waitForMessages(std::size_t count, std::chrono::milliseconds timeout) const;
    void joinWorkers();

  private:
    // True (and counted) when the calling thread's run is cancelled. Caller holds mutex_.
    bool dropLocked();
    void record(std::string entry, bool progress = false);
    // A copy of a member taken under the lock.
    template <class T>
    T locked(const T& member) const {
        const std::lock_guard lock(mutex_);
        return member;
    }
    bool rowExists(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    const Workers workers_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Row> rows_;
    int focused_ = -1;
    int selected_ = -1;
    std::map<Control, bool> visible_;
    int progress_ = 0;
    std::vector<Text> classItems_;
    int selectedClass_ = -1;
    Text name_;
    std::map<int, Text> status_;
    std::vector<Text> navigated_;
    std::vector<Text> opened_;
    std::vector<Text> messages_;
    std::vector<int> icons_;
    bool blockingMessages_ = false;
    int messagesReleased_ = 0;
    std::function<void()> focusHook_;
    int focusEvents_ = 0;
    int dropped_ = 0;
    int pendingEvents_ = 0;
    std::vector<std::pair<std::string, bool>> log_;

    std::mutex threadsMutex_;
    std::vector<std::thread> threads_;
};
