#include "formats/file_thread.h"

#include <algorithm>

namespace zelmo::formats {

TFileThread::TFileThread(CExecutor& executor, TFile& engine, Mode mode, Completion done)
    : executor_(executor), engine_(engine), mode_(mode), done_(std::move(done)) {}

void TFileThread::run() {
    const bool ok = mode_ == Load ? engine_.Load() : engine_.Save();
    outcome_ = ok ? Result::success(engine_.Message) : Result::failure(engine_.Message);

    executor_.Run([this, ok] {
        const int m = engine_.Memory;
        if (m < 0 || m >= kMemories) {
            return;
        }
        if (mode_ == Save) {
            for (CDataSet* target : engine_.Targets) {
                if (target != nullptr) {
                    if (ok) {
                        target->Memories[static_cast<std::size_t>(m)].OnSaved();
                    }
                    break; // a save writes the first target only
                }
            }
        } else {
            // A JEDEC file fills the fuse map and clears the test vectors too.
            const int last =
                engine_.CurrentEntry && engine_.CurrentEntry->Type == FmtJedec ? std::max(m, 1) : m;
            for (CDataSet* target : engine_.Targets) {
                if (target == nullptr) {
                    continue;
                }
                for (int memory = m; memory <= last; ++memory) {
                    MemoryState& state = target->Memories[static_cast<std::size_t>(memory)];
                    target->OnBytesChanged(memory, 0, target->MemSize(memory));
                    if (ok) {
                        state.OnLoaded();
                    } else {
                        state.OnEdited();
                    }
                }
                // The engine recorded the file's time in the entry.
                target->Memories[static_cast<std::size_t>(m)].OnFileEntryChanged();
            }
        }
        if (done_) {
            done_(outcome_);
        }
    });
}

} // namespace zelmo::formats
