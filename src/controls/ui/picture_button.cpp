#include "controls/ui/picture_button.h"

#include "controls/ui/pictures.h"

#include <QAction>

namespace zelmo {

TPictureButton::TPictureButton(const QString& picture, const QString& caption, Caption where,
                               int pictureSize, QWidget* parent)
    : QToolButton(parent) {
    SetPicture(picture);
    setText(caption);
    setIconSize(QSize(pictureSize, pictureSize));
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    switch (where) {
    case Caption::Below:
        setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        break;
    case Caption::Beside:
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        break;
    case Caption::None:
        setToolButtonStyle(Qt::ToolButtonIconOnly);
        break;
    }
}

void TPictureButton::SetPicture(const QString& picture) {
    picture_ = picture;
    setIcon(Picture(picture));
}

void TPictureButton::SetCommand(QAction* action) {
    const Qt::ToolButtonStyle style = toolButtonStyle();
    action->setIcon(Picture(picture_));
    setDefaultAction(action);
    setToolButtonStyle(style);
}

} // namespace zelmo
