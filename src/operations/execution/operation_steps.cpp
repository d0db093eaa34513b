// The six update steps of an operation thread. Each runs on the main thread while the thread
// waits, so it may change the project and tell the views; the thread's own fields it reads were
// written before the thread asked for the step.

#include "app/elapsed_time.h"
#include "editor/checksum_thread.h"
#include "editor/serial_number_write.h"
#include "formats/file_engine.h"
#include "formats/file_thread.h"
#include "formats/reload_decision.h"
#include "operations/execution/operation_block.h"
#include "operations/execution/operations.h"
#include "project/device_descriptor.h"
#include "project/executor.h"
#include "project/project.h"
#include "serialization/serialization.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstring>
#include <utility>

namespace zelmo {

namespace {

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool runsProgram(const TExecuteThread& thread) {
    return thread.Mode() != OPMODE_SINGLE && (thread.Block().Operations & OP_PROGRAM) != 0;
}

bool serializing(const CDevice& device) {
    return device.Serialization && device.Serialization->Enabled != 0;
}

// A library is not trusted to end its message list.
constexpr int kMaxLibraryMessages = 1000;

} // namespace

void COperations::StartStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    if (d < 0) {
        return;
    }
    if (thread.Production()) {
        thread.Device()->AutoActive = 1;
    }
    changed(d, ViewTree | ViewStatusText | ViewLights | ViewOperations);
}

void COperations::ProcessingStartStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    if (d < 0) {
        return;
    }
    CDevice& device = *thread.Device();
    device.Progress = 0.0;
    device.Busy = 1;
    if (d < kGangPanels) {
        panelCleared_[static_cast<std::size_t>(d)] = false;
    }
    unsigned views = ViewTree | ViewLights | ViewProgress | ViewOperations;
    thread.Processed = true;
    thread.SerialWritten = false;
    if (runsProgram(thread) && serializing(device)) {
        // The number goes into the data set this operation programs, which the views may not
        // show: the device gets the number the log names.
        const std::int32_t shown = std::exchange(device.ShownDataSet, thread.DataSetIndex());
        const Result written = editor::WriteSerialNumber(device);
        device.ShownDataSet = shown;
        if (written.ok) {
            thread.SerialWritten = true;
            log(lkDetailAfterBlank, QStringLiteral("Serial number updated, current value: %1.")
                                        .arg(device.Serialization->ValueText()));
        } else {
            log(lkFailureDetail, written.message);
        }
        views |= ViewBuffers | ViewSerialization;
    }
    thread.StartedMs = nowMs();
    changed(d, views);
}

void COperations::ResultsStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    if (d < 0) {
        return;
    }
    CDevice& device = *thread.Device();
    device.Busy = 0;
    unsigned views = ViewTree | ViewLights | ViewOperations;
    thread.ElapsedMs =
        thread.Processed ? static_cast<std::uint32_t>(nowMs() - thread.StartedMs) : 0;
    const bool pinCheckFailed = thread.PinCheckPending();
    device.LastStatus = thread.Status();
    if (pinCheckFailed) {
        static_assert(sizeof(ZmPinCheckResult) ==
                      std::tuple_size_v<decltype(device.PinCheckResult)>);
        std::memcpy(device.PinCheckResult.data(), &thread.PinCheckResult(),
                    device.PinCheckResult.size());
        if (thread.Interactive() && host_.ShowPinCheck) {
            changed(d, views);
            host_.ShowPinCheck(d);
        }
    } else {
        // A failed pin check touched nothing on the device: progress, serial number, checksums
        // and statistics stay as they were.
        device.Progress = 100.0;
        views |= ViewProgress;
        // Only a good device uses up its number: the next device gets the number a failed one
        // was given, so the devices that pass carry consecutive numbers.
        if (runsProgram(thread) && serializing(device) && thread.SerialWritten &&
            thread.Status() == ZM_STATUS_OK) {
            QString message;
            if (!device.Serialization->Advance(&message) && host_.ShowError) {
                host_.ShowError(message);
            }
            views |= ViewSerialization;
        }
        CDataSet* dataSet = device.DataSetAt(thread.DataSetIndex());
        if ((thread.Block().Operations & OP_READ) != 0 && thread.Processed && dataSet != nullptr) {
            for (int m = 0; m < kMemories; ++m) {
                if ((device.MemSelect & (1u << m)) != 0 && dataSet->MemSize(m) != 0) {
                    dataSet->OnBytesChanged(m, 0, dataSet->MemSize(m));
                    editor::refreshBufferChecksum(*dataSet, m);
                }
            }
            views |= ViewBuffers;
        }
        if (thread.Mode() != OPMODE_SINGLE && device.Statistics) {
            device.Statistics->Count(thread.Status() == ZM_STATUS_OK);
            views |= ViewStatistics;
        }
    }
    thread.Processed = false;
    thread.SerialWritten = false;
    changed(d, views);
}

