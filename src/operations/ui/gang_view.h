#pragma once

// The "Gang" page: one panel per device slot 0-7 in two rows of four, each with the device
// icon, the serial value, the slot's statistics, its three lights, the busy spinner and the
// progress. What each panel shows comes from the model (gang_panels.h); the page only paints.

#include <QWidget>

#include <array>

class QLabel;
class QProgressBar;

namespace zelmo {

class COperations;
class TCaptionPanel;
class TProject;

class TGangPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGangPanel(int slot, QWidget* parent = nullptr);

    TCaptionPanel* pePanel = nullptr;
    QLabel* iDevice = nullptr;
    QLabel* lSerial = nullptr;
    QLabel* lGood = nullptr;
    QLabel* lBad = nullptr;
    QLabel* lTotal = nullptr;
    QLabel* iBusy = nullptr;
    QLabel* iError = nullptr;
    QLabel* iGood = nullptr;
    QLabel* iSpinner = nullptr;
    QLabel* lProgress = nullptr;
    QProgressBar* pbProgress = nullptr;
};

class TGangView : public QWidget {
    Q_OBJECT
public:
    TGangView(TProject& project, COperations& operations, QWidget* parent = nullptr);

    // Every panel: visibility, lights, progress, statistics, serial values and hints.
    void Refresh();
    void RefreshVisibility();
    void RefreshLights(int slot);
    void RefreshProgress(int slot);
    void RefreshStatistics();
    void RefreshSerialization();
    // The spinner picture 0-3 of a slot, or -1 to hide it.
    void SetSpinner(int slot, int picture);

    std::array<TGangPanel*, 8> panels{};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TProject& project_;
    COperations& operations_;
    QObject* watchedWindow_ = nullptr;
};

} // namespace zelmo
