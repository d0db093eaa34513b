#pragma once

// Input fields shared by the buffer tool dialogs: a hexadecimal field that takes only "0" to
// "9" and "A" to "F" (lower case becomes upper case) and a decimal field that takes digits only;
// both take Backspace and are limited in length.

#include <QValidator>

class QLineEdit;
class QWidget;

namespace zelmo::editor {

class THexValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

class TDecimalValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A line edit of `maxLength` characters with the hexadecimal or the decimal filter, wide enough
// for its characters.
QLineEdit* makeHexEdit(int maxLength, QWidget* parent = nullptr);
QLineEdit* makeDecimalEdit(int maxLength, QWidget* parent = nullptr);
// Width of a field that shows `characters` characters in its font.
void fitFieldWidth(QLineEdit* edit, int characters);

} // namespace zelmo::editor
