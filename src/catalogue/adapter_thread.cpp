#include "catalogue/adapter_thread.h"

#include "operations/hardware_binding.h"
#include "operations/library_file.h"

namespace zelmo {

TAdapterThread::TAdapterThread(QString appDir, CExecutor& executor, AdapterScanHost host,
                               std::chrono::milliseconds interval)
    : appDir_(std::move(appDir)), executor_(executor), host_(std::move(host)), interval_(interval) {
}

TAdapterThread::~TAdapterThread() {
    RequestStop();
    wait();
}

void TAdapterThread::RequestStop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

bool TAdapterThread::waitInterval() {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, interval_, [this] { return stop_; });
    return !stop_;
}

void TAdapterThread::run() {
    const QString file = QString::fromLatin1(kHardwareLibraryFile);
    // The worker binds the library for itself: its reference stays valid whatever the main
    // thread's binding does meanwhile.
    LibraryFile library;
    ZmAdapterGetSocket_fn sense = nullptr;
    QString failure;
    if (library.load(appDir_, file) != LibraryFile::Outcome::Loaded) {
        failure = QStringLiteral("Missing '") + file + QStringLiteral("'");
    } else {
        sense =
            reinterpret_cast<ZmAdapterGetSocket_fn>(library.resolve(ZM_SYMBOL(ZmAdapterGetSocket)));
        if (sense == nullptr) {
            failure = QStringLiteral("Incorrect '") + file + QStringLiteral("'");
        }
    }
    if (sense == nullptr) {
        executor_.Run([&] {
            if (host_.Failed) {
                host_.Failed(failure);
            }
            if (host_.Ended) {
                host_.Ended();
            }
        });
        return;
    }

    sense(ZM_SOCKET_START, nullptr);
    bool running = true;
    while (running) {
        ZmSocketState state{};
        // A failed read senses nothing: every pin reads "no connection".
        std::fill(std::begin(state.Pins), std::end(state.Pins), std::uint8_t{1});
        if (sense(ZM_SOCKET_POLL, &state) == 0) {
            std::fill(std::begin(state.Pins), std::end(state.Pins), std::uint8_t{1});
            state.Key = 0;
        }
        if (state.Key == ZM_KEY_ACCEPT) {
            accept_ = true;
        } else if (state.Key == ZM_KEY_NEXT) {
            next_ = true;
        } else if (state.Key == ZM_KEY_PREVIOUS) {
            previous_ = true;
        }
        const AdapterScanHost::Requests requests{accept_.exchange(false), next_.exchange(false),
                                                 previous_.exchange(false)};
        bool last = false;
        executor_.Run([&] { last = host_.Cycle && host_.Cycle(state, requests); });
        running = !last && waitInterval();
    }
    sense(ZM_SOCKET_STOP, nullptr);
    executor_.Run([&] {
        if (host_.Ended) {
            host_.Ended();
        }
    });
}

} // namespace zelmo
