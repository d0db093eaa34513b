#include "app/ui/device_bar.h"

#include "app/ui/main_commands.h"
#include "controls/ui/caption_panel.h"
#include "controls/ui/elided_label.h"
#include "controls/ui/picture_button.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zelmo {

namespace {

// What the tree's place shows until the project tree is put there.
QWidget* TreePlaceholder() {
    QLabel* empty =
        PlaceholderNote(QObject::tr("No devices in the project.\nUse \"Add device\" to add one."),
                        QColor(255, 255, 225));
    empty->setObjectName(QStringLiteral("tvDevices"));
    empty->setFrameShape(QFrame::StyledPanel);
    empty->setFrameShadow(QFrame::Sunken);
    empty->setMinimumHeight(90);
    return empty;
}

} // namespace

TDeviceBar::TDeviceBar(TMainCommands& commands, QWidget* parent) : QWidget(parent) {
    peDevices = new TCaptionPanel(tr("Devices"));
    const auto tool = [](const QString& picture, QAction* action) {
        auto* b = new TPictureButton(picture, {}, TPictureButton::Caption::None, 22);
        b->SetCommand(action);
        return b;
    };
    bPlus = tool(QStringLiteral("device_add"), commands.miAddDevice);
    bMinus = tool(QStringLiteral("device_remove"), commands.miRemoveDevice);
    bSetup =
        new TPictureButton(QStringLiteral("device_setup"), {}, TPictureButton::Caption::None, 22);
    bSetup->setToolTip(tr("Setup"));
    bSetup->setMenu(commands.pmSetup);
    bSetup->setPopupMode(QToolButton::InstantPopup);
    bFile = tool(QStringLiteral("buffer_options"), commands.miBufferOptions);
    iLinkDevices = tool(QStringLiteral("link_off"), commands.miLinkDevices);
    connect(commands.miLinkDevices, &QAction::toggled, this, &TDeviceBar::SetLinked);
    for (TPictureButton* b : {bPlus, bMinus, bSetup, bFile, iLinkDevices}) {
        peDevices->CaptionTools()->addWidget(b);
    }

    treePlace_ = new QVBoxLayout(peDevices->Body());
    treePlace_->setContentsMargins(4, 4, 4, 4);
    tree_ = TreePlaceholder();
    treePlace_->addWidget(tree_);

    auto* description = new QLabel(tr("Description"));
    mUserDescr = new QPlainTextEdit;
    mUserDescr->setObjectName(QStringLiteral("mUserDescr"));
    mUserDescr->setPlaceholderText(tr("Notes on this project"));
    mUserDescr->setFixedHeight(mUserDescr->fontMetrics().lineSpacing() * 3 + 12);
    // The description is kept in 1016 characters; longer text is cut as it is typed.
    connect(mUserDescr, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = mUserDescr->toPlainText();
        if (text.size() > kUserDescrChars) {
            mUserDescr->setPlainText(text.left(kUserDescrChars));
            mUserDescr->moveCursor(QTextCursor::End);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(peDevices, 1);
    layout->addWidget(description);
    layout->addWidget(mUserDescr);
}

void TDeviceBar::SetProjectTree(QWidget* tree) {
    ReplacePlaceholder(treePlace_, tree_, tree);
}

void TDeviceBar::SetLinked(bool linked) {
    iLinkDevices->SetPicture(linked ? QStringLiteral("link_on") : QStringLiteral("link_off"));
    iLinkDevices->defaultAction()->setIcon(iLinkDevices->icon());
}

} // namespace zelmo
