#pragma once

// The buffer view's tool commands without their windows: Fill, Clear and Swap through the fill
// worker, the status line's checksum field and the checksum calculator through the checksum
// worker, the Compare submenu with the next and previous difference, and Find and Replace over
// a mapping of the shown data set's swap file. Every question, message, log line, busy window,
// dialog and cursor move goes through the host, so the commands run the same under the main
// window and in tests. They work on what the buffer view shows: the active device's shown data
// set and current memory, its display mode and the view state (cursor, selection) kept in the
// device.

#include "app/log_kind.h"
#include "editor/buffer_search.h"
#include "editor/checksum_engine.h"
#include "editor/tool_dialog_rules.h"
#include "platform/file_io.h"
#include "platform/progress.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QThread;

namespace zelmo {
class CDataSet;
class CDevice;
class CExecutor;
class TProject;
struct BufferViewState;
} // namespace zelmo

namespace zelmo::editor {

// What the fill dialog opens with.
struct FillDialogInput {
    std::uint32_t Size = 0; // bytes of the buffer
    ByteRange Range;        // the selection, or the whole buffer
    int Mode = 1;           // display mode: 1, 2 or 3
    bool DebugMode = false; // "Test (512)" is offered
};

struct BufferToolHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    std::function<void(const QString& text)> SetStatus;
    // The message dialog with OK and the warning or the information icon.
    std::function<void(const QString& text)> Warn;
    std::function<void(const QString& text)> Inform;
    // The message dialog with the question icon, Yes and No; true for Yes.
    std::function<bool(const QString& question)> Confirm;
    // Runs `worker` under the busy window showing `busyText` and `progress`; returns once the
    // worker has ended.
    std::function<void(QThread& worker, Progress* progress, const QString& busyText)> RunWorker;
    // The fill dialog; kind 0 when it was cancelled.
    std::function<FillChoice(const FillDialogInput& input)> FillDialog;
    // Moves the buffer view and its cursor to a byte address.
    std::function<void(std::uint64_t address)> GoToAddress;
    // After the buffer changed: the page, the size, file-name and checksum fields.
    std::function<void()> Refresh;
};

// What the tools work on: the buffer the view shows.
struct ShownBuffer {
    int DeviceIndex = 0;
    CDevice* Device = nullptr;
    CDataSet* DataSet = nullptr;
    int Memory = 0;
    int Mode = 1; // organisation of the memory: 1, 2, 3, or 5 and 6 for fuses and vectors
    std::uint32_t Size = 0;
    BufferViewState* State = nullptr;
};
std::optional<ShownBuffer> shownBuffer(TProject& project);

// One entry of the Compare submenu below its separator.
struct CompareItem {
    QString Caption; // "Disabled" or the data set's name
    int Tag = -1;    // -1 or the data set's index
    bool Checked = false;
};
struct CompareMenu {
    bool Offered = false;     // the device has at least two data sets
    bool FindEnabled = false; // "Find next difference" and "Find previous difference"
    std::vector<CompareItem> Items;
};

// The difference before the cursor: the first byte of the nearest run of differing bytes that
// begins below `cursor` (the run the cursor stands in, when it stands after its first byte).
// Reads both from the top down in 64 KiB pieces; a short read ends the scan.
std::optional<std::uint64_t> findPreviousDifference(const PieceReader& a, const PieceReader& b,
                                                    std::uint64_t cursor, std::uint64_t size);

class CBufferToolCommands {
public:
    CBufferToolCommands(TProject& project, CExecutor& executor, BufferToolHost host);

    // "Fill": the dialog, then the worker and the log lines.
    void Fill();
    // "Clear": the question, then the worker over the selection or the whole buffer (the fuse
    // map and the test vectors of a programmable logic device).
    void Clear();
    // "Swap": kind 10, 11 or 12 over the whole buffer, after the question.
    void Swap(int kind);
    // The status line's checksum field was clicked: the buffer checksum anew.
    void ChecksumFieldClick();
    // The calculator's nine values over bytes `from` to `to` of the shown buffer.
    ChecksumValues Calculate(std::uint32_t from, std::uint32_t to);

    CompareMenu CompareMenuNow() const;
    // A Compare submenu item: a data set's index, or -1 for "Disabled".
    void SetCompareTo(int tag);
    // "Find next difference" and "Find previous difference".
    void FindNextDifference();
    void FindPreviousDifference();

    TProject& Project() { return project_; }
    const BufferToolHost& Host() const { return host_; }

private:
    // The shown buffer for a command that changes it; none (with the status message when the
    // device is busy) when it cannot run.
    std::optional<ShownBuffer> changeable();
    // Runs the fill worker; false when the run failed (logged with its reason).
    bool runFill(const ShownBuffer& shown, int memory, std::uint32_t first, std::uint32_t length,
                 std::uint32_t value, int kind, bool clear, const QString& busyText,
                 std::optional<std::uint32_t>* checksum = nullptr);
    void runWorker(QThread& worker, Progress* progress, const QString& text);
    void showDifference(const std::optional<std::uint64_t>& hit);
    void logHeader(int device);
    void log(LogKind kind, const QString& text);
    void status(const QString& text);
    void refresh();
    const CDataSet* compareTarget(const ShownBuffer& shown) const;

    TProject& project_;
    CExecutor& executor_;
    BufferToolHost host_;
};

// Find and Replace over the shown memory, through a mapping of the data set's whole swap file
// that lives as long as the dialog.
class CBufferSearch {
public:
    CBufferSearch(CDataSet& dataSet, int memory, int mode);
    bool Mapped() const { return !bytes_.empty(); }
    std::size_t Size() const { return bytes_.size(); }

    struct FindOutcome {
        std::optional<std::size_t> Hit; // offset of the match: the new cursor
        QString Message;                // the Information message to show, when not empty
    };
    // One Find press from the view's cursor. `text` is the search text as typed (hex digits
    // when `hex`); an empty text does nothing.
    FindOutcome Find(const QString& text, bool hex, bool caseSensitive, bool forward,
                     bool entireScope, std::size_t cursor) const;

    // A text field of the Replace dialog changed: the next press starts on the cursor.
    void TextsChanged() { restart_ = true; }
    // One Replace press; after a replacement the memory counts as edited.
    ReplaceOutcome Replace(const QString& find, const QString& replaceWith, bool forward,
                           bool caseSensitive, bool replaceAll, std::size_t cursor);

private:
    CDataSet& dataSet_;
    int memory_;
    int mode_;
    platform::Mapping mapping_;
    std::span<std::uint8_t> bytes_;
    bool restart_ = true;
};

} // namespace zelmo::editor
