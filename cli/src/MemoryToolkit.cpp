#include "cli/MemoryToolkit.h"

#include <algorithm>

namespace {
constexpr int kMaxProgress = 32767;
}  // namespace

MemoryToolkit::MemoryToolkit(int classIndex, Text name) : classIndex_(classIndex), name_(std::move(name)) {}

MemoryToolkit::~MemoryToolkit() = default;

void MemoryToolkit::clearRows() {
    rows_.clear();
    current_ = -1;
}

int MemoryToolkit::appendRow() {
    rows_.emplace_back();
    return static_cast<int>(rows_.size()) - 1;
}

void MemoryToolkit::deleteRow(int row) {
    if (!validRow(row)) return;
    rows_.erase(rows_.begin() + row);
    // The focus leaves with its row; rows after it move up by one.
    if (current_ == row) {
        current_ = -1;
    } else if (current_ > row) {
        --current_;
    }
}

void MemoryToolkit::setCell(int row, int column, const Text& text) {
    if (validRow(row) && column >= 0 && column < kColumnCount) rows_[static_cast<std::size_t>(row)][column] = text;
}

Text MemoryToolkit::cellText(int row, int column) {
    if (!validRow(row) || column < 0 || column >= kColumnCount) return {};
    return rows_[static_cast<std::size_t>(row)][column];
}

void MemoryToolkit::setCurrentRow(int row) {
    if (row == -1) {
        current_ = -1;
        return;
    }
    if (!validRow(row) || row == current_) return;
    current_ = row;
    if (onFocusChanged_) onFocusChanged_();
}

void MemoryToolkit::setVisible(Control control, bool visible) {
    const bool wasBusy = busyVisible();
    (control == Control::busyLabel ? labelVisible_ : progressVisible_) = visible;
    if (busyVisible() != wasBusy && onBusyChanged_) onBusyChanged_(busyVisible());
}

void MemoryToolkit::setProgressPosition(int position) { progress_ = std::clamp(position, 0, kMaxProgress); }

void MemoryToolkit::showMessage(const Text& text, int) {
    if (onMessage_) onMessage_(text);
}

void MemoryToolkit::startWorker(std::function<void()> routine) { workers_.emplace_back(std::move(routine)); }
