#pragma once

#include <atomic>

// Set from any thread to abandon a piece of work (a request, a whole query run);
// whoever does the work polls it.
class CancelToken {
  public:
    void cancel() noexcept { cancelled_.store(true, std::memory_order_release); }
    bool cancelled() const noexcept { return cancelled_.load(std::memory_order_acquire); }

    // The token of the work the calling thread is doing, or null. Lets layers that
    // block the thread (a call waiting for the UI thread, a message box) give up
    // when that work is cancelled, without a token in every signature.
    static const CancelToken* current() noexcept { return current_; }

  private:
    friend class CancelScope;
    std::atomic<bool> cancelled_{false};
    static inline thread_local const CancelToken* current_ = nullptr;
};

// Makes a token the calling thread's current one for the scope's lifetime.
class CancelScope {
  public:
    explicit CancelScope(const CancelToken& token) noexcept : previous_(CancelToken::current_) {
        CancelToken::current_ = &token;
    }
    ~CancelScope() { CancelToken::current_ = previous_; }
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

  private:
    const CancelToken* previous_;
};
