#include "formats/ui/number_validators.h"

#include "formats/load_dialog_model.h"

namespace zelmo::formats {

THexValidator::THexValidator(int digits, QObject* parent) : QValidator(parent), digits_(digits) {}

QValidator::State THexValidator::validate(QString& input, int&) const {
    return AcceptHexInput(input, digits_) ? Acceptable : Invalid;
}

TDecimalValidator::TDecimalValidator(int digits, QObject* parent)
    : QValidator(parent), digits_(digits) {}

QValidator::State TDecimalValidator::validate(QString& input, int&) const {
    return AcceptDecimalInput(input, digits_) ? Acceptable : Invalid;
}

} // namespace zelmo::formats
