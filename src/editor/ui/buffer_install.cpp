#include "editor/ui/buffer_install.h"

#include "app/ui/device_bar.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "controls/ui/picture_button.h"
#include "editor/ui/buffer_view.h"
#include "formats/ui/file_commands.h"

#include <QAction>
#include <QMenu>

namespace zelmo {

void InstallBufferViews(TfMain& window) {
    auto* view = new editor::TBufferView(window.Project());
    view->SetHost(
        {.Log = [&window](LogKind kind, const QString& text) { window.AddLog(kind, text); },
         .Status = [&window](const QString& text) { window.SetStatusMessage(text); }});
    window.SetBufferView(view);

    auto* files = new formats::TFileCommands(window, *view);
    window.Commands().miBufferOptions->setMenu(files->pmFile);
    window.pDevices->bFile->setPopupMode(QToolButton::InstantPopup);

    CRefreshPlan& plan = window.RefreshPlan();
    plan.Add(RefreshStep::ScrollBar, [view] { view->RefreshView(); });
    // The bottom tabs step chooses the memory shown; the view follows it.
    plan.Add(RefreshStep::BottomTabs, [view] { view->RefreshView(); });
    plan.Add(RefreshStep::MemorySize, [view] { view->RefreshEditLock(); });
    plan.Add(RefreshStep::FileName, [files] { files->RefreshFileName(); });
}

} // namespace zelmo
