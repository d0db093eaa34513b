#include "operations/execution/operations.h"
#include "operations/execution/operation_block.h"

#include "project/project.h"

#include <QCoreApplication>

#include <algorithm>

namespace zelmo {

namespace {
constexpr int kBlinkMs = 500; // one step of the production button's blinking
} // namespace

COperations::COperations(TProject& project, CExecutor& executor, OperationHost host,
                         QObject* parent)
    : QObject(parent), project_(project), host_(std::move(host)), context_(executor) {
    panelCleared_.fill(true);
    spinner_.fill(-1);
    tAuto.setInterval(kBlinkMs);
    connect(&tProgress, &QTimer::timeout, this, &COperations::ProgressTick);
    connect(&tAuto, &QTimer::timeout, this, &COperations::AutoTick);
    connect(&tRemoteCtrl, &QTimer::timeout, this, &COperations::RemoteCtrlTick);
    ApplyTimerInterval();
}

COperations::~COperations() {
    Shutdown();
}

void COperations::SetHardware(const QString& appDir, const HardwareEntryPoints* api,
                              CProgrammers programmers, const RemoteControlBinding* remote) {
    appDir_ = appDir.endsWith(u'/') ? appDir : appDir + u'/';
    api_ = api;
    programmers_ = std::move(programmers);
    remote_ = remote;
    panelCleared_.fill(true);
}

bool COperations::Gang() const {
    return programmers_.Gang(project_);
}

bool COperations::RemoteMode() const {
    return project_.RemoteCtrl != 0 && remote_ != nullptr && remote_->isLoaded();
}

void COperations::StartProgressTimer() {
    ApplyTimerInterval();
    tProgress.start();
}

void COperations::ApplyTimerInterval() {
    const int interval =
        static_cast<int>(std::clamp<std::uint32_t>(project_.TimerInterval, 1, 60000));
    tProgress.setInterval(interval);
    tRemoteCtrl.setInterval(interval);
}

void COperations::log(LogKind kind, const QString& text) const {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void COperations::showMessage(const QString& text) const {
    if (host_.ShowMessage) {
        host_.ShowMessage(text);
    }
}

bool COperations::ask(const QString& question) const {
    return host_.Ask && host_.Ask(question);
}

void COperations::changed(int device, unsigned views) {
    emit ViewsChanged(device, views);
}

void COperations::setStatus(int device, const QString& text) {
    if (CDevice* d = project_.DeviceAt(device)) {
        d->StatusText = text;
        changed(device, ViewStatusText);
    }
    emit StatusMessage(text);
}

void COperations::announce(const QString& text) {
    log(lkSection, text);
    emit StatusMessage(text);
    for (int d = 0; d < project_.DeviceCount; ++d) {
        project_.DeviceAt(d)->StatusText = text;
        changed(d, ViewStatusText);
    }
}

int COperations::indexOf(const CDevice* device) const {
    for (int d = 0; d < project_.DeviceCount; ++d) {
        if (project_.DeviceAt(d) == device) {
            return d;
        }
    }
    return -1;
}

bool COperations::programmerBusy(int position) const {
    return api_ == nullptr || position < 0 || position >= programmers_.Count() ||
           api_->ZmGetHardware(programmers_.At(position).Port) != 0;
}

bool COperations::programmerRunning(int position) const {
    return api_ != nullptr && position >= 0 && position < programmers_.Count() &&
           api_->ZmGetStatus(programmers_.At(position).Port) < 0;
}

TExecuteThread* COperations::startThread(int device, int programmer, const OperationBlock& block,
                                         bool interactive, bool wait) {
    CDevice& d = *project_.DeviceAt(device);
    ExecuteRequest request;
    request.Device = &d;
    request.DataSetIndex = d.SelectedDataSet;
    request.Port = programmers_.At(programmer).Port;
    request.Interactive = interactive;
    request.AppDir = appDir_;
    request.Block = block;
    request.Reload = d.OpTabsSelected == TabProgram && project_.ReloadFile != 0;
    const bool production =
        block.Mode == OPMODE_PRODUCTION_OK_BUTTON || block.Mode == OPMODE_PRODUCTION_INSERTION;
    if (!production && RemoteMode()) {
        request.RemoteResult = remote_->entryPoints().result;
        request.RemoteSlot = device;
    }
    auto thread =
        std::make_shared<TExecuteThread>(context_, static_cast<CExecuteSteps&>(*this), request);
    TExecuteThread* raw = thread.get();
    if (production) {
        production_[static_cast<std::size_t>(device)] = thread;
    } else {
        threads_.push_back(thread); // until its end step lets it go
    }
    thread->start();
    if (wait) {
        thread->WaitReady();
        QCoreApplication::processEvents();
    }
    return raw;
}

void COperations::startOperation(int device, int programmer, bool byUser) {
    const CDevice& d = *project_.DeviceAt(device);
    const OperationBlock block = MakeOperationBlock(
        d, {.Mode = OPMODE_RUN, .Operations = SelectedTabOperations(d), .Beep = project_.Beep});
    startThread(device, programmer, block, byUser && programmers_.Count() == 1, true);
}

void COperations::reap(const TExecuteThread* thread) {
    const auto it = std::find_if(threads_.begin(), threads_.end(),
                                 [thread](const auto& t) { return t.get() == thread; });
    if (it != threads_.end()) {
        const std::shared_ptr<TExecuteThread> ended = *it;
        threads_.erase(it);
        ended->WaitEnded();
        ended->wait();
    }
}

void COperations::waitFor(TExecuteThread& thread) {
    while (!thread.WaitEnded(10)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    thread.wait();
}

TExecuteThread*
COperations::findThread(const std::function<bool(const TExecuteThread&)>& matches) const {
    for (const auto& t : threads_) {
        if (!t->isFinished() && matches(*t)) {
            return t.get();
        }
    }
    for (const auto& t : production_) {
        if (t && !t->isFinished() && matches(*t)) {
            return t.get();
        }
    }
    return nullptr;
}

TExecuteThread* COperations::threadOnPort(int port) const {
    return findThread([port](const TExecuteThread& t) { return t.Port() == port; });
}

TExecuteThread* COperations::threadOf(const CDevice* device) const {
    return findThread([device](const TExecuteThread& t) { return t.Device() == device; });
}

int COperations::ThreadCount() const {
    return static_cast<int>(threads_.size()) +
           static_cast<int>(std::count_if(production_.begin(), production_.end(),
                                          [](const auto& t) { return t != nullptr; }));
}

bool COperations::ProductionThreads() const {
    return std::any_of(production_.begin(), production_.end(),
                       [](const auto& t) { return t != nullptr; });
}

void COperations::CancelActive() {
    const CDevice* active = project_.Active();
    if (active == nullptr || active->Busy == 0) {
        return;
    }
    if (TExecuteThread* thread = threadOf(active)) {
        thread->RequestCancel();
    }
}

void COperations::Shutdown() {
    tRemoteCtrl.stop();
    tAuto.stop();
    for (auto& slot : production_) {
        if (const std::shared_ptr<TExecuteThread> thread = slot) {
            thread->RequestStop();
            thread->RequestCancel();
            thread->Wake();
            waitFor(*thread);
            slot.reset();
        }
    }
    while (!threads_.empty()) {
        const std::shared_ptr<TExecuteThread> thread = threads_.front();
        thread->RequestCancel();
        waitFor(*thread);
        reap(thread.get());
    }
}

} // namespace zelmo
