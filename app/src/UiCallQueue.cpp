#include "app/UiCallQueue.h"

#include <thread>
#include <utility>

void Handshake::finish() {
    {
        const std::lock_guard lock(mutex_);
        finished_.store(true, std::memory_order_release);
    }
    changed_.notify_all();
}

bool Handshake::wait(const CancelToken* token) {
    const auto spinEnd = std::chrono::steady_clock::now() + kSpin;
    while (std::chrono::steady_clock::now() < spinEnd) {
        if (finished_.load(std::memory_order_acquire)) {
            return true;
        }
        std::this_thread::yield();
    }
    std::unique_lock lock(mutex_);
    while (!finished_.load(std::memory_order_acquire)) {
        if (abandoned_ || (token != nullptr && token->cancelled())) {
            abandoned_ = true;
            return false;
        }
        changed_.wait_for(lock, kCancelPoll);
    }
    return true;
}

bool Handshake::claim(const CancelToken* token) {
    {
        const std::lock_guard lock(mutex_);
        if (!abandoned_ && (token == nullptr || !token->cancelled())) {
            return true;
        }
        abandoned_ = true;
    }
    changed_.notify_all();
    return false;
}

void UiCallQueue::post(std::function<void()> operation) {
    auto queued = std::make_shared<Queued>();
    queued->run = std::move(operation);
    enqueue(std::move(queued));
}

void UiCallQueue::enqueue(std::shared_ptr<Queued> queued) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        wake = queue_.empty() && !draining_;
        queue_.push_back(std::move(queued));
    }
    // One wake-up for a queue that was empty and not being drained; the UI thread
    // then takes whatever is queued by the time it runs.
    if (wake) {
        wakeUiThread();
    }
}

void UiCallQueue::wakeUiThread() { QMetaObject::invokeMethod(this, &UiCallQueue::runQueued, Qt::QueuedConnection); }

void UiCallQueue::runQueued() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastWork = start;
    for (;;) {
        std::deque<std::shared_ptr<Queued>> taken;
        {
            const std::lock_guard lock(mutex_);
            const auto now = Clock::now();
            if (now - start >= kBurstBudget || (queue_.empty() && now - lastWork >= kBurstGap)) {
                draining_ = false;
                // Work left over comes back after the event loop's other events.
                if (!queue_.empty()) {
                    wakeUiThread();
                }
                return;
            }
            draining_ = true;
            taken.swap(queue_);
        }
        if (taken.empty()) {
            std::this_thread::yield();
            continue;
        }
        runTaken(taken);
        lastWork = Clock::now();
    }
}

void UiCallQueue::runTaken(const std::deque<std::shared_ptr<Queued>>& taken) {
    for (const auto& queued : taken) {
        if (!queued->handshake.claim(queued->token)) {
            continue;
        }
        if (beforeEachCall_) {
            beforeEachCall_();
        }
        queued->run();
        queued->handshake.finish();
    }
}
