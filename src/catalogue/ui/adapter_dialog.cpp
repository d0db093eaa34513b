#include "catalogue/ui/adapter_dialog.h"

#include "app/ui/message_dialog.h"
#include "catalogue/adapter_thread.h"
#include "controls/ui/elided_label.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace zelmo {

namespace {

const QString kFilter = QStringLiteral("Adapter files (*.adp)");
constexpr int kRowHeight = 22;

// The count fields take a text only while it is a count the field can hold.
class CountValidator : public QValidator {
public:
    CountValidator(bool (*allowed)(const QString&), QObject* parent)
        : QValidator(parent), allowed_(allowed) {}
    State validate(QString& input, int&) const override {
        return allowed_(input) ? Acceptable : Invalid;
    }

private:
    bool (*allowed_)(const QString&);
};

// The ZIF socket between the two columns of fields: its body, the lever and a pad per row,
// lit where the adapter's plug sits.
class SocketPicture : public QWidget {
public:
    explicit SocketPicture(const CAdapterCreator& creator) : creator_(creator) {
        setFixedWidth(64);
        setMinimumHeight(kRowHeight * 8); // it spans the 24 rows of fields
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF body = QRectF(rect()).adjusted(6, 0.5, -6, -0.5);
        p.setPen(QPen(QColor(40, 60, 45), 1));
        p.setBrush(QColor(57, 100, 70));
        p.drawRoundedRect(body, 6, 6);
        const double rowHeight = body.height() / 24;
        for (int row = 0; row < 24; ++row) {
            for (int right = 0; right < 2; ++right) {
                const int socketPin = right != 0 ? 48 - row : row + 1;
                const AdapterPinField& f = creator_.Fields[static_cast<std::size_t>(socketPin - 1)];
                const double x = right != 0 ? body.right() - 16 : body.left() + 4;
                const QRectF pad(x, body.top() + row * rowHeight + rowHeight / 2 - 4, 12, 8);
                p.setPen(Qt::NoPen);
                p.setBrush(f.Used ? QColor(255, 214, 90) : QColor(150, 160, 150));
                p.drawRoundedRect(pad, 2, 2);
            }
        }
        p.setPen(QColor(222, 219, 156));
        QFont f = font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 0.9);
        p.setFont(f);
        p.save();
        p.translate(body.center());
        p.rotate(-90);
        p.drawText(QRectF(-body.height() / 2, -10, body.height(), 20), Qt::AlignCenter,
                   QStringLiteral("ZIF 48"));
        p.restore();
    }

private:
    const CAdapterCreator& creator_;
};

QColor ToColor(PinFieldColour colour) {
    const Rgb rgb = PinFieldRgb(colour);
    return {rgb.Red, rgb.Green, rgb.Blue};
}

