#pragma once

// The buffer panel of the main window (`peBuffers`): the painted grids of the shown memory, the
// scroll bar beside them, the editable button and the memory size, and the popup menu of the
// grids. It follows the project notifier, so bytes written by a fill, a load or an operation
// appear without being asked for. The commands of the popup menu that other windows carry out
// (the file commands, the fill, search, compare and checksum tools) are signals.

#include "app/log_kind.h"
#include "editor/buffer_view_model.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QScrollBar;
class QTimer;

namespace zelmo {
class TPictureButton;
}

namespace zelmo::editor {

class TBufferGrids;

class TBufferView : public QWidget {
    Q_OBJECT
public:
    // Where the view reports: the message log and the status message.
    struct Host {
        std::function<void(LogKind kind, const QString& text)> Log;
        std::function<void(const QString& text)> Status;
    };

    explicit TBufferView(TProject& project, QWidget* parent = nullptr);
    ~TBufferView() override;

    void SetHost(Host host) { host_ = std::move(host); }
    BufferViewModel& Model() { return model_; }
    TBufferGrids* Grids() const { return grids_; }

    // After a change of device, data set, memory, display mode or size: the rows that fit, the
    // page of the rows on screen, the scroll bar, the editable button and the memory size.
    void RefreshView();
    // Re-reads the page (skipped while the device is busy unless forced) and repaints.
    void RefreshPage(bool force);
    // The editable button and the memory size field.
    void RefreshEditLock();
    // Moves view and cursor to a byte address (a cell index in the fuse and vector views).
    void GoToAddress(std::uint64_t address);

    // What the tool dialogs (fill, search, go-to, compare, checksum) read from and do to the
    // view. These stay as they are: other windows are built on them.
    struct ByteRange {
        std::uint64_t First = 0; // both inclusive
        std::uint64_t Last = 0;
    };
    // The memory on screen (0 = A ...), -1 without a device or data set.
    int ActiveMemory() const;
    // The selected bytes of the memory on screen; none without a selection.
    std::optional<ByteRange> SelectionRange() const;
    // The address of the cursor cell; 0 without a device.
    std::uint64_t CursorAddress() const;
    // Puts the cursor on `address` (clamped to the memory) and scrolls it into view.
    void MoveCursor(std::uint64_t address);
    // Puts the cursor on `range.First` and selects the range (a search hit, a compare
    // difference); clamped to the memory. A single byte is the cursor alone: the view marks a
    // selection of two bytes or more.
    void SelectRange(ByteRange range);

    // Display mode command (tag 0, 1, 2 for 8-, 16- and 32-bit) and the editable button.
    void miDisplayModeClick(int tag);
    void bBufferEditableClick();
    // Opens the popup menu at a point of the grids, its entries enabled for the memory now.
    void pmBufferPopup(const QPoint& global);

    QScrollBar* sbScroll = nullptr;
    TPictureButton* bBufferEditable = nullptr;
    QLabel* lMemorySize = nullptr;

    QMenu* pmBuffer = nullptr;
    QAction* miLoadBuffer = nullptr;
    QMenu* pmLoadRecent = nullptr;
    QAction* miSaveBuffer = nullptr;
    QAction* miFillBuffer = nullptr;
    QAction* miClearBuffer = nullptr;
    QMenu* pmSwap = nullptr; // "Bytes", "Words", "Nibbles"
    QAction* miFind = nullptr;
    QAction* miReplace = nullptr;
    QAction* miGoToAddress = nullptr;
    QMenu* pmGoToArea = nullptr;
    QMenu* pmDisplayMode = nullptr;
    QMenu* pmCompare = nullptr;
    QAction* miChecksumCalc = nullptr;

signals:
    void loadRequested();
    void loadRecentRequested(int index);
    void saveRequested();
    void fillRequested();
    void clearRequested();
    void swapRequested(int kind); // 0 bytes, 1 words, 2 nibbles
    void findRequested();
    void replaceRequested();
    void goToAddressRequested();
    // The Compare submenu opens: whoever owns comparison fills it.
    void compareMenuShowing(QMenu* menu);
    void checksumCalculatorRequested();
    // Editable was toggled (the file-name field shows it for the memory).
    void editableToggled();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenu();
    void followNotifier();
    void place();
    void syncScrollBar();
    void sbScrollScroll(int position);
    // The view's own edits repaint at once; everyone else's writes repaint after the burst.
    void refreshLater(bool layout);
    int gridsHeight() const;
    void logChange(const QString& text);

    // What the view showed at its last refresh.
    struct Shown {
        const CDevice* Device = nullptr;
        const CDataSet* DataSet = nullptr;
        int Memory = -1;
        int Organization = 0;
        friend bool operator==(const Shown&, const Shown&) = default;
    };

    TProject& project_;
    BufferViewModel model_;
    Shown shown_;
    TBufferGrids* grids_ = nullptr;
    QActionGroup* modes_ = nullptr;
    QTimer* later_ = nullptr;
    bool laterLayout_ = false;
    bool settingBar_ = false;
    bool wasEnabled_ = true;
    Host host_;
};

} // namespace zelmo::editor
