#include "editor/buffer_tool_commands.h"

#include "editor/buffer_tools.h"
#include "editor/checksum_thread.h"
#include "editor/fill_pattern.h"
#include "editor/fill_thread.h"
#include "project/executor.h"
#include "project/project.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace zelmo::editor {

namespace {

const QString kSure = QStringLiteral("\nAre you sure?");

QString blockLine(const char* format, std::uint32_t first, std::uint32_t last) {
    return QString::asprintf(format, first, last);
}

QString checksumLine(std::uint32_t sum) {
    return QString::asprintf("Buffer checksum: %08X.", sum);
}

PieceReader readerOf(const CDataSet& dataSet, int memory) {
    return [&dataSet, memory](std::uint64_t offset, std::span<std::uint8_t> bytes) -> std::size_t {
        return dataSet.Read(memory, offset, bytes) ? bytes.size() : 0;
    };
}

} // namespace

std::optional<ShownBuffer> shownBuffer(TProject& project) {
    CDevice* device = project.Active();
    CDataSet* dataSet = device != nullptr ? device->Shown() : nullptr;
    if (dataSet == nullptr || device->CurrentMemory >= kMemories) {
        return std::nullopt;
    }
    ShownBuffer shown;
    shown.DeviceIndex = project.ActiveDevice;
    shown.Device = device;
    shown.DataSet = dataSet;
    shown.Memory = device->CurrentMemory;
    shown.Mode = device->Buffers[shown.Memory].Organization;
    shown.Size = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        dataSet->MemSize(shown.Memory), std::numeric_limits<std::uint32_t>::max()));
    shown.State = &device->ViewState[shown.Memory];
    return shown;
}

std::optional<std::uint64_t> findPreviousDifference(const PieceReader& a, const PieceReader& b,
                                                    std::uint64_t cursor, std::uint64_t size) {
    constexpr std::size_t kPiece = 65536;
    std::vector<std::uint8_t> bufA(kPiece);
    std::vector<std::uint8_t> bufB(kPiece);
    std::uint64_t high = std::min(cursor, size); // the scan covers [0, high)
    bool inRun = false;
    while (high > 0) {
        const std::uint64_t low = high > kPiece ? high - kPiece : 0;
        const auto n = static_cast<std::size_t>(high - low);
        if (a(low, std::span(bufA.data(), n)) != n || b(low, std::span(bufB.data(), n)) != n) {
            break;
        }
        for (std::size_t i = n; i-- > 0;) {
            const bool differs = bufA[i] != bufB[i];
            if (!inRun && differs) {
                inRun = true;
            } else if (inRun && !differs) {
                return low + i + 1;
            }
        }
        high = low;
    }
    if (inRun && high == 0) {
        return 0; // the run begins at the buffer's first byte
    }
    return std::nullopt;
}

CBufferToolCommands::CBufferToolCommands(TProject& project, CExecutor& executor,
                                         BufferToolHost host)
    : project_(project), executor_(executor), host_(std::move(host)) {}

