#pragma once

// What a long task on a worker thread reports to the busy window: a busy text, a percentage and
// a cancel request. The worker writes, the main thread reads; every member is safe to use from
// both at once.

#include <QString>

#include <atomic>
#include <mutex>

namespace zelmo {

class Progress {
public:
    void setText(const QString& text) {
        std::lock_guard lock(mutex_);
        text_ = text;
    }
    QString text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    void setPercent(int percent) { percent_.store(percent, std::memory_order_relaxed); }
    int percent() const { return percent_.load(std::memory_order_relaxed); }
    // Percent of `done` out of `total`, 100 when total is 0.
    void setFraction(std::uint64_t done, std::uint64_t total) {
        setPercent(total == 0 ? 100 : static_cast<int>((done * 100) / total));
    }

    void requestCancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const { return cancel_.load(std::memory_order_relaxed); }

private:
    mutable std::mutex mutex_;
    QString text_;
    std::atomic<int> percent_{0};
    std::atomic<bool> cancel_{false};
};

} // namespace zelmo
