#include "catalogue/ui/pin_check_views.h"

#include "project/project.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo {

namespace {

constexpr int kPictureWidth = 56;
constexpr int kSocketNumberWidth = 22;
constexpr int kPlugWidth = 24;
constexpr int kBodyWidth = 64;
constexpr int kTop = 8;

const QColor kPanel(222, 219, 156);

// One pin picture: a lead pointing away from the socket body and a contact pad next to it,
// coloured by the result. The left column's leads point left, the right column's right.
void DrawPin(QPainter& p, const QRect& r, PinPicture picture, bool right) {
    if (picture == PinPicture::None) {
        return;
    }
    QColor fill;
    QColor edge;
    switch (picture) {
    case PinPicture::Connected:
        fill = QColor(46, 160, 67);
        edge = QColor(20, 90, 30);
        break;
    case PinPicture::Unconnected:
        fill = QColor(220, 38, 38);
        edge = QColor(130, 10, 10);
        break;
    case PinPicture::Ground:
        fill = QColor(70, 70, 70);
        edge = QColor(20, 20, 20);
        break;
    default:
        fill = QColor(214, 214, 208);
        edge = QColor(150, 150, 145);
        break;
    }
    const QRectF box = QRectF(r).adjusted(0.5, 1.5, -0.5, -1.5);
    const double padWidth = 20;
    const QRectF pad = right ? QRectF(box.left(), box.top(), padWidth, box.height())
                             : QRectF(box.right() - padWidth, box.top(), padWidth, box.height());
    const QRectF lead =
        right ? QRectF(pad.right() - 2, box.top() + 2, box.width() - padWidth + 2, box.height() - 4)
              : QRectF(box.left(), box.top() + 2, box.width() - padWidth + 2, box.height() - 4);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill.lighter(picture == PinPicture::Neutral ? 100 : 115));
    p.drawRoundedRect(lead, 2, 2);
    p.setBrush(fill);
    p.drawRoundedRect(pad, 3, 3);
    if (picture == PinPicture::Ground) {
        // The ground sign on the pad.
        const QPointF c = pad.center();
        p.setPen(QPen(Qt::white, 1.2));
        p.drawLine(QPointF(c.x() - 5, c.y() - 1), QPointF(c.x() + 5, c.y() - 1));
        p.drawLine(QPointF(c.x() - 3, c.y() + 1.5), QPointF(c.x() + 3, c.y() + 1.5));
        p.drawLine(QPointF(c.x() - 1, c.y() + 4), QPointF(c.x() + 1, c.y() + 4));
    }
}

