#pragma once

// Input rules of the hexadecimal and decimal fields of the file dialogs, as validators: a
// hexadecimal field takes "0" to "9" and "A" to "F" (lower case is raised as it is typed), a
// decimal field "0" to "9", each up to its number of digits. Backspace always works.

#include <QValidator>

namespace zelmo::formats {

class THexValidator : public QValidator {
    Q_OBJECT
public:
    THexValidator(int digits, QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    int digits_;
};

class TDecimalValidator : public QValidator {
    Q_OBJECT
public:
    TDecimalValidator(int digits, QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    int digits_;
};

} // namespace zelmo::formats
