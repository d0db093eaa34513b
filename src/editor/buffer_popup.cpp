#include "editor/buffer_popup.h"

#include "project/device_descriptor.h"

namespace zelmo::editor {

BufferPopup bufferPopup(const BufferInfo& info, bool linkDevices, int recentFiles, int dataSets) {
    const bool readOnly = (info.Flags & BUF_READ_ONLY) != 0;
    const int mode = info.Organization;
    const bool fusesOrVectors = mode == ORG_FUSE_MAP || mode == ORG_TEST_VECTORS;
    BufferPopup menu;
    menu.LoadBuffer = !readOnly;
    menu.LoadRecent = !readOnly && recentFiles > 0;
    menu.SaveBuffer = true;
    menu.FillBuffer = !readOnly && !fusesOrVectors;
    menu.ClearBuffer = !readOnly;
    menu.Swap = !readOnly && !fusesOrVectors;
    menu.Find = !fusesOrVectors && !linkDevices;
    // Modes the view does not know are shown as bytes, so they count as 8-bit here too.
    const bool byteMode = mode != ORG_16BIT && mode != ORG_32BIT && !fusesOrVectors;
    menu.Replace = !readOnly && byteMode && !linkDevices;
    menu.GoToAddress = !fusesOrVectors;
    menu.DisplayMode = !fusesOrVectors;
    menu.Compare = !fusesOrVectors && dataSets >= 2;
    menu.ChecksumCalc = !fusesOrVectors;
    if (!fusesOrVectors) {
        menu.CheckedMode = mode == ORG_16BIT ? 1 : mode == ORG_32BIT ? 2 : 0;
    }
    for (const AreaInfo& area : info.Areas) {
        QString name = FieldQString(area.Name);
        if (!name.isEmpty()) {
            menu.Areas.push_back({std::move(name), area.Start});
        }
    }
    menu.GoToArea = !menu.Areas.empty();
    return menu;
}

} // namespace zelmo::editor
