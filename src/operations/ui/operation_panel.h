#pragma once

// The operation tabs of the main window: the tab strip (Program, Read and Erase from the top,
// Single below) and the button panel of the selected tab. The tab buttons show whether their
// operation is part of the tab's set; the Single tab's buttons run one operation each. What is
// enabled and selected comes from COperations; clicks go back to it.

#include <QWidget>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

class QStackedWidget;

namespace zelmo {

class COperations;
class TPictureButton;
class TProject;

// The tab strip, drawn as one picture; a click selects the tab of its row (TabAtHeight).
class TOperationTabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TOperationTabStrip(QWidget* parent = nullptr);

    // The selected tab (OperationTab), or -1 for the neutral picture without devices.
    void SetSelected(int tab);
    int Selected() const { return selected_; }
    QSize sizeHint() const override;

signals:
    void tabClicked(std::uint8_t tab);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int selected_ = -1;
};

class TOperationPanel : public QWidget {
    Q_OBJECT
public:
    TOperationPanel(TProject& project, COperations& operations, QWidget* parent = nullptr);

    // Tab picture, visible panel and every button's picture and state.
    void Refresh();

    TOperationTabStrip* iTabs = nullptr;
    QStackedWidget* pPanels = nullptr;
    QWidget* pSingle = nullptr;
    QWidget* pErase = nullptr;
    QWidget* pRead = nullptr;
    QWidget* pProgram = nullptr;
    TPictureButton* bCheckIDE = nullptr;
    TPictureButton* bEraseE = nullptr;
    TPictureButton* bBlankCheckE = nullptr;
    TPictureButton* bCheckIDR = nullptr;
    TPictureButton* bReadR = nullptr;
    TPictureButton* bVerifyR = nullptr;
    TPictureButton* bCheckIDP = nullptr;
    TPictureButton* bBlankCheckP = nullptr;
    TPictureButton* bEraseP = nullptr;
    TPictureButton* bProgramP = nullptr;
    TPictureButton* bVerifyP = nullptr;
    TPictureButton* bConfigP = nullptr;
    TPictureButton* bTestP = nullptr;
    // bCheckIDS, bReadS, bEraseS, bBlankCheckS, bProgramS, bVerifyS, bConfigS, bTestS (tags 1-8).
    std::array<TPictureButton*, 8> bSingle{};

private:
    struct TabButton {
        TPictureButton* button;
        std::uint8_t tab;
        std::uint32_t bit;
    };
    QWidget*
    MakeTabPanel(std::uint8_t tab,
                 std::initializer_list<std::pair<TPictureButton**, std::uint32_t>> buttons);

    TProject& project_;
    COperations& operations_;
    std::vector<TabButton> tabButtons_;
};

// The picture of an operation bit ("op_program", ...), and its caption.
QString OperationPicture(std::uint32_t bit);
QString OperationCaption(std::uint32_t bit);

} // namespace zelmo
