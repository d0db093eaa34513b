#include "project/executor.h"

#include <QEventLoop>
#include <QMetaObject>

namespace zelmo {

void CMainThreadExecutor::Run(const std::function<void()>& step) {
    if (QThread::currentThread() == thread()) {
        step();
        return;
    }
    QMetaObject::invokeMethod(
        this, [&step] { step(); }, Qt::BlockingQueuedConnection);
}

void RunWorker(QThread& worker) {
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker.start();
    // The worker may already have finished before the loop runs: then the queued quit still
    // ends it, and isFinished() avoids waiting at all.
    if (!worker.isFinished()) {
        loop.exec();
    }
    worker.wait();
}

} // namespace zelmo