QPushButton* Button(const QString& text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfAdapter::TfAdapter(AdapterDialogContext context, const QString& path,
                     const std::array<std::uint8_t, kAdapterImageSize>& image, QWidget* parent)
    : QDialog(parent), context_(std::move(context)),
      creator_(!context_.Ports.empty(), context_.DevicePinCount) {
    setObjectName(QStringLiteral("fAdapter"));
    const QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* pins = new QGridLayout;
    pins->setHorizontalSpacing(4);
    pins->setVerticalSpacing(0);
    for (int s = 1; s <= kZifPins; ++s) {
        const bool right = s > 24;
        const int row = right ? 48 - s : s - 1;
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("ePin%1").arg(s, 2, 10, QLatin1Char('0')));
        edit->setMaxLength(144);
        edit->setFont(mono);
        edit->setFixedHeight(kRowHeight - 2);
        edit->setMinimumWidth(120);
        edit->installEventFilter(this);
        auto* socket = new QLabel(QString::number(s));
        socket->setAlignment((right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        socket->setMinimumWidth(18);
        socket->setEnabled(false);
        auto* plug = new QLabel;
        plug->setObjectName(QStringLiteral("lPlugPin%1").arg(s, 2, 10, QLatin1Char('0')));
        plug->setAlignment(Qt::AlignCenter);
        plug->setMinimumWidth(22);
        QFont bold = plug->font();
        bold.setBold(true);
        plug->setFont(bold);
        ePin[static_cast<std::size_t>(s - 1)] = edit;
        lPlugPin[static_cast<std::size_t>(s - 1)] = plug;
        if (right) {
            pins->addWidget(plug, row, 4);
            pins->addWidget(edit, row, 5);
            pins->addWidget(socket, row, 6);
        } else {
            pins->addWidget(socket, row, 0);
            pins->addWidget(edit, row, 1);
            pins->addWidget(plug, row, 2);
        }
        connect(edit, &QLineEdit::textChanged, this, [this, s](const QString& text) {
            if (showing_) {
                return;
            }
            creator_.SetPinText(s - 1, text);
            setWindowTitle(creator_.Caption());
        });
    }
    pins->addWidget(new SocketPicture(creator_), 0, 3, 24, 1);
    pins->setRowStretch(24, 1); // spare height goes below the socket, not between its rows

    lFileName = new TElidedLabel(Qt::ElideMiddle);
    lFileName->setObjectName(QStringLiteral("lFileName"));
    lFileName->SetField(true);
    lFileName->setMinimumWidth(200);
    bNew = Button(QStringLiteral("New"), "bNew");
    bOpen = Button(QStringLiteral("Open"), "bOpen");
    bSave = Button(QStringLiteral("Save"), "bSave");
    auto* file = new QGroupBox(QStringLiteral(" Adapter file "));
    auto* fileLayout = new QVBoxLayout(file);
    fileLayout->addWidget(lFileName);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(bNew);
    fileButtons->addWidget(bOpen);
    fileButtons->addWidget(bSave);
    fileLayout->addLayout(fileButtons);

    eAdapterPins = new QLineEdit;
    eAdapterPins->setObjectName(QStringLiteral("eAdapterPins"));
    eAdapterPins->setValidator(new CountValidator(&CAdapterCreator::AdapterPinsTextAllowed, this));
    eDevicePins = new QLineEdit;
    eDevicePins->setObjectName(QStringLiteral("eDevicePins"));
    eDevicePins->setValidator(new CountValidator(&CAdapterCreator::DevicePinsTextAllowed, this));
    for (QLineEdit* e : {eAdapterPins, eDevicePins}) {
        e->setMaximumWidth(60);
        e->setAlignment(Qt::AlignRight);
    }
    connect(eAdapterPins, &QLineEdit::textChanged, this,
            [this](const QString& t) { creator_.SetAdapterPinsText(t); });
    connect(eDevicePins, &QLineEdit::textChanged, this,
            [this](const QString& t) { creator_.SetDevicePinsText(t); });
    auto* counts = new QGroupBox(QStringLiteral(" Pin count "));
    auto* countLayout = new QGridLayout(counts);
    countLayout->addWidget(new QLabel(QStringLiteral("Adapter (ZIF) pins:")), 0, 0);
    countLayout->addWidget(eAdapterPins, 0, 1);
    countLayout->addWidget(new QLabel(QStringLiteral("Device pins:")), 1, 0);
    countLayout->addWidget(eDevicePins, 1, 1);

    bScanStart = Button(QStringLiteral("Start"), "bScanStart");
    bScanStop = Button(QStringLiteral("Stop"), "bScanStop");
    bAccept = Button(QStringLiteral("Accept"), "bAccept");
    bPrevious = Button(QStringLiteral("<"), "bPrevious");
    bNext = Button(QStringLiteral(">"), "bNext");
    bPrevious->setFixedWidth(32);
    bNext->setFixedWidth(32);
    stDevicePin = new QLabel;
    stDevicePin->setObjectName(QStringLiteral("stDevicePin"));
    stDevicePin->setAlignment(Qt::AlignCenter);
    stDevicePin->setMinimumWidth(40);
    stDevicePin->setFrameShape(QFrame::StyledPanel);
    QFont big = stDevicePin->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    stDevicePin->setFont(big);
    auto* scan = new QGroupBox(QStringLiteral(" Scan with the programmer "));
    auto* scanLayout = new QGridLayout(scan);
    scanLayout->addWidget(bScanStart, 0, 0, 1, 2);
    scanLayout->addWidget(bScanStop, 0, 2, 1, 2);
    scanLayout->addWidget(new QLabel(QStringLiteral("Chip pin:")), 1, 0, 1, 2);
    scanLayout->addWidget(stDevicePin, 1, 2, 1, 2);
    scanLayout->addWidget(bPrevious, 2, 0);
    scanLayout->addWidget(bAccept, 2, 1, 1, 2);
    scanLayout->addWidget(bNext, 2, 3);
    auto* hint = new QLabel(QStringLiteral("Touch the chip pin shown with the probe, then Accept "
                                           "(Enter). Left and Right step back and forth."));
    hint->setWordWrap(true);
    QFont small = hint->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    hint->setFont(small);
    scanLayout->addWidget(hint, 3, 0, 1, 4);

    auto* legend = new QLabel(
        QStringLiteral("<table cellspacing=3>"
                       "<tr><td bgcolor=#FFFFE1 width=18></td><td>plug pin in use</td></tr>"
                       "<tr><td bgcolor=#C0C0C0></td><td>free socket pin</td></tr>"
                       "<tr><td bgcolor=#FF0000></td><td>pin above the device pin count</td></tr>"
                       "<tr><td bgcolor=#FF8080></td><td>connection sensed</td></tr></table>"));

    bOK = Button(QStringLiteral("OK"), "bOK");
    bCancel = Button(QStringLiteral("Cancel"), "bCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);

    auto* side = new QVBoxLayout;
    side->addWidget(file);
    side->addWidget(counts);
    side->addWidget(scan);
    side->addWidget(legend);
    side->addStretch(1);
    side->addLayout(buttons);

    auto* pinsBox = new QGroupBox(QStringLiteral(" Wiring: chip pins per ZIF socket pin "));
    pinsBox->setLayout(pins);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(pinsBox, 1);
    layout->addLayout(side);

    connect(bNew, &QPushButton::clicked, this, &TfAdapter::bNewClick);
    connect(bOpen, &QPushButton::clicked, this, &TfAdapter::bOpenClick);
    connect(bSave, &QPushButton::clicked, this, &TfAdapter::bSaveClick);
    connect(bOK, &QPushButton::clicked, this, &TfAdapter::bOkClick);
    connect(bCancel, &QPushButton::clicked, this, &TfAdapter::bCancelClick);
    connect(bScanStart, &QPushButton::clicked, this, &TfAdapter::bScanStartClick);
    connect(bScanStop, &QPushButton::clicked, this, &TfAdapter::bScanStopClick);
    connect(bAccept, &QPushButton::clicked, this, [this] { ScanKey(Qt::Key_Return); });
    connect(bPrevious, &QPushButton::clicked, this, [this] { ScanKey(Qt::Key_Left); });
    connect(bNext, &QPushButton::clicked, this, [this] { ScanKey(Qt::Key_Right); });

    lFileName->SetFullText(path);
    const Result opened = creator_.Open(path, image);
    Show();
    if (!opened.ok) {
        // Shown once the dialog is up, so that it stands over it.
        QTimer::singleShot(0, this, [this, message = opened.message] {
            ShowMessageDialog(this, miWarning, mbOk, message);
        });
    }
    for (const AdapterPinField& f : creator_.Fields) {
        if (f.Used && f.Enabled) {
            ePin[static_cast<std::size_t>(&f - creator_.Fields.data())]->setFocus();
            break;
        }
    }
}

TfAdapter::~TfAdapter() {
    if (scan_ && scan_->isRunning()) {
        // The thread's last steps run on this thread: let them, then it ends.
        scan_->RequestStop();
        QEventLoop loop;
        connect(scan_.get(), &QThread::finished, &loop, &QEventLoop::quit);
        if (scan_->isRunning()) {
            loop.exec();
        }
    }
}

void TfAdapter::Show() {
    ShowFields();
    ShowControls();
    setWindowTitle(creator_.Caption());
}

void TfAdapter::ShowFields() {
    showing_ = true;
    const bool readOnly = creator_.Controls().PinsReadOnly;
    for (int s = 0; s < kZifPins; ++s) {
        const AdapterPinField& f = creator_.Fields[static_cast<std::size_t>(s)];
        QLineEdit* edit = ePin[static_cast<std::size_t>(s)];
        if (edit->text() != f.Text) {
            edit->setText(f.Text);
        }
        edit->setEnabled(f.Enabled);
        edit->setReadOnly(readOnly);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, ToColor(f.Colour));
        palette.setColor(QPalette::Text,
                         f.Colour == PinFieldColour::Invalid ? Qt::white : Qt::black);
        edit->setPalette(palette);
        QLabel* plug = lPlugPin[static_cast<std::size_t>(s)];
        plug->setText(f.PlugPin != 0 ? QString::number(f.PlugPin) : QString());
        plug->setVisible(f.PlugPin != 0);
    }
    if (eAdapterPins->text() != creator_.AdapterPinsText) {
        eAdapterPins->setText(creator_.AdapterPinsText);
    }
    if (eDevicePins->text() != creator_.DevicePinsText) {
        eDevicePins->setText(creator_.DevicePinsText);
    }
    lFileName->SetFullText(creator_.Path);
    stDevicePin->setText(creator_.ChipPinText());
    showing_ = false;
    update();
}

void TfAdapter::ShowControls() {
    const AdapterCreatorControls c = creator_.Controls();
    bNew->setEnabled(c.New);
    bOpen->setEnabled(c.Open);
    bSave->setEnabled(c.Save);
    eAdapterPins->setEnabled(c.AdapterPins);
    bScanStart->setEnabled(c.Start);
    bScanStop->setEnabled(c.Stop);
    bAccept->setEnabled(c.Accept);
    bPrevious->setEnabled(c.Previous);
    bNext->setEnabled(c.Next);
    bOK->setEnabled(c.Ok);
    bCancel->setEnabled(c.Cancel);
}

void TfAdapter::bNewClick() {
    const Result r = creator_.New();
    if (!r.ok) {
        ShowMessageDialog(this, miWarning, mbOk, r.message);
        return;
    }
    Show();
    for (int s = 0; s < kZifPins; ++s) {
        if (creator_.Fields[static_cast<std::size_t>(s)].Used) {
            ePin[static_cast<std::size_t>(s)]->setFocus();
            break;
        }
    }
}

void TfAdapter::bOpenClick() {
    const QString start = creator_.Path;
    const QString path =
        context_.ChooseOpenFile
            ? context_.ChooseOpenFile(this, start)
            : QFileDialog::getOpenFileName(this, QStringLiteral("Open"), start, kFilter);
    if (path.isEmpty()) {
        return;
    }
    const auto outcome = creator_.OpenFile(path, [this] {
        return ShowMessageDialog(this, miQuestion, mbYesNo,
                                 QString::fromLatin1(kAdapterChecksumQuestion)) == mrYes;
    });
    switch (outcome) {
    case CAdapterCreator::FileOutcome::Unreadable:
        ShowMessageDialog(this, miWarning, mbOk, QStringLiteral("Could not open adapter file."));
        return;
    case CAdapterCreator::FileOutcome::PinMismatch:
        ShowMessageDialog(this, miWarning, mbOk, QString::fromLatin1(kAdapterDevicePinMismatch));
        return;
    case CAdapterCreator::FileOutcome::Declined:
        return;
    case CAdapterCreator::FileOutcome::Loaded:
    case CAdapterCreator::FileOutcome::BadChecksum:
        break;
    }
    Show();
}

void TfAdapter::bSaveClick() {
    const CAdapterCreator::SaveImage save = creator_.PrepareSave([this] {
        return ShowMessageDialog(this, miQuestion, mbYesNo,
                                 QString::fromLatin1(kAdapterPinCountQuestion)) == mrYes;
    });
    ShowFields();
    if (!save.ok) {
        ShowMessageDialog(this, miWarning, mbOk, save.message);
        return;
    }
    const QString start = !context_.SaveFolder.isEmpty() ? context_.SaveFolder : creator_.Path;
    QString path = context_.ChooseSaveFile
                       ? context_.ChooseSaveFile(this, start)
                       : QFileDialog::getSaveFileName(this, QStringLiteral("Save"), start, kFilter);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".adp");
    }
    QString message;
    if (!writeAdapterFile(path, save.Image, &message)) {
        ShowMessageDialog(this, miWarning, mbOk, message);
        return;
    }
    creator_.Saved(path, save.Image);
    Show();
}

