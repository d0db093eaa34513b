#pragma once

// TfGoToAddress ("Go to address"): a hex field and a decimal field that mirror each other, and
// "Offset" to count from the cursor. The value counts cells of the display mode; OK moves the
// view there, or does nothing (the dialog stays open) when the address lies beyond the buffer.

#include <QDialog>

#include <cstdint>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zelmo::editor {

struct GoToInput {
    int Mode = 1;             // display mode: 1, 2 or 3
    std::uint64_t Cursor = 0; // byte address of the view's cursor
    std::uint64_t Size = 0;   // bytes of the buffer
    std::function<void(std::uint64_t address)> GoToAddress;
};

class TfGoToAddress : public QDialog {
    Q_OBJECT
public:
    explicit TfGoToAddress(GoToInput input, QWidget* parent = nullptr);

    QLineEdit* eHex = nullptr;
    QLineEdit* eDec = nullptr;
    QCheckBox* cbOffset = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    void bOKClick();

private:
    GoToInput input_;
};

} // namespace zelmo::editor
