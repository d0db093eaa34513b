#pragma once

// Runs events until a condition holds, for tests whose work finishes on other threads and in
// queued steps on the main thread.

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace zelmo::test {

// True once `done` holds; false when it still does not after `ms` milliseconds.
inline bool RunEventsUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace zelmo::test