void TfAdapter::bOkClick() {
    if (creator_.Scanning) {
        return;
    }
    const bool closing = creator_.Ok([this] {
        return ShowMessageDialog(this, miQuestion, mbYesNo,
                                 QString::fromLatin1(kAdapterCloseQuestion)) == mrYes;
    });
    if (!closing) {
        if (creator_.Modified && !ValidateFields()) {
            ShowMessageDialog(this, miWarning, mbOk, QString::fromLatin1(kAdapterInvalid));
        }
        return;
    }
    Show();
    accept();
}

bool TfAdapter::ValidateFields() {
    const bool valid = creator_.Validate();
    ShowFields();
    return valid;
}

void TfAdapter::bCancelClick() {
    if (creator_.Scanning) {
        return;
    }
    creator_.Cancel();
    QDialog::reject();
}

void TfAdapter::reject() {
    // Escape cancels; the window's close button is OK (closeEvent).
    bCancelClick();
}

void TfAdapter::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!creator_.Scanning && isVisible()) {
        bOkClick();
    }
}

void TfAdapter::bScanStartClick() {
    if (creator_.Scanning || context_.Ports.empty()) {
        return;
    }
    const std::size_t slot = static_cast<std::size_t>(context_.ActiveSlot);
    const int port = context_.Ports.size() >= 2 && slot < context_.Ports.size()
                         ? context_.Ports[slot]
                         : context_.Ports.front();
    if (context_.InitHardware && !context_.InitHardware(port)) {
        return;
    }
    const Result begun = creator_.BeginScan();
    if (!begun.ok) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), begun.message, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    Show();
    AdapterScanHost host{
        .Cycle =
            [this](const ZmSocketState& state, AdapterScanHost::Requests r) {
                const bool last = creator_.ScanCycle(state, {r.Accept, r.Next, r.Previous});
                ShowFields();
                return last;
            },
        .Ended = [this] { QTimer::singleShot(0, this, &TfAdapter::FinishScan); },
        .Failed =
            [this](const QString& message) {
                QTimer::singleShot(0, this, [this, message] {
                    ShowMessageDialog(this, miWarning, mbOk, message);
                });
            },
    };
    scan_ = std::make_unique<TAdapterThread>(context_.AppDir, executor_, std::move(host),
                                             std::chrono::milliseconds(context_.ScanIntervalMs));
    scan_->start(QThread::LowPriority);
}

