#include "formats/reload_step.h"

#include "formats/reload_decision.h"
#include "project/device_descriptor.h"

namespace zelmo::formats {

bool ReloadFiles(TProject& project, CExecutor& executor, int device, int dataSet,
                 const ReloadHost& host) {
    const auto log = [&host](ReloadLine line, const QString& text = {}) {
        if (host.Log) {
            host.Log(line, text);
        }
    };
    CDevice* d = project.DeviceAt(device);
    CDataSet* target = d != nullptr ? d->DataSetAt(dataSet) : nullptr;
    if (target == nullptr) {
        return false;
    }
    log(ReloadLine::Header);
    for (int m = 0; m < kMemories; ++m) {
        if ((d->MemSelect & (1u << m)) == 0) {
            continue;
        }
        const bool exists = MemoryExists(d->Descriptor, m);
        log(ReloadLine::Detail,
            exists ? QStringLiteral("Reloading file. Target buffer: %1...")
                         .arg(FieldQString(d->Buffers[static_cast<std::size_t>(m)].Name))
                   : QStringLiteral("Reassigning file..."));
        MemoryState& state = target->Memories[static_cast<std::size_t>(m)];
        const ReloadDecision decision = DecideReload(project.ReloadFile, state);
        if (decision.action == ReloadAction::Failed) {
            log(decision.warning ? ReloadLine::WarningSubDetail : ReloadLine::FailureSubDetail,
                decision.message);
            return false;
        }
        if (decision.action == ReloadAction::Skip) {
            log(ReloadLine::SubDetail, decision.message);
            continue;
        }
        if (!exists) {
            // No buffer to fill: the hardware library reads an assigned file itself.
            log(ReloadLine::SubDetail, state.Current->FileName);
            continue;
        }
        TFile engine;
        engine.Device = device;
        engine.Memory = static_cast<std::uint8_t>(m);
        engine.Descriptor = d->Descriptor;
        engine.BuildDay = project.BuildDay;
        engine.Targets[0] = target;
        engine.CurrentEntry = state.Current;
        TFileThread worker(executor, engine, TFileThread::Load);
        if (host.RunWorker) {
            host.RunWorker(worker, engine.Busy);
        } else {
            RunWorker(worker);
        }
        if (!worker.Outcome().ok) {
            if (!worker.Outcome().message.isEmpty()) {
                log(ReloadLine::FailureSubDetail, worker.Outcome().message);
            }
            return false;
        }
        if (state.Recent[0]) {
            state.SetCurrent(state.Recent[0]);
        }
        log(ReloadLine::SubDetail, state.Current->FileName);
        if (!worker.Outcome().message.isEmpty()) {
            log(ReloadLine::SubDetail, worker.Outcome().message);
        }
    }
    return true;
}

} // namespace zelmo::formats
