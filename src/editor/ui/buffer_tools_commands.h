#pragma once

// The buffer tool commands in the main window: Fill, Clear, Swap, Find, Replace, Go to address,
// the Compare submenu, the checksum calculator and the status line's checksum field. The model
// commands (CBufferToolCommands) get the window's log, status message, message dialogs and busy
// window; the dialogs are made here for one use each. The buffer view reaches the commands
// through AttachView, which connects its popup's requests and gives the tools its cursor moves
// and page refresh.

#include "editor/buffer_tool_commands.h"
#include "editor/buffer_view_model.h"
#include "project/executor.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QMenu;

namespace zelmo {
class TfMain;
}

namespace zelmo::editor {

class TBufferTools;
TBufferTools* InstallBufferTools(TfMain& window);

class TBufferTools : public QObject {
    Q_OBJECT
public:
    explicit TBufferTools(TfMain& window);
    ~TBufferTools() override;

    // How the tools move the buffer view and repaint it. Until a view attaches, cursor moves go
    // to a view model of the tools' own (the device's view state) and the page is not painted.
    struct ViewSeam {
        std::function<void(std::uint64_t address)> GoToAddress;
        std::function<void()> RefreshPage;
    };
    void SetViewSeam(ViewSeam seam) { seam_ = std::move(seam); }

    // Connects a buffer view's popup requests (fill, clear, swap, find, replace, go to, the
    // Compare submenu, the calculator) and takes its GoToAddress and RefreshPage.
    template <class View> void AttachView(View* view) {
        connect(view, &View::fillRequested, this, &TBufferTools::miFillBufferClick);
        connect(view, &View::clearRequested, this, &TBufferTools::miClearBufferClick);
        connect(view, &View::swapRequested, this, [this](int item) { miSwapClick(10 + item); });
        connect(view, &View::findRequested, this, &TBufferTools::miFindClick);
        connect(view, &View::replaceRequested, this, &TBufferTools::miReplaceClick);
        connect(view, &View::goToAddressRequested, this, &TBufferTools::miGoToAddressClick);
        connect(view, &View::compareMenuShowing, this, &TBufferTools::FillCompareMenu);
        connect(view, &View::checksumCalculatorRequested, this, &TBufferTools::miChecksumCalcClick);
        SetViewSeam({.GoToAddress = [view](std::uint64_t a) { view->GoToAddress(a); },
                     .RefreshPage = [view] { view->RefreshPage(true); }});
    }

    CBufferToolCommands& Commands() { return *commands_; }

    void miFillBufferClick();
    void miClearBufferClick();
    void miSwapClick(int kind); // 10 bytes, 11 words, 12 nibbles
    void miFindClick();
    void miReplaceClick();
    void miGoToAddressClick();
    void miChecksumCalcClick();
    void miFindNextDiffClick();
    void miFindPreviousDiffClick();
    void miCompareItemClick(int tag);
    // Rebuilds the Compare submenu as it opens.
    void FillCompareMenu(QMenu* menu);
    // The status line's checksum field: click and refresh.
    void lChecksumClick();
    void RefreshChecksum();

protected:
    friend TBufferTools* InstallBufferTools(TfMain& window);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void goTo(std::uint64_t address);
    void refreshPage();
    void openSearch(bool replace);

    TfMain& window_;
    CMainThreadExecutor executor_;
    BufferViewModel ownView_;
    ViewSeam seam_;
    std::unique_ptr<CBufferToolCommands> commands_;
    QLabel* lChecksum_ = nullptr;
};

// Makes the tools for the main window (a child of it, found again with findChild), connects the
// checksum field and puts its refresh into the full refresh.
TBufferTools* InstallBufferTools(TfMain& window);

} // namespace zelmo::editor
