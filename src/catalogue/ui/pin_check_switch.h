#pragma once

// The main window's "Pin contact check" box: a change by the user switches the pin check of the
// active device (or of every linked device) and reports it in the log and the status line.

#include <QObject>

namespace zelmo {

class TfMain;

class TPinCheckSwitch : public QObject {
    Q_OBJECT
public:
    explicit TPinCheckSwitch(TfMain& window);

    void cbPinCheckClick(bool on);

private:
    TfMain& window_;
};

} // namespace zelmo
