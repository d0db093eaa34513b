#pragma once

// The About box "About Zelmo": the software release, the attached programmers one at a time
// (stepped with "<" and ">"), the maker's web site and "Check for Update".

#include "abi/hardware_api.h"
#include "project/build_day.h"

#include <QDialog>

#include <span>

class QLabel;
class QToolButton;

namespace zelmo {

class THoverLabel;

class TfAbout : public QDialog {
    Q_OBJECT
public:
    TfAbout(std::span<const ProgrammerInfo> programmers, const BuildDayBytes& buildDay,
            QWidget* parent = nullptr);

    void bPreviousClick();
    void bNextClick();
    void lUpdateClick();

    QLabel* lModel = nullptr;
    QLabel* lHardwareVersion = nullptr;
    QLabel* lFirmwareVersion = nullptr;
    QLabel* lSerialNumber = nullptr;
    QLabel* lDevice = nullptr;
    QLabel* lSoftwareVersion = nullptr;
    QToolButton* bPrevious = nullptr;
    QToolButton* bNext = nullptr;
    THoverLabel* lWeb = nullptr;
    THoverLabel* lUpdate = nullptr;

private:
    void ShowProgrammer();

    std::span<const ProgrammerInfo> programmers_;
    int position_ = 0;
};

} // namespace zelmo
