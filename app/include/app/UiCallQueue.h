#pragma once
// Hands work from other threads to the UI thread and lets the caller wait for it,
// giving up as soon as the caller's work is cancelled.

#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "text/Cancel.h"

// The meeting point of a waiting thread and the UI thread for one piece of work.
class Handshake {
  public:
    // How often a waiting thread looks at its cancel token. Finished work wakes it at
    // once; this only bounds how late a cancellation is noticed.
    static constexpr auto kCancelPoll = std::chrono::milliseconds(5);
    // How long a waiting thread keeps looking before it sleeps. Most operations take
    // the UI thread a few microseconds; catching their end awake saves the far
    // longer wake-up of a sleeping thread.
    static constexpr auto kSpin = std::chrono::microseconds(100);

    void finish();
    // True once finished; false, and the work abandoned, as soon as token (may be
    // null) is cancelled.
    bool wait(const CancelToken* token);
    // Called by the UI thread before it starts the work: false when the waiting
    // thread has given up or its work was cancelled in the meantime. The lock keeps
    // the waiting thread, and so its token, in place while the token is read.
    bool claim(const CancelToken* token);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> finished_{false};
    bool abandoned_ = false;
};

class UiCallQueue final : public QObject {
    Q_OBJECT

  public:
    // A worker hands over its calls one after another with only microseconds of its
    // own work in between (the rows of a reply, the busy animation). Waking the UI
    // thread from its event wait costs far more than most calls, so once woken the
    // UI thread keeps taking calls while they come at most this far apart...
    static constexpr auto kBurstGap = std::chrono::microseconds(200);
    // ...and for at most this long in one go, after which its timers, input and
    // painting take their turn before it goes on with the rest.
    static constexpr auto kBurstBudget = std::chrono::milliseconds(1);

    // Lives on the thread that builds it, the UI thread.
    UiCallQueue() = default;

    bool isUiThread() const { return QThread::currentThread() == thread(); }

    // Called on the UI thread before each piece of work another thread handed over.
    void setBeforeEachCall(std::function<void()> hook) { beforeEachCall_ = std::move(hook); }

    // operation() on the UI thread, its result returned. From the UI thread itself
    // it runs at once. From another thread the caller waits; when its work (the
    // thread's current CancelToken) is cancelled before operation has run, it
    // returns whenCancelled and operation never runs.
    template <typename Result, typename Operation>
    Result call(Operation operation, Result whenCancelled);

    // Queues operation for the UI thread without waiting for it.
    void post(std::function<void()> operation);

  private slots:
    void runQueued();

  private:
    struct Queued {
        const CancelToken* token = nullptr;
        Handshake handshake;
        std::function<void()> run;
    };

    void enqueue(std::shared_ptr<Queued> queued);
    void wakeUiThread();
    void runTaken(const std::deque<std::shared_ptr<Queued>>& taken);

    std::function<void()> beforeEachCall_;
    std::mutex mutex_;
    std::deque<std::shared_ptr<Queued>> queue_;
    // True while runQueued is looking for more work; new work then needs no wake-up.
    bool draining_ = false;
};

template <typename Result, typename Operation>
Result UiCallQueue::call(Operation operation, Result whenCancelled) {
    if (isUiThread()) {
        return operation();
    }
    const CancelToken* token = CancelToken::current();
    if (token != nullptr && token->cancelled()) {
        return whenCancelled;
    }
    // The result lives beside the queued work, so work that runs after its caller
    // gave up writes into memory that is still there.
    auto result = std::make_shared<std::optional<Result>>();
    auto queued = std::make_shared<Queued>();
    queued->token = token;
    queued->run = [result, operation = std::move(operation)]() mutable { result->emplace(operation()); };
    enqueue(queued);
    if (!queued->handshake.wait(token)) {
        return whenCancelled;
    }
    return std::move(**result);
}
