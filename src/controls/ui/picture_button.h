#pragma once

// A flat button that shows a picture (normal and disabled forms) with its caption below or
// beside it, raised while the pointer is over it. Used for every command button of the main
// window; a button that stands for a command takes that command's action.

#include <QToolButton>

namespace zelmo {

class TPictureButton : public QToolButton {
    Q_OBJECT
public:
    enum class Caption { Below, Beside, None };

    explicit TPictureButton(const QString& picture, const QString& caption = {},
                            Caption where = Caption::Below, int pictureSize = 24,
                            QWidget* parent = nullptr);

    // Takes the action's caption, hint and enabled state, and shows `picture` for it.
    void SetCommand(QAction* action);
    void SetPicture(const QString& picture);
    const QString& PictureName() const { return picture_; }

private:
    QString picture_;
};

} // namespace zelmo