QPixmap PinPixmap(PinPicture picture, qreal ratio) {
    QPixmap pixmap(QSize(kPictureWidth, kPinRowHeight) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPin(p, QRect(0, 0, kPictureWidth, kPinRowHeight), picture, false);
    return pixmap;
}

// The socket with its 48 pins in two columns of rows 15 pixels high.
class SocketView : public QWidget {
public:
    explicit SocketView(const std::array<SocketPinLook, kZifPins>& looks) : looks_(looks) {
        setFixedSize(2 * (kSocketNumberWidth + kPictureWidth + kPlugWidth) + kBodyWidth,
                     24 * kPinRowHeight + 2 * kTop);
    }

    int PictureX(bool right) const {
        return right ? kSocketNumberWidth + kPictureWidth + kPlugWidth + kBodyWidth + kPlugWidth
                     : kSocketNumberWidth;
    }
    int PlugX(bool right) const {
        return right ? kSocketNumberWidth + kPictureWidth + kPlugWidth + kBodyWidth
                     : kSocketNumberWidth + kPictureWidth;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int bodyX = kSocketNumberWidth + kPictureWidth + kPlugWidth;
        const QRectF body(bodyX + 0.5, 0.5, kBodyWidth - 1, height() - 1);
        p.setPen(QPen(QColor(40, 60, 45), 1));
        p.setBrush(QColor(57, 100, 70));
        p.drawRoundedRect(body, 6, 6);
        p.save();
        p.setPen(kPanel);
        QFont caption = font();
        caption.setBold(true);
        p.setFont(caption);
        p.translate(body.center());
        p.rotate(-90);
        p.drawText(QRectF(-body.height() / 2, -10, body.height(), 20), Qt::AlignCenter,
                   QStringLiteral("ZIF 48"));
        p.restore();

        QFont small = font();
        small.setPixelSize(10);
        p.setFont(small);
        for (const SocketPinLook& look : looks_) {
            const int y = kTop + look.Row * kPinRowHeight;
            const QRect picture(PictureX(look.Right), y, kPictureWidth, kPinRowHeight);
            DrawPin(p, picture, look.Picture, look.Right);
            if (!look.Number.isEmpty()) {
                p.setPen(look.Picture == PinPicture::Neutral ? Qt::black : Qt::white);
                p.drawText(QRect(picture.left() + look.NumberX, y + 1, kPictureWidth, 13),
                           Qt::AlignLeft | Qt::AlignTop, look.Number);
            }
            p.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
            const QRect number(look.Right ? width() - kSocketNumberWidth : 0, y,
                               kSocketNumberWidth - 3, kPinRowHeight);
            p.drawText(look.Right ? number.adjusted(3, 0, 3, 0) : number,
                       (look.Right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       QString::number(look.SocketPin));
        }
    }

private:
    const std::array<SocketPinLook, kZifPins>& looks_;
};

QWidget* LegendEntry(PinPicture picture, const QString& text, qreal ratio) {
    auto* label = new QLabel;
    label->setPixmap(PinPixmap(picture, ratio));
    auto* caption = new QLabel(text);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(caption, 1);
    return row;
}

} // namespace

TfPinCheck48::TfPinCheck48(std::span<const std::uint8_t, kPinCheckRecordSize> record,
                           std::span<const std::uint8_t, kAdapterImageSize> adapterImage,
                           QWidget* parent)
    : QDialog(parent), looks_(SocketPinLooks(record, adapterImage)) {
    setWindowTitle(QStringLiteral("Pin contact check"));
    setObjectName(QStringLiteral("fPinCheck48"));
    auto* socket = new SocketView(looks_);
    // The plug pin labels are widgets of their own beside each socket pin.
    for (const SocketPinLook& look : looks_) {
        auto* label = new QLabel(socket);
        label->setObjectName(
            QStringLiteral("lPlugPin%1").arg(look.SocketPin, 2, 10, QLatin1Char('0')));
        label->setAlignment(Qt::AlignCenter);
        QFont f = label->font();
        f.setPixelSize(10);
        f.setBold(true);
        label->setFont(f);
        label->setGeometry(socket->PlugX(look.Right), kTop + look.Row * kPinRowHeight, kPlugWidth,
                           kPinRowHeight);
        label->setText(QString::number(look.PlugPin));
        label->setVisible(look.PlugPin != 0);
        lPlugPin[static_cast<std::size_t>(look.SocketPin - 1)] = label;
    }

    auto* legend = new QWidget;
    auto* legendLayout = new QVBoxLayout(legend);
    legendLayout->setContentsMargins(0, 0, 0, 0);
    const qreal ratio = devicePixelRatioF();
    const std::pair<PinPicture, const char*> entries[] = {
        {PinPicture::Connected, "Pin connected"},
        {PinPicture::Unconnected, "Pin unconnected"},
        {PinPicture::Ground, "Ground"},
        {PinPicture::Neutral, "Not tested"}};
    for (const auto& [picture, text] : entries) {
        legendLayout->addWidget(LegendEntry(picture, QString::fromLatin1(text), ratio));
    }
    auto* note = new QLabel(QStringLiteral("The numbers on the pins are the chip's pins; the "
                                           "numbers beside them the adapter's plug pins."));
    note->setWordWrap(true);
    legendLayout->addSpacing(8);
    legendLayout->addWidget(note);
    legendLayout->addStretch(1);
    bCancel = new QPushButton(QStringLiteral("Cancel"));
    bCancel->setAutoDefault(false);
    legendLayout->addWidget(bCancel, 0, Qt::AlignRight);
    legend->setFixedWidth(190);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(socket);
    layout->addSpacing(12);
    layout->addWidget(legend);
}

TfPinCheckICP::TfPinCheckICP(std::span<const std::uint8_t, kPinCheckRecordSize> record,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Pin contact check"));
    setObjectName(QStringLiteral("fPinCheckICP"));
    const std::array<SignalLook, kIcpSignals> looks = InCircuitLooks(record);

    // The connector: ten signals on one row of contacts, the tested ones with their field.
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("peConnector"));
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, kPanel);
    panel->setPalette(panelPalette);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(10);
    auto* title = new QLabel(QStringLiteral("ICP connector"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, 1, 3);
    const char* names[] = {"Vcc", "Vss", "Vpp", "CLK", "S0", "S1", "S2", "S3", "S4", "S5"};
    for (int i = 0; i < 10; ++i) {
        auto* pin = new QLabel(QString::number(i + 1));
        pin->setAlignment(Qt::AlignCenter);
        pin->setFixedSize(22, 22);
        pin->setStyleSheet(QStringLiteral("background: #3a6446; color: #ffd65a; border-radius: 3px;"
                                          " font-weight: bold;"));
        auto* name = new QLabel(QString::fromLatin1(names[i]));
        name->setFont(bold);
        name->setMinimumWidth(40);
        grid->addWidget(pin, i + 1, 0);
        grid->addWidget(name, i + 1, 1);
        if (i < 4) {
            auto* power = new QLabel(QStringLiteral("supply and clock"));
            power->setEnabled(false);
            grid->addWidget(power, i + 1, 2);
            continue;
        }
        const SignalLook& look = looks[static_cast<std::size_t>(i - 4)];
        auto* field = new QLabel(look.Text);
        field->setObjectName(QStringLiteral("lSignal") + look.Name);
        field->setAlignment(Qt::AlignCenter);
        field->setMinimumWidth(140);
        field->setFrameShape(QFrame::Panel);
        field->setFrameShadow(QFrame::Sunken);
        field->setAutoFillBackground(true);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Window,
                         QColor(look.Background[0], look.Background[1], look.Background[2]));
        palette.setColor(QPalette::WindowText, look.WhiteBold ? Qt::white : Qt::black);
        field->setPalette(palette);
        QFont f = field->font();
        f.setBold(look.WhiteBold);
        field->setFont(f);
        grid->addWidget(field, i + 1, 2);
        lSignal[static_cast<std::size_t>(i - 4)] = field;
    }

    bCancel = new QPushButton(QStringLiteral("Cancel"));
    bCancel->setAutoDefault(false);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(bCancel, 0, Qt::AlignRight);
}

void ShowPinCheckView(QWidget* parent, const CDevice& device) {
    const std::span<const std::uint8_t, kPinCheckRecordSize> record(device.PinCheckResult);
    if (IsInCircuitResult(record)) {
        TfPinCheckICP view(record, parent);
        view.exec();
        return;
    }
    TfPinCheck48 view(record, std::span<const std::uint8_t, kAdapterImageSize>(device.AdapterData),
                      parent);
    view.exec();
}

} // namespace zelmo
