#pragma once

// How a worker thread changes the project: every change is a step that runs on the main thread
// while the worker waits for it. The application hands workers the main-thread executor; unit
// tests of model code may run the steps inline on the worker itself.

#include <QObject>
#include <QThread>

#include <functional>

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
class CMainThreadExecutor final : public QObject, public CExecutor {
    Q_OBJECT
public:
    using QObject::QObject;
    void Run(const std::function<void()>& step) override;
};

// Starts `worker` and keeps the calling thread's event loop running until the worker has
// finished, so that the worker's steps through a CMainThreadExecutor of this thread can run.
// The busy window does the same in the application; this is the widget-free form.
void RunWorker(QThread& worker);

} // namespace zelmo
