#pragma once

// TExecuteThread: one device operation on a worker thread. The thread binds its own copy of the
// hardware library's operation entry points, prepares the device's algorithm library with the
// operation block and runs the operations on the device's programmer. It never touches the
// project or a view: every visible change is one of six steps that run on the main thread
// through the executor, each under a lock of its own (the reload step has none).
//
// Everything the library needs from the project (the device parameters, the data set's storage,
// memory A's file) is copied when the thread is made, on the main thread.

#include "abi/hardware_api.h"
#include "abi/remote_api.h"
#include "operations/hardware_binding.h"

#include <QString>
#include <QThread>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace zelmo {

class CDevice;
class CExecutor;
class TExecuteThread;

// The steps an operation thread hands to the main thread. Each runs there while the thread
// waits for it.
class CExecuteSteps {
public:
    virtual ~CExecuteSteps() = default;
    virtual void StartStep(TExecuteThread& thread) = 0;           // production thread attached
    virtual void ProcessingStartStep(TExecuteThread& thread) = 0; // operations about to run
    virtual void ResultsStep(TExecuteThread& thread) = 0;         // the library's status is in
    virtual void ReportStep(TExecuteThread& thread) = 0;          // the log report
    virtual void EndStep(TExecuteThread& thread) = 0;             // the thread lets go
    // Reloads the data set's assigned files; false when a reload failed.
    virtual bool ReloadStep(TExecuteThread& thread) = 0;
};

// What all operation threads share: the executor of their steps, one lock per step and the
// lock that keeps two library preparations from overlapping.
struct CExecuteContext {
    explicit CExecuteContext(CExecutor& executor) : Executor(executor) {}
    CExecutor& Executor;
    // Recursive: a step may let pending events run (the log does), and the main thread may then
    // run another thread's step of the same kind inside it.
    std::recursive_mutex StartLock;
    std::recursive_mutex ProcessingStartLock;
    std::recursive_mutex ResultsLock;
    std::recursive_mutex ReportLock;
    std::recursive_mutex EndLock;
    std::mutex PreparationLock; // held by a thread from binding to code generation
    // Held while a thread hands a step over and waits for it. The main thread runs the steps
    // one at a time anyway; taking turns here also makes the order of the hand-overs visible
    // to ThreadSanitizer, which cannot see Qt's own queue lock.
    std::mutex HandOverLock;

    // Runs `step` on the main thread for an operation thread.
    void Hand(const std::function<void()>& step);
};

struct ExecuteRequest {
    CDevice* Device = nullptr; // the device entry; steps check it is still in the project
    int DataSetIndex = 0;      // the device's SelectedDataSet at start
    int Port = 0;
    bool Interactive = false; // pin-check results are shown
    QString AppDir;           // with its trailing "/"
    OperationBlock Block{};
    // Program tab with ReloadFile on: the assigned files are reloaded before each device.
    bool Reload = false;
    // "Result" of the remote-control library, called after the run (modes 0 and 1 only) with
    // RemoteSlot and the status; null while remote control is off.
    RemoteResultFn RemoteResult = nullptr;
    std::int32_t RemoteSlot = 0;
};

class TExecuteThread : public QThread {
    Q_OBJECT
public:
    // Made on the main thread: copies what the library will need from the device.
    TExecuteThread(CExecuteContext& context, CExecuteSteps& steps, const ExecuteRequest& request);
    ~TExecuteThread() override;

    // Blocks until this thread's own preparation has ended, with its code generated or failed.
    void WaitReady();
    // Production threads: stop at the next wait, and wake a waiting thread (the next device is
    // ready, or it must stop).
    void RequestStop();
    void Wake();
    bool StopRequested() const;
    // Waits until run() has done its last action, at most `ms` milliseconds (-1: no limit).
    // After it returned true the thread no longer touches anything but Qt's own teardown.
    bool WaitEnded(int ms = -1);

    // Cancel request for the running operation, handed to the library by the progress polling.
    void RequestCancel() { cancel_.store(true); }
    bool CancelPending() const { return cancel_.load(); }
    void CancelDelivered() { cancel_.store(false); }

    // Read by the steps on the main thread.
    CDevice* Device() const { return request_.Device; }
    int DataSetIndex() const { return request_.DataSetIndex; }
    int Port() const { return request_.Port; }
    bool Interactive() const { return request_.Interactive; }
    const OperationBlock& Block() const { return request_.Block; }
    std::uint8_t Mode() const { return request_.Block.Mode; }
    bool Production() const;
    bool Reload() const { return request_.Reload; }
    std::int32_t Status() const { return status_; }
    bool Failed() const { return failed_; }
    bool PinCheckPending() const { return pinCheckPending_; }
    const ZmPinCheckResult& PinCheckResult() const { return pinCheck_; }
    // The binding failure's message ("Missing ..."/"Incorrect ..."), empty otherwise.
    const QString& BindError() const { return bindError_; }
    // The thread's own entry points, for the report step's library messages.
    const OperationEntryPoints& Api() const { return binding_.api(); }
    bool Bound() const { return binding_.isBound(); }

    // Kept by the steps (main thread only).
    std::uint32_t ElapsedMs = 0; // the duration of the last processing
    std::int64_t StartedMs = 0;  // steady-clock time when processing started
    bool SerialWritten = false;  // the processing-start step wrote the serial number
    bool Processed = false;      // the operations ran (not skipped by a failed reload)

protected:
    void run() override;

private:
    bool prepare();
    void singlePass();
    void productionLoop();
    // One pass of the library's operations after _ZmRunCode; false when a reload failed.
    void processDevice(bool stopByte);
    void step(std::recursive_mutex& lock, void (CExecuteSteps::*method)(TExecuteThread&));
    void signalReady();
    // Waits for a wake-up or a stop request; true when the thread must stop.
    bool waitForWake();

    CExecuteContext& context_;
    CExecuteSteps& steps_;
    ExecuteRequest request_;
    OperationBinding binding_;

    // Copies made on the main thread for the library.
    QString libraryPath_;
    std::array<std::uint8_t, sizeof(DeviceDescriptor::LibParams)> params_{};
    ZmDataSetStorage storage_{};
    bool hasFileEntry_ = false;
    QString fileEntryPath_;
    std::uint8_t fileEntryType_ = 0;

    // Written by the worker, read by steps it waits for.
    std::int32_t status_ = 0;
    bool failed_ = false;
    bool pinCheckPending_ = false;
    ZmPinCheckResult pinCheck_{};
    QString bindError_;

    std::atomic<bool> cancel_{false};

    mutable std::mutex signalMutex_;
    std::condition_variable signalChanged_;
    bool ready_ = false;
    bool stop_ = false;
    int wakeups_ = 0;
    bool ended_ = false;
};

} // namespace zelmo
