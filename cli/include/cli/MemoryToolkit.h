#pragma once
// The window operations over an in-memory result list, for the command-line
// front end: the list, the current row, the busy indicator's state and the
// progress value are kept; messages and busy changes go to the caller's hooks.

#include <array>
#include <functional>
#include <thread>
#include <vector>

#include "toolkit/Toolkit.h"

class MemoryToolkit : public Toolkit {
  public:
    static constexpr int kColumnCount = 4;
    using Row = std::array<Text, kColumnCount>;

    // selectedClassIndex answers classIndex (-1 for none), nameText answers name (GBK).
    MemoryToolkit(int classIndex, Text name);
    ~MemoryToolkit() override;  // waits for workers started with startWorker

    // Called with each message text (GBK) that showMessage is given.
    void setMessageHook(std::function<void(const Text&)> hook) { onMessage_ = std::move(hook); }
    // Called when a write of the current row focuses a row that was not focused.
    void setFocusHook(std::function<void()> hook) { onFocusChanged_ = std::move(hook); }
    // Called when the busy indicator (label or bar) turns visible or hidden as a whole.
    void setBusyHook(std::function<void(bool)> hook) { onBusyChanged_ = std::move(hook); }

    const std::vector<Row>& rows() const { return rows_; }
    bool busyVisible() const { return labelVisible_ || progressVisible_; }

    void clearRows() override;
    int appendRow() override;
    void deleteRow(int row) override;
    void setCell(int row, int column, const Text& text) override;
    Text cellText(int row, int column) override;
    int currentRow() override { return current_; }
    void setCurrentRow(int row) override;
    void setVisible(Control control, bool visible) override;
    void setProgressPosition(int position) override;
    int progressPosition() override { return progress_; }
    void addClassItem(const Text&) override {}
    int selectedClassIndex() override { return classIndex_; }
    Text nameText() override { return name_; }
    void setStatusText(int, const Text&) override {}
    void navigateBrowser(const Text&) override {}
    void openUrlExternally(const Text&) override {}
    void showMessage(const Text& text, int icon = kErrorIcon) override;
    void startWorker(std::function<void()> routine) override;
    void processPendingEvents() override {}

  private:
    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    int classIndex_;
    Text name_;
    std::vector<Row> rows_;
    int current_ = -1;
    bool labelVisible_ = false;
    bool progressVisible_ = false;
    int progress_ = 0;
    std::function<void(const Text&)> onMessage_;
    std::function<void()> onFocusChanged_;
    std::function<void(bool)> onBusyChanged_;
    std::vector<std::jthread> workers_;
};
