#pragma once

// How a worker thread changes the project: every change is a step that runs on the main thread
// while the worker waits for it. The application hands workers the main-thread executor; unit
// tests of model code may run the steps inline on the worker itself.

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace zelmo {

class CExecutor {
public:
    virtual ~CExecutor() = default;
    // Runs `step` on the main thread and returns once it has run.
    virtual void Run(const std::function<void()>& step) = 0;
};

// Runs every step at once on the calling thread: for tests that drive a worker without an
// event loop, and for callers that are already on the main thread.
class CInlineExecutor final : public CExecutor {
public:
    void Run(const std::function<void()>& step) override { step(); }
};

// Runs steps on the thread this object lives on (make it on the main thread) through a
// blocking queued call: the worker waits until the main thread's event loop has run the step.
// A step asked for on the main thread itself runs at once, so it can never wait for itself.
// Several workers may ask at once; their steps run one after the other.
class CMainThreadExecutor final : public QObject, public CExecutor {
    Q_OBJECT
public:
    using QObject::QObject;
    void Run(const std::function<void()>& step) override;

private slots:
    void runPending();

private:
    struct Job {
        const std::function<void()>* step;
        bool done = false;
    };
    // The steps travel through this queue, guarded by a standard mutex, rather than inside the
    // queued call: the order of each step between the worker's work before and after it is then
    // also visible to ThreadSanitizer, which cannot see Qt's own synchronisation.
    std::mutex mutex_;
    std::condition_variable doneChanged_;
    std::deque<Job*> pending_;
};

// Starts `worker` and keeps the calling thread's event loop running until the worker has
// finished, so that the worker's steps through a CMainThreadExecutor of this thread can run.
// The busy window does the same in the application; this is the widget-free form.
void RunWorker(QThread& worker);

} // namespace zelmo
