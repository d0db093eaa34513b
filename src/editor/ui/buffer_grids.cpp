#include "editor/ui/buffer_grids.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include <cstdlib>

namespace zelmo::editor {

namespace {

QColor colour(const Rgb& rgb) {
    return QColor(rgb.R, rgb.G, rgb.B);
}

std::optional<NavKey> navigationKey(int key) {
    switch (key) {
    case Qt::Key_Up:
        return NavKey::Up;
    case Qt::Key_Down:
        return NavKey::Down;
    case Qt::Key_Left:
        return NavKey::Left;
    case Qt::Key_Right:
        return NavKey::Right;
    case Qt::Key_PageUp:
        return NavKey::PageUp;
    case Qt::Key_PageDown:
        return NavKey::PageDown;
    default:
        return std::nullopt;
    }
}

// Widest texts the cells must hold: eight bold digits in the address column after its offset,
// two digits of an 8-bit hex cell; and every row is 17 pixels high.
bool fontFits(const QFont& font, const QFont& bold) {
    const QFontMetrics plain(font);
    const QFontMetrics heavy(bold);
    return heavy.horizontalAdvance(QStringLiteral("00000000")) + 2 <= kAddressWidth &&
           heavy.horizontalAdvance(QStringLiteral("Address")) + 2 <= kAddressWidth &&
           plain.horizontalAdvance(QStringLiteral("00")) + 1 <= 19 && heavy.height() <= kRowHeight;
}

} // namespace

TBufferGrids::TBufferGrids(BufferViewModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("dgBuffer"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    chooseFonts();
}

void TBufferGrids::chooseFonts() {
    // The system's fixed-pitch font at 10 points; a screen whose metrics would not let the
    // texts fit their fixed cells gets it a little smaller, never clipped.
    font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font_.setStyleHint(QFont::Monospace);
    qreal points = 10.0;
    for (;;) {
        font_.setPointSizeF(points);
        bold_ = font_;
        bold_.setBold(true);
        if (fontFits(font_, bold_) || points <= 6.0) {
            break;
        }
        points -= 0.5;
    }
    metrics_ = QFontMetrics(font_);
    boldMetrics_ = QFontMetrics(bold_);
    for (auto& cache : texts_) {
        cache.clear();
    }
}

QSize TBufferGrids::sizeHint() const {
    const ViewLayout view = model_.layout();
    return {view.panelWidth(), view.gridHeight()};
}

void TBufferGrids::Relayout() {
    updateGeometry();
    update();
}

QRect TBufferGrids::CellRect(const GridHit& cell) const {
    const ViewLayout view = model_.layout();
    const int width = view.columnWidth(cell.Grid);
    return {view.gridLeft(cell.Grid) + cell.Column * width, view.rowTop(cell.Row), width,
            view.rowHeight(cell.Row)};
}

void TBufferGrids::paintRow(QPainter& painter, std::span<const PaintedCell> cells) const {
    const QPalette& p = palette();
    auto background = [&](const CellLook& look) {
        if (look.Empty) {
            return colour(kEmptyCell);
        }
        return look.Highlight ? p.color(QPalette::Active, QPalette::Highlight)
                              : colour(look.Background);
    };
    // Backgrounds: one rectangle per run of neighbouring cells of one colour.
    for (std::size_t i = 0; i < cells.size();) {
        const QColor fill = background(cells[i].Look);
        QRect run = cells[i].Rect;
        std::size_t j = i + 1;
        while (j < cells.size() && cells[j].Rect.left() == run.right() + 1 &&
               background(cells[j].Look) == fill) {
            run.setRight(cells[j].Rect.right());
            ++j;
        }
        painter.fillRect(run, fill);
        i = j;
    }
    // The lines before the texts: a glyph that reaches its cell's edge stays whole.
    GridLines lines;
    for (const PaintedCell& cell : cells) {
        const CellLook& look = cell.Look;
        const QRect& rect = cell.Rect;
        if (look.Empty) {
            continue;
        }
        if (look.LineBelow) {
            lines.Add(colour(kGridLine).rgb(),
                      QLine(rect.left(), rect.bottom(), rect.right(), rect.bottom()));
        }
        if (look.LineRight) {
            lines.Add(colour(look.RightLine).rgb(),
                      QLine(rect.right(), rect.top(), rect.right(), rect.bottom()));
        }
    }
    lines.Draw(painter);
    for (const PaintedCell& cell : cells) {
        const CellLook& look = cell.Look;
        if (look.Empty || look.Text.isEmpty()) {
            continue;
        }
        const QRect& rect = cell.Rect;
        const QColor ink = look.Highlight && look.Ink != kRed
                               ? p.color(QPalette::Active, QPalette::HighlightedText)
                               : colour(look.Ink);
        // Drawn from its top-left corner rather than laid out in a rectangle: a full fuse map
        // has 4096 texts, and the fonts are chosen so that every text fits its cell.
        const QFontMetrics& metrics = look.Bold ? boldMetrics_ : metrics_;
        if (painter.pen().color() != ink) {
            painter.setPen(ink);
        }
        const QFont& font = look.Bold ? bold_ : font_;
        if (painter.font() != font) {
            painter.setFont(font);
        }
        const int top = rect.top() + (rect.height() - metrics.height()) / 2;
        painter.drawStaticText(QPoint(rect.left() + look.TextOffset, top),
                               staticText(look.Text, look.Bold));
    }
}

void TBufferGrids::GridLines::Add(QRgb colour, const QLine& line) {
    for (auto& [rgb, list] : byColour) {
        if (rgb == colour) {
            // A line that continues the last one of its colour extends it.
            if (!list.isEmpty() && list.back().p2().y() == line.p1().y() &&
                list.back().p1().y() == line.p1().y() &&
                list.back().p2().x() + 1 == line.p1().x()) {
                list.back().setP2(line.p2());
            } else {
                list.append(line);
            }
            return;
        }
    }
    byColour.push_back({colour, QList<QLine>{line}});
}

void TBufferGrids::GridLines::Draw(QPainter& painter) const {
    for (const auto& [rgb, list] : byColour) {
        painter.setPen(QColor::fromRgb(rgb));
        painter.drawLines(list);
    }
}

const QStaticText& TBufferGrids::staticText(const QString& text, bool bold) const {
    QHash<QString, QStaticText>& cache = texts_[bold ? 1 : 0];
    auto found = cache.find(text);
    if (found != cache.end()) {
        return *found;
    }
    // The 16- and 32-bit grids can show many different texts over time: start over rather
    // than grow without bound.
    constexpr qsizetype kMaxTexts = 8192;
    if (cache.size() >= kMaxTexts) {
        cache.clear();
    }
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), bold ? bold_ : font_);
    return *cache.insert(text, laidOut);
}

