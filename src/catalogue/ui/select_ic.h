#pragma once

// TfSelectIC, "Select device": the device type buttons, the vendor list, the search field, the
// 16-row device grid with its own scroll bar, the details and the vendor logo of the highlighted
// device, the adapter choice and the number of copies. The rules live in CSelectionModel; the
// dialog sets its controls from it and forwards every change and key.

#include "catalogue/selection_model.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTableWidget;

namespace zelmo {

class TElidedLabel;
class TProject;

// The 100 x 100 vendor logo: white without a picture, the picture only when it is exactly
// 100 x 100 pixels, nothing otherwise. A click asks for the vendor's web page.
class TLogoBox : public QWidget {
    Q_OBJECT
public:
    explicit TLogoBox(QWidget* parent = nullptr);
    void SetPicture(const QString& path);
    bool HasPicture() const { return loaded_; }
    bool Drawn() const { return loaded_ && drawable_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString path_;
    QPixmap picture_;
    bool loaded_ = false;
    bool drawable_ = false;
};

class TfSelectIC : public QDialog {
    Q_OBJECT
public:
    // The adapter creator, opened on a path; its file when it was closed other than by Cancel.
    using AdapterCreator =
        std::function<std::optional<QString>(QWidget* parent, const QString& path)>;
    // Installed by the adapter creator's part; without one "Open Adapter Creator" stays disabled.
    static void SetAdapterCreator(AdapterCreator creator);

    TfSelectIC(const CCatalogue& catalogue, const QString& appDir,
               CSelectionModel::VendorNameFn vendorName, const LastSelection& last,
               QWidget* parent = nullptr);

    // Shows the dialog on the project's last selection; a confirmed selection is returned and
    // becomes the project's last selection.
    static std::optional<DeviceSelection> Run(QWidget* parent, const CCatalogue& catalogue,
                                              const QString& appDir,
                                              CSelectionModel::VendorNameFn vendorName,
                                              TProject& project);

    CSelectionModel& Model() { return model_; }
    const LastSelection& Last() const { return last_; }

    std::vector<QRadioButton*> rbTypes; // rbAll ... rbSpecial, in dialog order
    QListWidget* lbManuf = nullptr;
    QLineEdit* eFilter = nullptr;
    QTableWidget* sgDevices = nullptr;
    QScrollBar* sbDevices = nullptr;
    QLabel* lDevCount = nullptr;
    std::array<QLabel*, 4> lMemory{}; // lMemoryA to lMemoryD
    QLabel* lDeviceName = nullptr;
    QLabel* LabelLib = nullptr;
    QLabel* LabelVendor = nullptr;
    TLogoBox* iLogo = nullptr;
    QRadioButton* rbGenericAdapter = nullptr;
    QRadioButton* rbUserAdapter = nullptr;
    TElidedLabel* pbAdapterFile = nullptr;
    QPushButton* bLoadAdapter = nullptr;
    QPushButton* bAdapterCreator = nullptr;
    QComboBox* cbMultAdd = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    // "Load adapter file" with a chosen path (the file dialog's answer).
    void LoadAdapterFile(const QString& path);
    void bOKClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* TypeButtons();
    QWidget* DeviceArea();
    QWidget* DetailsArea();
    QWidget* AdapterArea();
    void Refresh();
    void FillGrid();
    void bLoadAdapterClick();
    void bAdapterCreatorClick();
    void iLogoClick();

    const CCatalogue& catalogue_;
    CSelectionModel model_;
    LastSelection last_;
    QButtonGroup* typeGroup_ = nullptr;
    bool updating_ = false;
};

} // namespace zelmo
