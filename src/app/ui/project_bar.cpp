#include "app/ui/project_bar.h"

#include "app/ui/main_commands.h"
#include "controls/ui/elided_label.h"
#include "controls/ui/hover_label.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace zelmo {

namespace {

QFrame* Separator() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

TPictureButton* Button(const QString& picture, const QString& caption, const QString& hint) {
    auto* b = new TPictureButton(picture, caption, TPictureButton::Caption::Below, 26);
    b->setToolTip(hint);
    b->setMinimumWidth(58);
    return b;
}

} // namespace

TProjectBar::TProjectBar(TMainCommands& commands, QWidget* parent)
    : QWidget(parent), commands_(commands) {
    iLogo = new THoverLabel;
    iLogo->setPixmap(
        PicturePixmap(QStringLiteral("logo_product"), QSize(156, 48), devicePixelRatioF()));
    iLogo->setToolTip(tr("About Zelmo 2"));
    iMakerLogo = new THoverLabel;
    iMakerLogo->setPixmap(
        PicturePixmap(QStringLiteral("logo_maker"), QSize(130, 40), devicePixelRatioF()));
    iMakerLogo->setToolTip(tr("Visit the maker's web site"));

    bNewProject = Button(QStringLiteral("project_new"), tr("New"), tr("New project"));
    bOpenProject = Button(QStringLiteral("project_open"), tr("Open"), tr("Open project"));
    bSaveProject = Button(QStringLiteral("project_save"), tr("Save"), tr("Save project"));
    bOptions = Button(QStringLiteral("options"), tr("Options"), tr("Main program setup"));
    bHelp = Button(QStringLiteral("help"), tr("Help"), tr("Help"));
    bClose = Button(QStringLiteral("close_app"), tr("Close"), tr("Close application"));

    // Open, Save and Help always offer their menus; New does only with card commands.
    for (auto [button, menu] :
         {std::pair{bOpenProject, commands.pmOpen}, std::pair{bSaveProject, commands.pmSave},
          std::pair{bHelp, commands.pmHelp}}) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }
    connect(bNewProject, &QToolButton::clicked, this, [this] {
        if (cardCommands_) {
            commands_.pmNew->exec(bNewProject->mapToGlobal(QPoint(0, bNewProject->height())));
        } else {
            commands_.miCreateNewProject->trigger();
        }
    });
    connect(bOptions, &QToolButton::clicked, commands.miOptions, &QAction::trigger);
    connect(bClose, &QToolButton::clicked, commands.miClose, &QAction::trigger);
    // The buttons follow their commands' enabled state.
    const auto follow = [](QWidget* button, QAction* action) {
        button->setEnabled(action->isEnabled());
        QObject::connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    };
    follow(bNewProject, commands.miCreateNewProject);
    follow(bOpenProject, commands.miOpenProject);
    follow(bSaveProject, commands.miSaveProject);
    follow(bOptions, commands.miOptions);
    follow(bHelp, commands.miHelp);
    follow(bClose, commands.miClose);

    auto* projectLabel = new QLabel(tr("Project:"));
    lProjectName = new TElidedLabel(Qt::ElideMiddle);
    lProjectName->setObjectName(QStringLiteral("lProjectName"));
    lProjectName->SetField(true);
    lProjectName->setMinimumWidth(120);
    auto* name = new QVBoxLayout;
    name->addStretch(1);
    name->addWidget(projectLabel);
    name->addWidget(lProjectName);
    name->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    layout->addWidget(iLogo);
    layout->addSpacing(10);
    layout->addWidget(Separator());
    for (QWidget* b : {bNewProject, bOpenProject, bSaveProject}) {
        layout->addWidget(b);
    }
    layout->addWidget(Separator());
    for (QWidget* b : {bOptions, bHelp, bClose}) {
        layout->addWidget(b);
    }
    layout->addWidget(Separator());
    layout->addSpacing(8);
    layout->addLayout(name, 1);
    layout->addSpacing(16);
    layout->addWidget(iMakerLogo);
    SetProjectName(QString());
}

void TProjectBar::SetCardCommands(bool available) {
    cardCommands_ = available;
    bNewProject->setToolTip(available ? tr("New project or card command") : tr("New project"));
}

void TProjectBar::SetProjectName(const QString& path) {
    lProjectName->SetFullText(path.isEmpty() ? tr("(not saved)") : path);
}

} // namespace zelmo