void TBufferGrids::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().color(QPalette::Window));
    const ViewLayout view = model_.layout();
    const bool focused = hasFocus();
    // The cells of one row are looked up first, then painted a layer at a time.
    std::vector<PaintedCell> cells;
    cells.reserve(64);
    int count = 0;
    const GridKind* grids = view.grids(count);
    for (int g = 0; g < count; ++g) {
        const GridKind grid = grids[g];
        const int columns = grid == GridKind::Address ? 1 : static_cast<int>(view.columns());
        const int left = view.gridLeft(grid);
        const int width = view.columnWidth(grid);
        if (left > dirty.right() || left + columns * width <= dirty.left()) {
            continue;
        }
        for (int row = 0; row < view.rowCount(); ++row) {
            const int top = view.rowTop(row);
            if (top > dirty.bottom() || top + view.rowHeight(row) <= dirty.top()) {
                continue;
            }
            cells.clear();
            for (int column = 0; column < columns; ++column) {
                const QRect rect(left + column * width, top, width, view.rowHeight(row));
                if (rect.intersects(dirty)) {
                    cells.push_back({rect, model_.Look({grid, row, column}, focused)});
                }
            }
            paintRow(painter, cells);
        }
    }
}

void TBufferGrids::keyPressEvent(QKeyEvent* event) {
    if (const std::optional<NavKey> key = navigationKey(event->key())) {
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        if (model_.KeyDown(*key, mods & Qt::ShiftModifier, mods & Qt::ControlModifier,
                           mods & Qt::AltModifier)) {
            emit viewMoved();
            update();
        }
        event->accept();
        return;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    bool written = false;
    bool modifiedSet = false;
    typing_ = true;
    for (const QChar c : text) {
        const EntryResult result = model_.KeyPress(c.unicode());
        written = written || result.Written;
        modifiedSet = modifiedSet || result.ModifiedSet;
    }
    typing_ = false;
    if (written) {
        emit edited(modifiedSet);
    }
    emit viewMoved();
    update();
    event->accept();
}

void TBufferGrids::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const std::optional<GridHit> hit =
        model_.layout().cellAt(event->position().toPoint().x(), event->position().toPoint().y());
    if (!hit) {
        return;
    }
    model_.MouseDown(*hit,
                     event->button() == Qt::LeftButton ? MouseButton::Left : MouseButton::Other,
                     (event->modifiers() & Qt::ShiftModifier) != 0);
    emit viewMoved();
    update();
}

