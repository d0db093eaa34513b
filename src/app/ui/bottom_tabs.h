#pragma once

// The bottom tab strip of the main window and its pages: "Log" (the message log view), "Info"
// (device information), one tab per memory (the buffer views, with the file name and checksum
// above them) and "Gang" (the gang panels with the global statistics). Each page other than the
// log has a place that the view of its own part fills.

#include <QWidget>

class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace zelmo {

class TLogView;
class TMainCommands;
class TPictureButton;
class TTabStrip;

class TBottomTabs : public QWidget {
    Q_OBJECT
public:
    explicit TBottomTabs(TMainCommands& commands, QWidget* parent = nullptr);

    void SetInfoView(QWidget* view);
    void SetBufferView(QWidget* view);
    void SetGangView(QWidget* view);
    QWidget* BufferView() const { return buffer_; }

    // Caption of memory tab m (0 = A).
    void SetMemoryCaption(int m, const QString& caption);
    // Selects tab `tab` without reporting it as the user's choice.
    void ShowTab(int tab);
    // Shows the page for a tab choice (see BottomPage in bottom_tabs_model.h).
    void ShowPage(int page);

    TTabStrip* tceTabs = nullptr;
    QStackedWidget* pages = nullptr;
    TLogView* reLog = nullptr;
    QLabel* lFileName = nullptr;
    QLabel* lChecksumLabel = nullptr;
    QLabel* lChecksum = nullptr;
    QLabel* lGlobalGood = nullptr;
    QLabel* lGlobalBad = nullptr;
    QLabel* lGlobalTotal = nullptr;
    TPictureButton* bGlobalStatClear = nullptr;

signals:
    // The user chose tab `tab` (BottomTab numbering).
    void tabSelected(int tab);

private:
    static void Replace(QVBoxLayout* place, QWidget*& current, QWidget* view);

    QVBoxLayout* infoPlace_ = nullptr;
    QVBoxLayout* bufferPlace_ = nullptr;
    QVBoxLayout* gangPlace_ = nullptr;
    QWidget* info_ = nullptr;
    QWidget* buffer_ = nullptr;
    QWidget* gang_ = nullptr;
    bool showing_ = false;
};

} // namespace zelmo
