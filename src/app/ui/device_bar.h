#pragma once

// The device bar: the project tree's place, the device commands ("Add device", "Remove device",
// the setup menu, "Buffer options", the "Link devices" toggle) and the project description.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QVBoxLayout;

namespace zelmo {

class TCaptionPanel;
class TMainCommands;
class TPictureButton;

inline constexpr int kUserDescrChars = 1016;

class TDeviceBar : public QWidget {
    Q_OBJECT
public:
    explicit TDeviceBar(TMainCommands& commands, QWidget* parent = nullptr);

    // Puts the project tree in its place (the bar takes ownership); replaces the placeholder.
    void SetProjectTree(QWidget* tree);
    QWidget* ProjectTree() const { return tree_; }
    // Shows the link toggle's picture for the state.
    void SetLinked(bool linked);

    TCaptionPanel* peDevices = nullptr;
    TPictureButton* bPlus = nullptr;
    TPictureButton* bMinus = nullptr;
    TPictureButton* bSetup = nullptr;
    TPictureButton* bFile = nullptr;
    TPictureButton* iLinkDevices = nullptr;
    QPlainTextEdit* mUserDescr = nullptr;

private:
    QVBoxLayout* treePlace_ = nullptr;
    QWidget* tree_ = nullptr;
};

} // namespace zelmo
