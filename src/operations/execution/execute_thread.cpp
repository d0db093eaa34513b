#include "operations/execution/execute_thread.h"

#include "app/device_preparation.h"
#include "project/executor.h"
#include "project/project.h"

#include <algorithm>
#include <chrono>

namespace zelmo {

namespace {

// Pause after each device of a production loop before the programmer is armed again.
constexpr unsigned long kProductionPauseMs = 200;

const char16_t* wide(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

bool productionMode(std::uint8_t mode) {
    return mode == OPMODE_PRODUCTION_OK_BUTTON || mode == OPMODE_PRODUCTION_INSERTION;
}

} // namespace

TExecuteThread::TExecuteThread(CExecuteContext& context, CExecuteSteps& steps,
                               const ExecuteRequest& request)
    : context_(context), steps_(steps), request_(request) {
    const CDevice& device = *request.Device;
    libraryPath_ = AlgorithmLibraryPath(request.AppDir, device.Descriptor);
    std::copy(std::begin(device.Descriptor.LibParams), std::end(device.Descriptor.LibParams),
              params_.begin());
    if (const CDataSet* dataSet = device.DataSetAt(request.DataSetIndex)) {
        storage_.SwapFile = dataSet->SwapFile.fd();
        for (int m = 0; m < 5; ++m) {
            storage_.MemStart[m] = dataSet->MemStart[static_cast<std::size_t>(m)];
            storage_.MemSize[m] = dataSet->MemSize(m);
        }
        const FileEntryPtr& entry = dataSet->Memories[0].Current;
        if (entry && !entry->FileName.isEmpty()) {
            hasFileEntry_ = true;
            fileEntryPath_ = entry->FileName;
            fileEntryType_ = entry->Type;
        }
    } else {
        storage_.SwapFile = -1;
    }
}

TExecuteThread::~TExecuteThread() {
    if (isRunning() || isFinished()) {
        WaitEnded();
    }
    wait();
}

bool TExecuteThread::Production() const {
    return productionMode(request_.Block.Mode);
}

void TExecuteThread::WaitReady() {
    std::unique_lock lock(signalMutex_);
    signalChanged_.wait(lock, [this] { return ready_; });
}

void TExecuteThread::RequestStop() {
    const std::lock_guard lock(signalMutex_);
    stop_ = true;
}

void TExecuteThread::Wake() {
    {
        const std::lock_guard lock(signalMutex_);
        ++wakeups_;
    }
    signalChanged_.notify_all();
}

bool TExecuteThread::StopRequested() const {
    const std::lock_guard lock(signalMutex_);
    return stop_;
}

void TExecuteThread::signalReady() {
    {
        const std::lock_guard lock(signalMutex_);
        ready_ = true;
    }
    signalChanged_.notify_all();
}

bool TExecuteThread::waitForWake() {
    std::unique_lock lock(signalMutex_);
    signalChanged_.wait(lock, [this] { return stop_ || wakeups_ > 0; });
    if (stop_) {
        return true;
    }
    // An auto-reset event: wake-ups that came together count once.
    wakeups_ = 0;
    return false;
}

void CExecuteContext::Hand(const std::function<void()>& step) {
    const std::lock_guard turn(HandOverLock);
    Executor.Run(step);
}

void TExecuteThread::step(std::recursive_mutex& lock,
                          void (CExecuteSteps::*method)(TExecuteThread&)) {
    context_.Hand([&] {
        const std::lock_guard guard(lock);
        (steps_.*method)(*this);
    });
}

bool TExecuteThread::WaitEnded(int ms) {
    std::unique_lock lock(signalMutex_);
    if (ms < 0) {
        signalChanged_.wait(lock, [this] { return ended_; });
        return true;
    }
    return signalChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return ended_; });
}

void TExecuteThread::run() {
    if (prepare()) {
        if (Production()) {
            productionLoop();
        } else {
            singlePass();
        }
        binding_.api().ZmFreeLib(request_.Port);
    }
    binding_.release();
    // Notified under the lock: a waiter may destroy this object as soon as it sees ended_, so
    // the notification must be over by then.
    const std::lock_guard lock(signalMutex_);
    ended_ = true;
    signalChanged_.notify_all();
}

