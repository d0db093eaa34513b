#include "editor/ui/tool_fields.h"

#include "editor/tool_dialog_rules.h"

#include <QFontDatabase>
#include <QLineEdit>

#include <algorithm>

namespace zelmo::editor {

QValidator::State THexValidator::validate(QString& input, int& pos) const {
    const QString filtered = filterHexText(input, static_cast<int>(input.size()));
    if (filtered.size() != input.size()) {
        return Invalid; // a character that is not a hex digit is refused
    }
    input = filtered;
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
}

QValidator::State TDecimalValidator::validate(QString& input, int&) const {
    return filterDecimalText(input, static_cast<int>(input.size())).size() == input.size()
               ? Acceptable
               : Invalid;
}

void fitFieldWidth(QLineEdit* edit, int characters) {
    const QFontMetrics metrics(edit->font());
    edit->setFixedWidth(metrics.horizontalAdvance(QString(characters, QLatin1Char('W'))) + 14);
}

namespace {
QLineEdit* makeEdit(int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxLength);
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fitFieldWidth(edit, std::max(maxLength, 3));
    return edit;
}
} // namespace

QLineEdit* makeHexEdit(int maxLength, QWidget* parent) {
    QLineEdit* edit = makeEdit(maxLength, parent);
    edit->setValidator(new THexValidator(edit));
    return edit;
}

QLineEdit* makeDecimalEdit(int maxLength, QWidget* parent) {
    QLineEdit* edit = makeEdit(maxLength, parent);
    edit->setValidator(new TDecimalValidator(edit));
    return edit;
}

} // namespace zelmo::editor
