#include "project/executor.h"

#include <QEventLoop>
#include <QMetaObject>

namespace zelmo {

void CMainThreadExecutor::Run(const std::function<void()>& step) {
    if (QThread::currentThread() == thread()) {
        step();
        return;
    }
    Job job{&step};
    {
        const std::lock_guard lock(mutex_);
        pending_.push_back(&job);
    }
    QMetaObject::invokeMethod(this, "runPending", Qt::BlockingQueuedConnection);
    // The blocking call has returned, so the step has run (this call's, or an earlier one that
    // took it from the queue); the wait makes that certain and orders it for the sanitizer.
    std::unique_lock lock(mutex_);
    doneChanged_.wait(lock, [&job] { return job.done; });
}

void CMainThreadExecutor::runPending() {
    std::unique_lock lock(mutex_);
    while (!pending_.empty()) {
        Job* job = pending_.front();
        pending_.pop_front();
        lock.unlock();
        (*job->step)();
        lock.lock();
        job->done = true;
        doneChanged_.notify_all();
    }
}

void RunWorker(QThread& worker) {
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker.start();
    // A worker that ends before the loop runs has queued the quit already, so the loop always
    // runs and always ends.
    loop.exec();
    worker.wait();
}

} // namespace zelmo
