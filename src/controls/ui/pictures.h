#pragma once

// The application's pictures: SVG resources ":/pictures/<name>.svg" drawn for this program,
// as icons with a proper disabled form and as pixmaps at a given size.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace zelmo {

// The icon of a picture, sharp at every size; its disabled form is the greyed drawing.
QIcon Picture(const QString& name);
// The icon of a picture shown dimmed while enabled (an operation that is switched off).
QIcon DimmedPicture(const QString& name);
// The picture rendered at `size` device-independent pixels for a widget of `devicePixelRatio`.
QPixmap PicturePixmap(const QString& name, QSize size, qreal devicePixelRatio = 1.0);
// Whether the picture is part of the program.
bool HasPicture(const QString& name);

} // namespace zelmo
