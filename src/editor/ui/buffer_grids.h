#pragma once

// The grids of the buffer view, painted by hand: the address column and the hex and character
// grids of the 8-, 16- and 32-bit modes, the fuse grid or the vector grid. Every cell is drawn
// exactly as the view model describes it, from the page cache only; keys, clicks, the wheel and
// typed characters go to the model, which says what changed.

#include "editor/buffer_view_model.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QLine>
#include <QList>
#include <QStaticText>
#include <QWidget>

#include <span>
#include <utility>
#include <vector>

namespace zelmo::editor {

class TBufferGrids : public QWidget {
    Q_OBJECT
public:
    explicit TBufferGrids(BufferViewModel& model, QWidget* parent = nullptr);

    // Takes the size of the current layout (its mode and RowCount) and repaints.
    void Relayout();

    // The fixed-pitch font of the cells and its bold form for headers and addresses.
    const QFont& CellFont() const { return font_; }
    const QFont& BoldFont() const { return bold_; }
    // The rectangle of a grid cell, in this widget's coordinates.
    QRect CellRect(const GridHit& cell) const;

    QSize sizeHint() const override;
    // True while a typed character is being written: the bytes it changes are on screen already.
    bool Typing() const { return typing_; }

signals:
    // The cursor, the selection or TopRow may have moved: the scroll bar follows.
    void viewMoved();
    // A character changed the buffer; `modifiedSet` when the memory just became modified.
    void edited(bool modifiedSet);
    // The popup menu is asked for at a point of this widget.
    void popupRequested(const QPoint& position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void chooseFonts();
    struct PaintedCell {
        QRect Rect;
        CellLook Look;
    };
    // The grid lines of a row, gathered by colour and drawn in one call per colour.
    struct GridLines {
        std::vector<std::pair<QRgb, QList<QLine>>> byColour;
        void Add(QRgb colour, const QLine& line);
        void Draw(QPainter& painter) const;
    };
    // One row of cells: backgrounds in runs of one colour, the grid lines, then the texts.
    void paintRow(QPainter& painter, std::span<const PaintedCell> cells) const;
    // The laid-out form of a cell text in the plain or bold font: a screen repeats the same few
    // hundred texts, and laying each out once keeps a full screen as cheap as a short one.
    const QStaticText& staticText(const QString& text, bool bold) const;

    BufferViewModel& model_;
    QFont font_;
    QFont bold_;
    QFontMetrics metrics_{font_};
    QFontMetrics boldMetrics_{bold_};
    mutable QHash<QString, QStaticText> texts_[2]; // [bold]
    int wheelRest_ = 0;                            // wheel angle not yet turned into notches
    bool typing_ = false;
};

} // namespace zelmo::editor
