#pragma once

// The busy window: shown modally while a long buffer, file or card task runs on a worker
// thread, so that no other command can start. It shows an information text and two progress
// bars that a 100 ms timer copies from the worker's progress values; the worker closes it as
// its last step, through a call run on the main thread.

#include "platform/progress.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QThread;
class QTimer;

namespace zelmo {

class TfBusy : public QDialog {
    Q_OBJECT
public:
    explicit TfBusy(QWidget* parent = nullptr);

    void SetInfo(const QString& text);
    QString Info() const;

    // Shows the window modally for `worker`: on showing it clears both bars, starts the refresh
    // timer and starts the worker; it returns once the worker has closed the window and ended.
    // `first` and `second` are the progress values the worker writes (either may be null).
    // A worker that does not close the window itself closes it by ending.
    void Execute(QThread& worker, Progress* first, Progress* second = nullptr);

    // Runs `work` on a worker thread of its own under the window, the window closed by the
    // worker's last step; `work` reports into the Progress it is given (the first bar).
    void Run(const std::function<void(Progress&)>& work);

    // Copies the progress values into the bars (the timer's step).
    void UpdateBars();

    QLabel* lInfo = nullptr;
    QProgressBar* pbProgress1 = nullptr;
    QProgressBar* pbProgress2 = nullptr;
    QTimer* tRefresh = nullptr;

public slots:
    // Ends the modal show: stops the timer and clears the information text. Called by the
    // worker through a synchronised step (or by the worker's end).
    void Close();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override; // Escape and the close button do not stop the work

private:
    QThread* worker_ = nullptr;
    Progress* first_ = nullptr;
    Progress* second_ = nullptr;
    int run_ = 0;
};

} // namespace zelmo
