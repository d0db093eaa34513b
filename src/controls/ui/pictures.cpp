#include "controls/ui/pictures.h"

#include <QFile>
#include <QImage>

namespace zelmo {

namespace {

QString ResourcePath(const QString& name) {
    return QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
}

// The same drawing at a third of its strength.
QPixmap Faded(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            line[x] = qRgba(qRed(c), qGreen(c), qBlue(c), qAlpha(c) / 3);
        }
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(pixmap.devicePixelRatio());
    return out;
}

} // namespace

bool HasPicture(const QString& name) {
    return QFile::exists(ResourcePath(name));
}

QIcon Picture(const QString& name) {
    // The SVG icon engine renders at every requested size and derives the disabled form.
    return QIcon(ResourcePath(name));
}

QIcon DimmedPicture(const QString& name) {
    const QIcon source = Picture(name);
    QIcon dimmed;
    for (const int side : {16, 20, 24, 32, 40, 48, 64}) {
        for (const qreal ratio : {1.0, 2.0}) {
            dimmed.addPixmap(Faded(source.pixmap(QSize(side, side), ratio)), QIcon::Normal);
            dimmed.addPixmap(source.pixmap(QSize(side, side), ratio, QIcon::Disabled),
                             QIcon::Disabled);
        }
    }
    return dimmed;
}

QPixmap PicturePixmap(const QString& name, QSize size, qreal devicePixelRatio) {
    return Picture(name).pixmap(size, devicePixelRatio);
}

} // namespace zelmo