void TBufferGrids::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const std::optional<GridHit> hit = model_.layout().cellAt(at.x(), at.y());
    if (hit == model_.Hover) {
        return;
    }
    model_.Hover = hit;
    // A hint already on screen follows the pointer from cell to cell.
    if (QToolTip::isVisible()) {
        const QString hint = model_.Hint();
        if (hint.isEmpty() || !hit) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(event->globalPosition().toPoint(), hint, this, CellRect(*hit));
        }
    }
}

void TBufferGrids::leaveEvent(QEvent* event) {
    model_.Hover.reset();
    QWidget::leaveEvent(event);
}

void TBufferGrids::wheelEvent(QWheelEvent* event) {
    wheelRest_ += event->angleDelta().y();
    bool moved = false;
    while (std::abs(wheelRest_) >= 120) {
        const bool down = wheelRest_ < 0;
        model_.Wheel(down, (event->modifiers() & Qt::ControlModifier) != 0);
        wheelRest_ += down ? 120 : -120;
        moved = true;
    }
    if (moved) {
        emit viewMoved();
        update();
    }
    event->accept();
}

void TBufferGrids::contextMenuEvent(QContextMenuEvent* event) {
    QPoint at = event->pos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const std::optional<GridHit> hit = model_.layout().cellAt(at.x(), at.y());
        if (!hit || hit->Grid == GridKind::Address) {
            return; // the menu belongs to the data grids
        }
    } else if (const BufferViewState* s = model_.state()) {
        // From the keyboard: beside the cursor cell.
        const ViewLayout view = model_.layout();
        int count = 0;
        const GridKind grid = view.grids(count)[1];
        const std::uint64_t row = view.rowOf(s->Cursor);
        const int dataRow = row >= s->TopRow && row < s->TopRow + view.dataRows()
                                ? static_cast<int>(row - s->TopRow)
                                : 0;
        const int column = static_cast<int>(s->Cursor % view.bytesPerRow() / view.cellBytes());
        at = CellRect({grid, dataRow + 1, column}).center();
    }
    emit popupRequested(at);
}

void TBufferGrids::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TBufferGrids::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TBufferGrids::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        model_.GridsEnabled = isEnabled();
        update();
    }
    QWidget::changeEvent(event);
}

bool TBufferGrids::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<GridHit> hit = model_.layout().cellAt(help->pos().x(), help->pos().y());
        model_.Hover = hit;
        const QString hint = model_.Hint();
        if (!hit || hint.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), hint, this, CellRect(*hit));
        }
        return true;
    }
    return QWidget::event(event);
}

} // namespace zelmo::editor
