#pragma once

// The project bar along the top of the main window: the product logo (opens the About box),
// "New", "Open", "Save", "Options", "Help" and "Close application", the project's file name,
// and the maker's logo (opens the maker's web site).

#include <QWidget>

namespace zelmo {

class TMainCommands;
class TPictureButton;
class THoverLabel;
class TElidedLabel;

class TProjectBar : public QWidget {
    Q_OBJECT
public:
    explicit TProjectBar(TMainCommands& commands, QWidget* parent = nullptr);

    // "New" opens its menu only when every programmer can work with cards; otherwise it creates
    // a new project at once.
    void SetCardCommands(bool available);
    // The project's file name, shortened with an ellipsis to the box.
    void SetProjectName(const QString& path);

    THoverLabel* iLogo = nullptr;
    THoverLabel* iMakerLogo = nullptr;
    TPictureButton* bNewProject = nullptr;
    TPictureButton* bOpenProject = nullptr;
    TPictureButton* bSaveProject = nullptr;
    TPictureButton* bOptions = nullptr;
    TPictureButton* bHelp = nullptr;
    TPictureButton* bClose = nullptr;
    TElidedLabel* lProjectName = nullptr;

private:
    TMainCommands& commands_;
    bool cardCommands_ = false;
};

} // namespace zelmo