bool TExecuteThread::prepare() {
    std::unique_lock preparation(context_.PreparationLock);
    status_ = 0;
    const BindResult bound = binding_.bind(request_.AppDir);
    if (!bound.ok) {
        failed_ = true;
        bindError_ = bound.message;
        preparation.unlock();
        signalReady();
        step(context_.EndLock, &CExecuteSteps::EndStep);
        return false;
    }
    const OperationEntryPoints& api = binding_.api();
    ZmFileEntry entry{};
    if (hasFileEntry_) {
        entry.Size = sizeof entry;
        entry.Type = fileEntryType_;
        entry.Path = wide(fileEntryPath_);
    }
    const bool initialised =
        api.ZmInitLib(request_.Port, wide(libraryPath_), params_.data(), request_.Block,
                      storage_.SwapFile >= 0 ? &storage_ : nullptr,
                      hasFileEntry_ ? &entry : nullptr, nullptr) != 0;
    const bool coded = initialised && api.ZmMakeCode(request_.Port) != 0;
    preparation.unlock();
    if (!coded) {
        failed_ = true;
        signalReady();
        step(context_.ReportLock, &CExecuteSteps::ReportStep);
        step(context_.EndLock, &CExecuteSteps::EndStep);
        api.ZmFreeLib(request_.Port);
        return false;
    }
    signalReady();
    return true;
}

void TExecuteThread::processDevice(bool stopByte) {
    const OperationEntryPoints& api = binding_.api();
    api.ZmProcessOps(request_.Port, stopByte ? 1 : 0);
    status_ = api.ZmGetStatus(request_.Port);
    pinCheckPending_ = status_ >= 0 && (status_ & ZM_STATUS_PIN_CHECK) != 0;
    if (pinCheckPending_) {
        api.ZmGetPinCheckRes(request_.Port, &pinCheck_);
    }
}

void TExecuteThread::singlePass() {
    const OperationEntryPoints& api = binding_.api();
    bool reloaded = true;
    if (request_.Block.Mode == OPMODE_RUN && request_.Reload) {
        context_.Hand([&] { reloaded = steps_.ReloadStep(*this); });
    }
    if (!StopRequested()) {
        if (reloaded) {
            api.ZmRunCode(request_.Port);
            step(context_.ProcessingStartLock, &CExecuteSteps::ProcessingStartStep);
            processDevice(false);
        } else {
            // The data set does not hold what the files say: the device is not touched, and the
            // run ends as cancelled.
            status_ = ZM_STATUS_CANCELLED;
            pinCheckPending_ = false;
        }
        if (request_.RemoteResult != nullptr) {
            request_.RemoteResult(request_.RemoteSlot, status_);
        }
        step(context_.ResultsLock, &CExecuteSteps::ResultsStep);
    }
    step(context_.ReportLock, &CExecuteSteps::ReportStep);
    step(context_.EndLock, &CExecuteSteps::EndStep);
}

void TExecuteThread::productionLoop() {
    const OperationEntryPoints& api = binding_.api();
    if (!StopRequested()) {
        step(context_.StartLock, &CExecuteSteps::StartStep);
        for (;;) {
            api.ZmRunCode(request_.Port);
            if (waitForWake()) {
                api.ZmProcessOps(request_.Port, 1);
                break;
            }
            // The files are reloaded before the serial number goes into memory A, so the
            // reload never overwrites the number the device is about to get.
            bool reloaded = true;
            if (request_.Reload) {
                context_.Hand([&] { reloaded = steps_.ReloadStep(*this); });
            }
            if (reloaded) {
                step(context_.ProcessingStartLock, &CExecuteSteps::ProcessingStartStep);
                processDevice(false);
            } else {
                processDevice(true); // ends the armed run without touching the device
                status_ = ZM_STATUS_CANCELLED;
                pinCheckPending_ = false;
            }
            step(context_.ResultsLock, &CExecuteSteps::ResultsStep);
            step(context_.ReportLock, &CExecuteSteps::ReportStep);
            msleep(kProductionPauseMs);
        }
    }
    // Also when the stop came before the loop began: the end step detaches the thread from the
    // device, which would otherwise count as in production for ever.
    step(context_.EndLock, &CExecuteSteps::EndStep);
}

} // namespace zelmo
