#pragma once

// TfFillBuff ("Fill buffer"): the value options with the constant byte and word fields and
// their character mirrors, the order of the sequential options, and the range in cells of the
// display mode. OK returns the chosen kind only for a range inside the buffer; otherwise
// "Invalid range." is shown and the dialog stays open.

#include "editor/buffer_tool_commands.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelmo::editor {

class TfFillBuff : public QDialog {
    Q_OBJECT
public:
    explicit TfFillBuff(const FillDialogInput& input, QWidget* parent = nullptr);

    // Kind 0 unless OK closed the dialog.
    const FillChoice& Choice() const { return choice_; }
    // Shows the dialog modally and returns the choice.
    FillChoice Execute();

    // One button per FillOption, in its order.
    std::array<QRadioButton*, 7> rbOption{};
    QLineEdit* eByteHex = nullptr;
    QLineEdit* eByteAscii = nullptr;
    QLineEdit* eWordHex = nullptr;
    QLineEdit* eWordAscii = nullptr;
    QComboBox* cbOrder = nullptr;
    QLineEdit* eFrom = nullptr;
    QLineEdit* eTo = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bOKClick();
    FillOption option() const;
    void optionChanged();

    FillDialogInput input_;
    FillChoice choice_;
};

} // namespace zelmo::editor
