#pragma once

// TfChecksum: the checksum calculator. From and To are byte addresses of the shown buffer,
// corrected when they are left and before each calculation; "Calculate" computes the two sums
// and seven CRCs over the range on the checksum worker, "Close" closes.

#include "editor/checksum_engine.h"
#include "editor/fill_range.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelmo::editor {

struct ChecksumDialogInput {
    std::uint32_t Size = 0; // bytes of the buffer
    ByteRange Range;        // the selection, or the whole buffer
    // Computes the nine values over bytes From to To (under the busy window).
    std::function<ChecksumValues(std::uint32_t from, std::uint32_t to)> Calculate;
};

class TfChecksum : public QDialog {
    Q_OBJECT
public:
    explicit TfChecksum(ChecksumDialogInput input, QWidget* parent = nullptr);

    QLineEdit* eFrom = nullptr;
    QLineEdit* eTo = nullptr;
    // The nine values in the calculator's order ("Checksum 16" ... "CRC-32").
    std::array<QLineEdit*, 9> eValue{};
    QPushButton* bCalculate = nullptr;
    QPushButton* bClose = nullptr;

    void bCalculateClick();

private:
    void eFromExit();
    void eToExit();

    ChecksumDialogInput input_;
};

} // namespace zelmo::editor
