#pragma once

// A one-line label that shows its text shortened with an ellipsis to its own width, and the whole
// text as its hint; it re-shortens whenever it is resized. Optionally drawn as a sunken field.

#include <QLabel>

class QLayout;

namespace zelmo {

class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidedLabel(Qt::TextElideMode mode = Qt::ElideMiddle, QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return full_; }
    // A sunken field on the base colour, for paths and names the user reads like an entry.
    void SetField(bool field);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Shorten();

    Qt::TextElideMode mode_;
    QString full_;
};

// A grey, centred, wrapping note for a place whose view is not there yet or has nothing to show.
QLabel* PlaceholderNote(const QString& text, const QColor& background = QColor());

// Puts `next` where `current` stands in `place` and lets `current` go: hidden at once (its
// deferred delete waits for the event loop), deleted later. `current` then names `next`.
void ReplacePlaceholder(QLayout* place, QWidget*& current, QWidget* next);

} // namespace zelmo
