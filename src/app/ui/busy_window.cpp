#include "app/ui/busy_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace zelmo {

TfBusy::TfBusy(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Busy"));
    setModal(true);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint &
                   ~Qt::WindowContextHelpButtonHint);
    lInfo = new QLabel;
    lInfo->setObjectName(QStringLiteral("lInfo"));
    QFont f = lInfo->font();
    f.setBold(true);
    lInfo->setFont(f);
    pbProgress1 = new QProgressBar;
    pbProgress2 = new QProgressBar;
    for (QProgressBar* bar : {pbProgress1, pbProgress2}) {
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(true);
        bar->setMinimumWidth(340);
    }
    tRefresh = new QTimer(this);
    tRefresh->setInterval(100);
    connect(tRefresh, &QTimer::timeout, this, &TfBusy::UpdateBars);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(10);
    layout->addWidget(lInfo);
    layout->addWidget(pbProgress1);
    layout->addWidget(pbProgress2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfBusy::SetInfo(const QString& text) {
    lInfo->setText(text);
}

QString TfBusy::Info() const {
    return lInfo->text();
}

void TfBusy::UpdateBars() {
    // A worker that says what it is doing now ("Filling buffer...", then "Loading file...")
    // replaces the text it started with.
    if (first_ != nullptr) {
        const QString text = first_->text();
        if (!text.isEmpty() && text != lInfo->text()) {
            lInfo->setText(text);
        }
    }
    pbProgress1->setValue(first_ != nullptr ? std::clamp(first_->percent(), 0, 100) : 0);
    pbProgress2->setValue(second_ != nullptr ? std::clamp(second_->percent(), 0, 100) : 0);
}

void TfBusy::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (worker_ == nullptr || worker_->isRunning() || worker_->isFinished()) {
        return;
    }
    for (Progress* p : {first_, second_}) {
        if (p != nullptr) {
            p->setPercent(0);
        }
    }
    pbProgress1->setValue(0);
    pbProgress2->setValue(0);
    tRefresh->start();
    worker_->start();
}

void TfBusy::Close() {
    tRefresh->stop();
    lInfo->clear();
    if (isVisible()) {
        accept();
    }
}

void TfBusy::reject() {
    // Only the worker ends the show.
}

void TfBusy::Execute(QThread& worker, Progress* first, Progress* second) {
    worker_ = &worker;
    first_ = first;
    second_ = second;
    // A worker that ends without closing the window still ends the show; the connection is
    // queued, so it runs on the main thread inside the modal loop. A late delivery belongs to an
    // earlier run and must not end a later one.
    const int run = ++run_;
    const QMetaObject::Connection ended = connect(
        &worker, &QThread::finished, this,
        [this, run] {
            if (run == run_ && worker_ != nullptr) {
                Close();
            }
        },
        Qt::QueuedConnection);
    exec();
    disconnect(ended);
    worker.wait();
    tRefresh->stop();
    worker_ = nullptr;
    first_ = second_ = nullptr;
}

void TfBusy::Run(const std::function<void(Progress&)>& work) {
    Progress progress;
    const std::unique_ptr<QThread> worker(QThread::create([this, &work, &progress] {
        work(progress);
        // The worker's last step: close the window on the main thread and wait for it.
        QMetaObject::invokeMethod(this, &TfBusy::Close, Qt::BlockingQueuedConnection);
    }));
    Execute(*worker, &progress);
}

} // namespace zelmo