void CBufferToolCommands::log(LogKind kind, const QString& text) {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void CBufferToolCommands::logHeader(int device) {
    log(lkDataSetHeaderAfterBlank(device), {});
}

void CBufferToolCommands::status(const QString& text) {
    if (host_.SetStatus) {
        host_.SetStatus(text);
    }
}

void CBufferToolCommands::runWorker(QThread& worker, Progress* progress, const QString& text) {
    if (host_.RunWorker) {
        host_.RunWorker(worker, progress, text);
    } else {
        RunWorker(worker); // no window: the event loop runs until the worker ends
    }
}

void CBufferToolCommands::showDifference(const std::optional<std::uint64_t>& hit) {
    if (hit && host_.GoToAddress) {
        host_.GoToAddress(*hit);
    } else if (!hit && host_.Warn) {
        host_.Warn(QStringLiteral("No more differences found."));
    }
}

void CBufferToolCommands::refresh() {
    if (host_.Refresh) {
        host_.Refresh();
    }
}

std::optional<ShownBuffer> CBufferToolCommands::changeable() {
    std::optional<ShownBuffer> shown = shownBuffer(project_);
    if (!shown || shown->Size == 0) {
        return std::nullopt;
    }
    if (shown->Device->Busy != 0 || shown->Device->AutoActive != 0) {
        // An operation owns the device's swap file.
        status(QStringLiteral("Operation cancelled."));
        return std::nullopt;
    }
    return shown;
}

bool CBufferToolCommands::runFill(const ShownBuffer& shown, int memory, std::uint32_t first,
                                  std::uint32_t length, std::uint32_t value, int kind, bool clear,
                                  const QString& busyText, std::optional<std::uint32_t>* checksum) {
    FillRequest request;
    request.Device = shown.DeviceIndex;
    request.DataSet = shown.Device->ShownDataSet;
    request.Memory = memory;
    request.First = first;
    request.Length = length;
    request.Value = value;
    request.Kind = kind;
    request.Clear = clear;
    Progress progress;
    TFillThread worker(project_, executor_, request, &progress);
    runWorker(worker, &progress, busyText);
    if (checksum != nullptr) {
        *checksum = worker.Checksum();
    }
    if (!worker.Outcome().ok) {
        // The buffer is not what was asked for: say so instead of reporting it done.
        refresh();
        logHeader(shown.DeviceIndex);
        log(lkFailureDetail, worker.Outcome().message);
        status(worker.Outcome().message);
        return false;
    }
    return true;
}

void CBufferToolCommands::Fill() {
    if (project_.DeviceCount == 0) {
        if (host_.Warn) {
            host_.Warn(QStringLiteral("Select device first."));
        }
        return;
    }
    const CDevice* active = project_.Active();
    if (active == nullptr || active->Descriptor.Type == DT_PLD ||
        (active->Descriptor.Flags & DEV_FILES) == 0) {
        return;
    }
    const std::optional<ShownBuffer> shown = changeable();
    if (!shown || !host_.FillDialog) {
        return;
    }
    FillDialogInput input;
    input.Size = shown->Size;
    input.Range = selectionOrBuffer(*shown->State, shown->Size);
    input.Mode = shown->Mode;
    input.DebugMode = project_.DebugMode != 0;
    const FillChoice choice = host_.FillDialog(input);
    if (choice.Kind == FillNone) {
        return;
    }
    std::optional<std::uint32_t> sum;
    if (!runFill(*shown, shown->Memory, choice.Range.First,
                 choice.Range.Last - choice.Range.First + 1, choice.Value, choice.Kind, false,
                 QStringLiteral("Filling buffer..."), &sum)) {
        return;
    }
    refresh();
    logHeader(shown->DeviceIndex);
    const QString line =
        QString::fromStdString(fillLogLine(choice.Range, shown->Mode, shown->Size));
    log(lkDetail, line);
    if (choice.Range.First == 0 && choice.Range.Last == shown->Size - 1) {
        status(line);
    }
    if (sum) {
        log(lkDetail, checksumLine(*sum));
    }
}

void CBufferToolCommands::Clear() {
    const std::optional<ShownBuffer> shown = changeable();
    if (!shown || !host_.Confirm) {
        return;
    }
    const QString clearLine = QStringLiteral("Buffer clear.");
    if (shown->Device->Descriptor.Type == DT_PLD) {
        if (!host_.Confirm(QStringLiteral("Buffer will be cleared.") + kSure)) {
            return;
        }
        // The fuse map's erased state is 1 in every fuse, the test vectors' is 0xFF.
        const CDataSet& ds = *shown->DataSet;
        const auto fuses = static_cast<std::uint32_t>(ds.MemSize(0));
        const auto vectors = static_cast<std::uint32_t>(ds.MemSize(1));
        if (fuses > 0 && !runFill(*shown, 0, 0, fuses, 1, FillConstByte, true,
                                  QStringLiteral("Clearing fuse bits..."))) {
            return;
        }
        if (vectors > 0 && !runFill(*shown, 1, 0, vectors, 0xFF, FillConstByte, true,
                                    QStringLiteral("Clearing test vectors..."))) {
            return;
        }
        refresh();
        logHeader(shown->DeviceIndex);
        log(lkDetail, clearLine);
        status(clearLine);
        return;
    }
    const bool block = shown->State->SelStart != shown->State->SelEnd;
    const ByteRange range = selectionOrBuffer(*shown->State, shown->Size);
    const QString question = block ? QStringLiteral("Block of data will be cleared.")
                                   : QStringLiteral("Buffer will be cleared.");
    if (!host_.Confirm(question + kSure)) {
        return;
    }
    std::optional<std::uint32_t> sum;
    if (!runFill(*shown, shown->Memory, range.First, range.Last - range.First + 1, 0xFF,
                 FillConstByte, true, QStringLiteral("Clearing buffer..."), &sum)) {
        return;
    }
    refresh();
    logHeader(shown->DeviceIndex);
    if (block) {
        const unsigned n = cellBytes(shown->Mode);
        log(lkDetail, blockLine("Block %08X - %08X clear.", range.First / n, range.Last / n));
    } else {
        log(lkDetail, clearLine);
        status(clearLine);
        if (sum) {
            log(lkDetail, checksumLine(*sum));
        }
    }
}

void CBufferToolCommands::Swap(int kind) {
    QString question;
    QString busy;
    QString done;
    switch (kind) {
    case SwapBytes:
        question = QStringLiteral("Bytes in buffer will be swapped.");
        busy = QStringLiteral("Swapping bytes...");
        done = QStringLiteral("Bytes swapped.");
        break;
    case SwapWords:
        question = QStringLiteral("Words in buffer will be swapped.");
        busy = QStringLiteral("Swapping words...");
        done = QStringLiteral("Words swapped.");
        break;
    case SwapNibbles:
        question = QStringLiteral("Nibbles of bytes in buffer will be swapped.");
        busy = QStringLiteral("Swapping nibbles...");
        done = QStringLiteral("Nibbles swapped.");
        break;
    default:
        return;
    }
    const std::optional<ShownBuffer> shown = changeable();
    if (!shown || !host_.Confirm || !host_.Confirm(question + kSure)) {
        return;
    }
    if (!runFill(*shown, shown->Memory, 0, shown->Size, 0, kind, false, busy)) {
        return;
    }
    refresh();
    logHeader(shown->DeviceIndex);
    log(lkDetail, done);
    status(done);
}

void CBufferToolCommands::ChecksumFieldClick() {
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    if (!shown || shown->Device->Descriptor.Type == DT_PLD || shown->Device->Busy != 0 ||
        shown->Device->AutoActive != 0) {
        return;
    }
    Progress progress;
    const auto start = static_cast<std::uint64_t>(
        shown->DataSet->MemStart[static_cast<std::size_t>(shown->Memory)]);
    TChecksumThread worker(executor_, *shown->DataSet, shown->Memory, start, shown->Size, false,
                           &progress);
    runWorker(worker, &progress, QStringLiteral("Calculating checksum..."));
    refresh();
}

ChecksumValues CBufferToolCommands::Calculate(std::uint32_t from, std::uint32_t to) {
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    if (!shown || shown->Size == 0) {
        return {};
    }
    correctChecksumRange(from, to, shown->Size);
    Progress progress;
    const auto start = static_cast<std::uint64_t>(
        shown->DataSet->MemStart[static_cast<std::size_t>(shown->Memory)]);
    TChecksumThread worker(executor_, *shown->DataSet, shown->Memory, start + from, to - from + 1,
                           true, &progress);
    runWorker(worker, &progress, QStringLiteral("Calculating..."));
    return worker.Results();
}

const CDataSet* CBufferToolCommands::compareTarget(const ShownBuffer& shown) const {
    const int target = shown.DataSet->CompareTo;
    if (target == shown.Device->ShownDataSet) {
        return nullptr;
    }
    return shown.Device->DataSetAt(target);
}

CompareMenu CBufferToolCommands::CompareMenuNow() const {
    CompareMenu menu;
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    if (!shown || shown->Device->DataSetCount < 2) {
        return menu;
    }
    menu.Offered = true;
    menu.FindEnabled = compareTarget(*shown) != nullptr;
    menu.Items.push_back({QStringLiteral("Disabled"), -1, !menu.FindEnabled});
    for (int i = 0; i < shown->Device->DataSetCount; ++i) {
        const CDataSet* ds = shown->Device->DataSetAt(i);
        if (ds == nullptr || i == shown->Device->ShownDataSet) {
            continue;
        }
        menu.Items.push_back({QString::fromLatin1(ds->Name.c_str()), i,
                              menu.FindEnabled && shown->DataSet->CompareTo == i});
    }
    return menu;
}

void CBufferToolCommands::SetCompareTo(int tag) {
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    if (!shown) {
        return;
    }
    project_.SetCompareTo(shown->DeviceIndex, shown->Device->ShownDataSet, tag);
    refresh();
}

void CBufferToolCommands::FindNextDifference() {
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    const CDataSet* target = shown ? compareTarget(*shown) : nullptr;
    if (target == nullptr) {
        return;
    }
    const std::optional<std::uint64_t> hit =
        editor::findNextDifference(*shown->DataSet, *target, shown->Memory, shown->State->Cursor);
    showDifference(hit);
}

void CBufferToolCommands::FindPreviousDifference() {
    const std::optional<ShownBuffer> shown = shownBuffer(project_);
    const CDataSet* target = shown ? compareTarget(*shown) : nullptr;
    if (target == nullptr) {
        return;
    }
    const std::uint64_t size =
        std::min(shown->DataSet->MemSize(shown->Memory), target->MemSize(shown->Memory));
    const std::optional<std::uint64_t> hit =
        findPreviousDifference(readerOf(*shown->DataSet, shown->Memory),
                               readerOf(*target, shown->Memory), shown->State->Cursor, size);
    showDifference(hit);
}

CBufferSearch::CBufferSearch(CDataSet& dataSet, int memory, int mode)
    : dataSet_(dataSet), memory_(memory), mode_(mode), mapping_(dataSet.Map()),
      bytes_(dataSet.MemoryBytes(mapping_, memory)) {}

CBufferSearch::FindOutcome CBufferSearch::Find(const QString& text, bool hex, bool caseSensitive,
                                               bool forward, bool entireScope,
                                               std::size_t cursor) const {
    FindOutcome out;
    if (text.isEmpty() || bytes_.empty()) {
        return out;
    }
    SearchPattern pattern;
    const std::string typed = text.toLatin1().toStdString();
    if (hex) {
        std::string message;
        if (!parseHexPattern(typed, mode_, pattern.Bytes, message)) {
            out.Message = QString::fromStdString(message);
            return out;
        }
        pattern.CaseSensitive = true;
    } else {
        pattern.Bytes.assign(typed.begin(), typed.end());
        pattern.CaseSensitive = caseSensitive;
    }
    const std::size_t start = findStartOffset(cursor, bytes_.size(), forward, entireScope);
    out.Hit = forward ? findForward(bytes_, pattern, start) : findBackward(bytes_, pattern, start);
    if (!out.Hit) {
        out.Message = QString::fromStdString(notFoundMessage(typed, hex));
    }
    return out;
}

ReplaceOutcome CBufferSearch::Replace(const QString& find, const QString& replaceWith, bool forward,
                                      bool caseSensitive, bool replaceAll, std::size_t cursor) {
    ReplaceRequest request;
    request.Find = find.toLatin1().toStdString();
    request.ReplaceWith = replaceWith.toLatin1().toStdString();
    request.Forward = forward;
    request.CaseSensitive = caseSensitive;
    request.ReplaceAll = replaceAll;
    if (bytes_.empty()) {
        return {};
    }
    ReplaceOutcome out = replaceInDataSet(dataSet_, memory_, bytes_, request, cursor, restart_);
    if (out.Count > 0) {
        // The bytes changed through the mapping: the views re-read them.
        dataSet_.OnBytesChanged(memory_, 0, bytes_.size());
    }
    return out;
}

} // namespace zelmo::editor
