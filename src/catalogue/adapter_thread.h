#pragma once

// The adapter scan worker: loads the hardware library's socket sensing itself, starts it, reads
// the socket state every 200 ms and hands each state with the pending requests (accept, next,
// previous: from the programmer's keys or the creator's buttons) to the creator in a
// synchronised step; on its way out it stops the sensing and reports the end the same way.
// The creator's buttons only set request flags here, which the next cycle serves.

#include "abi/hardware_api.h"
#include "project/executor.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace zelmo {

struct AdapterScanHost {
    struct Requests {
        bool Accept = false;
        bool Next = false;
        bool Previous = false;
    };
    // One cycle, on the main thread: true ends the scan (the last chip pin was accepted).
    std::function<bool(const ZmSocketState& state, Requests requests)> Cycle;
    // The scan has ended (after the stop command), on the main thread.
    std::function<void()> Ended;
    // The library or its socket sensing is missing: "Missing 'libhardware.so'" or "Incorrect
    // 'libhardware.so'", on the main thread; Ended follows.
    std::function<void(const QString& message)> Failed;
};

class TAdapterThread : public QThread {
public:
    TAdapterThread(QString appDir, CExecutor& executor, AdapterScanHost host,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(200));
    ~TAdapterThread() override;

    void RequestAccept() { accept_ = true; }
    void RequestNext() { next_ = true; }
    void RequestPrevious() { previous_ = true; }
    // "Stop": the thread ends after its current cycle.
    void RequestStop();

protected:
    void run() override;

private:
    bool waitInterval();

    QString appDir_;
    CExecutor& executor_;
    AdapterScanHost host_;
    std::chrono::milliseconds interval_;
    std::atomic<bool> accept_{false};
    std::atomic<bool> next_{false};
    std::atomic<bool> previous_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false; // guarded by mutex_
};

} // namespace zelmo
