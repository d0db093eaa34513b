#include "app/ui/log_view.h"

#include <QFontDatabase>
#include <QTextCursor>

namespace zelmo {

TLogView::TLogView(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("reLog"));
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Base, QColor(255, 255, 225));
    p.setColor(QPalette::Text, p.color(QPalette::WindowText));
    setPalette(p);
}

void TLogView::Append(const std::vector<LogRun>& runs) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const QColor windowText = palette().color(QPalette::WindowText);
    for (const LogRun& run : runs) {
        QTextCharFormat format;
        format.setForeground(run.colour == LogColour::WindowText
                                 ? windowText
                                 : QColor::fromRgb(LogColourRgb(run.colour)));
        cursor.insertText(run.text, format);
    }
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace zelmo