void COperations::reportLibraryMessages(TExecuteThread& thread, int device) {
    if (!thread.Bound()) {
        return;
    }
    const OperationEntryPoints& api = thread.Api();
    const bool statusLines = !thread.Production();
    ZmMessage record{};
    for (int n = 0; n < kMaxLibraryMessages && api.ZmGetMessage(thread.Port(), n, &record) != 0;
         ++n) {
        const QString text = QString::fromUtf16(
            record.Text, static_cast<qsizetype>(std::char_traits<char16_t>::length(record.Text)));
        log(record.Error != 0 ? lkFailureDetail : lkSuccessDetail, text);
        if (statusLines && record.Class == ZM_MSG_STATUS_LINE) {
            setStatus(device, text);
        }
        record = ZmMessage{};
    }
}

void COperations::ReportStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    if (d < 0) {
        return;
    }
    const std::uint8_t mode = thread.Mode();
    const std::int32_t status = thread.Status();
    const bool cancelled = status >= 0 && (status & ZM_STATUS_CANCELLED) != 0;
    if (thread.Production()) {
        log(lkDataSetHeaderAfterBlank(d));
    }
    if (status == ZM_STATUS_OK && !thread.Failed()) {
        if (project_.ExtReport == 0 && mode != OPMODE_SINGLE) {
            const QString done = QStringLiteral("Operations done.");
            if (mode == OPMODE_RUN) {
                log(lkDataSetHeaderAfterBlank(d));
            }
            log(lkSuccessDetail, done);
            if (mode == OPMODE_RUN) {
                setStatus(d, done);
            }
        } else {
            reportLibraryMessages(thread, d);
        }
    } else if (cancelled) {
        const QString text = QStringLiteral("Operation failed. Could not reload file(s).");
        log(lkFailureDetail, text);
        setStatus(d, text);
    } else {
        reportLibraryMessages(thread, d);
    }
    if (project_.ShowOpTime != 0 && !cancelled) {
        log(lkDetail, ElapsedTimeText(thread.ElapsedMs));
    }
}

void COperations::EndStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    if (d >= 0) {
        CDevice& device = *thread.Device();
        if (!thread.BindError().isEmpty()) {
            if (host_.ShowError) {
                host_.ShowError(thread.BindError());
            }
            const QString failed = QStringLiteral("Operation failed.");
            log(lkFailureDetail, failed);
            setStatus(d, failed);
        }
        if (thread.Failed()) {
            device.Busy = 0;
        }
        if (thread.Production()) {
            device.AutoActive = 0;
        }
        changed(d, ViewOperations | ViewProgress | ViewTree | ViewLights | ViewStatusText);
        emit OperationCompleted(d + 1, CompletionCode(thread.Status(), thread.Failed()));
    }
    if (!thread.Production()) {
        // Run and Single threads go once they have ended, which follows this step at once. Asked
        // for last, so no event run inside this step can wait for a thread that waits for it;
        // the pointer is only compared.
        const TExecuteThread* ending = &thread;
        QTimer::singleShot(0, this, [this, ending] { reap(ending); });
    }
}

bool COperations::ReloadStep(TExecuteThread& thread) {
    const int d = indexOf(thread.Device());
    CDevice* device = thread.Device();
    CDataSet* dataSet = d < 0 ? nullptr : device->DataSetAt(thread.DataSetIndex());
    if (dataSet == nullptr) {
        return false;
    }
    log(lkDataSetHeaderAfterBlank(d));
    for (int m = 0; m < kMemories; ++m) {
        if ((device->MemSelect & (1u << m)) == 0) {
            continue;
        }
        const bool exists = MemoryExists(device->Descriptor, m);
        log(lkDetail,
            exists ? QStringLiteral("Reloading file. Target buffer: %1...")
                         .arg(FieldQString(device->Buffers[static_cast<std::size_t>(m)].Name))
                   : QStringLiteral("Reassigning file..."));
        MemoryState& state = dataSet->Memories[static_cast<std::size_t>(m)];
        const formats::ReloadDecision decision = formats::DecideReload(project_.ReloadFile, state);
        if (decision.action == formats::ReloadAction::Failed) {
            log(decision.warning ? lkWarningSubDetail : lkFailureSubDetail, decision.message);
            return false;
        }
        if (decision.action == formats::ReloadAction::Skip) {
            log(lkSubDetail, decision.message);
            continue;
        }
        if (!exists) {
            // No buffer to fill: the library reads an assigned file itself.
            log(lkSubDetail, state.Current->FileName);
            continue;
        }
        formats::TFile engine;
        engine.Device = d;
        engine.Memory = static_cast<std::uint8_t>(m);
        engine.Descriptor = device->Descriptor;
        engine.BuildDay = project_.BuildDay;
        engine.Targets[0] = dataSet;
        engine.CurrentEntry = state.Current;
        formats::TFileThread worker(context_.Executor, engine, formats::TFileThread::Load);
        if (host_.RunBusy) {
            host_.RunBusy(worker, engine.Busy);
        } else {
            RunWorker(worker);
        }
        changed(d, ViewBuffers);
        if (!worker.Outcome().ok) {
            log(lkFailureSubDetail, worker.Outcome().message);
            return false;
        }
        log(lkSubDetail, state.Current->FileName);
        log(lkSubDetail, worker.Outcome().message);
    }
    return true;
}

} // namespace zelmo