void TfAdapter::FinishScan() {
    if (scan_) {
        scan_->wait();
        scan_.reset();
    }
    creator_.EndScan();
    Show();
    emit scanEnded();
}

void TfAdapter::bScanStopClick() {
    if (scan_) {
        scan_->RequestStop();
    }
}

bool TfAdapter::ScanKey(int key) {
    if (!creator_.Scanning || !scan_) {
        return false;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        scan_->RequestAccept();
        return true;
    case Qt::Key_Left:
        scan_->RequestPrevious();
        return true;
    case Qt::Key_Right:
        scan_->RequestNext();
        return true;
    default:
        return false;
    }
}

void TfAdapter::keyPressEvent(QKeyEvent* event) {
    if (ScanKey(event->key())) {
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        return; // Enter is the scan's Accept; it never closes the creator
    }
    QDialog::keyPressEvent(event);
}

bool TfAdapter::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (ScanKey(key->key())) {
        return true;
    }
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter moves on to the next socket pin's field, after pin 48 to pin 1.
        const auto at = std::find(ePin.begin(), ePin.end(), edit);
        const std::size_t next = (static_cast<std::size_t>(at - ePin.begin()) + 1) % kZifPins;
        ePin[next]->setFocus();
        return true;
    }
    default:
        break;
    }
    if (key->text().size() == 1 && !edit->isReadOnly()) {
        if (const std::optional<QChar> kept = CAdapterCreator::FilterPinKey(key->text().at(0))) {
            edit->insert(QString(*kept));
        }
    }
    return true;
}

} // namespace zelmo
