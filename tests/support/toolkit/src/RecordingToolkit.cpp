#include "toolkit_fixture/RecordingToolkit.h"

#include <algorithm>
#include <utility>

#include "text/Cancel.h"

namespace {

const char* controlName(Control control) { return control == Control::busyLabel ? "busyLabel" : "busyProgress"; }

}  // namespace

RecordingToolkit::RecordingToolkit(Workers workers) : workers_(workers) {}

RecordingToolkit::~RecordingToolkit() { joinWorkers(); }

bool RecordingToolkit::dropLocked() {
    const CancelToken* run = CancelToken::current();
    if (!run || !run->cancelled()) return false;
    ++dropped_;
    return true;
}

void RecordingToolkit::record(std::string entry, bool progress) { log_.emplace_back(std::move(entry), progress); }

void RecordingToolkit::clearRows() {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    rows_.clear();
    focused_ = selected_ = -1;
    record("clearRows");
}

int RecordingToolkit::appendRow() {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return -1;
    rows_.emplace_back(kColumns);
    const int row = static_cast<int>(rows_.size()) - 1;
    record("appendRow " + std::to_string(row));
    return row;
}

void RecordingToolkit::deleteRow(int row) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    record("deleteRow " + std::to_string(row));
    if (!rowExists(row)) return;
    rows_.erase(rows_.begin() + row);
    // The list's own rule here: a deleted focused or selected row leaves none.
    for (int* mark : {&focused_, &selected_}) {
        if (*mark == row) {
            *mark = -1;
        } else if (*mark > row) {
            --*mark;
        }
    }
}

void RecordingToolkit::setCell(int row, int column, const Text& text) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    record("setCell " + std::to_string(row) + " " + std::to_string(column) + " " + text);
    if (rowExists(row) && column >= 0 && column < kColumns) rows_[static_cast<std::size_t>(row)][column] = text;
}

Text RecordingToolkit::cellText(int row, int column) {
    const std::lock_guard lock(mutex_);
    if (dropLocked() || !rowExists(row) || column < 0 || column >= kColumns) return {};
    return rows_[static_cast<std::size_t>(row)][column];
}

int RecordingToolkit::currentRow() {
    const std::lock_guard lock(mutex_);
    return dropLocked() ? -1 : selected_;
}

void RecordingToolkit::setCurrentRow(int row) {
    std::function<void()> hook;
    {
        const std::lock_guard lock(mutex_);
        if (dropLocked()) return;
        record("setCurrentRow " + std::to_string(row));
        if (row == -1) {
            selected_ = -1;
            return;
        }
        if (!rowExists(row)) return;
        const bool raise = focused_ != row;
        focused_ = selected_ = row;
        if (!raise) return;
        ++focusEvents_;
        record("focusChanged");
        hook = focusHook_;
    }
    if (hook) hook();
}

void RecordingToolkit::setVisible(Control control, bool visible) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    visible_[control] = visible;
    record(std::string("setVisible ") + controlName(control) + (visible ? " 1" : " 0"));
}

void RecordingToolkit::setProgressPosition(int position) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    progress_ = std::clamp(position, 0, 32767);
    record("setProgressPosition " + std::to_string(position), true);
}

int RecordingToolkit::progressPosition() {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return 0;
    record("progressPosition", true);
    return progress_;
}

void RecordingToolkit::addClassItem(const Text& label) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    classItems_.push_back(label);
}

int RecordingToolkit::selectedClassIndex() {
    const std::lock_guard lock(mutex_);
    return dropLocked() ? -1 : selectedClass_;
}

Text RecordingToolkit::nameText() {
    const std::lock_guard lock(mutex_);
    return dropLocked() ? Text() : name_;
}

void RecordingToolkit::setStatusText(int part, const Text& text) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    status_[part] = text;
}

void RecordingToolkit::navigateBrowser(const Text& url) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    navigated_.push_back(url);
    record("navigateBrowser " + url);
}

void RecordingToolkit::openUrlExternally(const Text& url) {
    const std::lock_guard lock(mutex_);
    if (dropLocked()) return;
    opened_.push_back(url);
    record("openUrlExternally " + url);
}

void RecordingToolkit::showMessage(const Text& text, int icon) {
    std::unique_lock lock(mutex_);
    if (dropLocked()) return;
    messages_.push_back(text);
    icons_.push_back(icon);
    record("showMessage " + text);
    changed_.notify_all();
    if (!blockingMessages_) return;
    const int released = messagesReleased_;
    const CancelToken* run = CancelToken::current();
    // An open box: the caller waits until it is closed or its run is cancelled.
    while (messagesReleased_ == released && !(run && run->cancelled())) {
        changed_.wait_for(lock, std::chrono::milliseconds(2));
    }
}

void RecordingToolkit::startWorker(std::function<void()> routine) {
    if (workers_ == Workers::synchronous) {
        routine();
        return;
    }
    const std::lock_guard lock(threadsMutex_);
    threads_.emplace_back(std::move(routine));
}

void RecordingToolkit::processPendingEvents() {
    const std::lock_guard lock(mutex_);
    ++pendingEvents_;
}

void RecordingToolkit::setFocusChangedHook(std::function<void()> hook) {
    const std::lock_guard lock(mutex_);
    focusHook_ = std::move(hook);
}

void RecordingToolkit::setNameText(const Text& name) {
    const std::lock_guard lock(mutex_);
    name_ = name;
}

void RecordingToolkit::setSelectedClassIndex(int index) {
    const std::lock_guard lock(mutex_);
    selectedClass_ = index;
}

void RecordingToolkit::setBlockingMessages(bool blocking) {
    const std::lock_guard lock(mutex_);
    blockingMessages_ = blocking;
}

void RecordingToolkit::releaseMessages() {
    const std::lock_guard lock(mutex_);
    ++messagesReleased_;
    changed_.notify_all();
}

std::vector<RecordingToolkit::Row> RecordingToolkit::rows() const { return locked(rows_); }

int RecordingToolkit::focusedRow() const { return locked(focused_); }

bool RecordingToolkit::isVisible(Control control) const {
    const std::lock_guard lock(mutex_);
    const auto found = visible_.find(control);
    return found != visible_.end() && found->second;
}

std::vector<Text> RecordingToolkit::messages() const { return locked(messages_); }

std::vector<int> RecordingToolkit::messageIcons() const { return locked(icons_); }

std::vector<Text> RecordingToolkit::navigatedUrls() const { return locked(navigated_); }

std::vector<Text> RecordingToolkit::openedUrls() const { return locked(opened_); }

std::vector<Text> RecordingToolkit::classItems() const { return locked(classItems_); }

std::map<int, Text> RecordingToolkit::statusTexts() const { return locked(status_); }

int RecordingToolkit::focusEvents() const { return locked(focusEvents_); }

int RecordingToolkit::droppedOperations() const { return locked(dropped_); }

int RecordingToolkit::pendingEventCalls() const { return locked(pendingEvents_); }

std::vector<std::string> RecordingToolkit::log(bool includeProgress) const {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> entries;
    for (const auto& [entry, progress] : log_) {
        if (includeProgress || !progress) entries.push_back(entry);
    }
    return entries;
}

bool RecordingToolkit::waitForMessages(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
}

void RecordingToolkit::joinWorkers() {
    std::vector<std::thread> threads;
    {
        const std::lock_guard lock(threadsMutex_);
        threads.swap(threads_);
    }
    for (std::thread& thread : threads) thread.join();
}
