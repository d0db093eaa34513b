#include "serialization/serialization_setup.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace zelmo {

CSerializationSetup::CSerializationSetup(const CSerialization& record, std::uint64_t memorySizeA)
    : memorySizeA_(memorySizeA) {
    if (record.Enabled == 0) {
        Choice = SerialChoice::Disabled;
    } else {
        Choice = record.Type == 1 ? SerialChoice::FromFile : SerialChoice::Generate;
    }
    Binary = record.BinaryMode != 0;
    Msb = record.MsbOrder != 0;
    Hex = record.HexType != 0;
    // A length the list does not hold (a record never loaded from a file can carry one) is
    // shown as the nearest entry, so the list and the maximum agree.
    Length = static_cast<std::uint8_t>(std::clamp<int>(record.Length, 1, LengthCount()));
    Address = record.Address;
    Start = record.Current;
    Step = record.Step;
    FileName = record.FileName;
}

std::uint32_t CSerializationSetup::MaxAddress() const {
    if (memorySizeA_ <= Length) {
        return 0;
    }
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(memorySizeA_ - Length, std::numeric_limits<std::uint32_t>::max()));
}

QString CSerializationSetup::AddressText() const {
    return QStringLiteral("%1").arg(Address, 8, 16, QLatin1Char('0')).toUpper();
}

QString CSerializationSetup::NumberText(std::uint64_t value) const {
    if (Hex) {
        return QStringLiteral("%1")
            .arg(value, CSerialization::Digits(Length, Binary), 16, QLatin1Char('0'))
            .toUpper();
    }
    return QString::number(value);
}

QString CSerializationSetup::AddressRangeText() const {
    return QStringLiteral("(00000000 - %1)").arg(MaxAddress(), 8, 16, QLatin1Char('0')).toUpper();
}

QString CSerializationSetup::ProjectPanelCaption() const {
    return Modified ? QStringLiteral(" Project file (not saved) ")
                    : QStringLiteral(" Project file ");
}

QString CSerializationSetup::FileBoxText() const {
    return Choice == SerialChoice::Disabled || FileName.isEmpty() ? QStringLiteral("none")
                                                                  : FileName;
}

std::optional<QChar> CSerializationSetup::FilterKey(QChar typed, bool hex) {
    if (typed >= u'0' && typed <= u'9') {
        return typed;
    }
    if (!hex) {
        return std::nullopt;
    }
    const QChar upper = typed.toUpper();
    if (upper >= u'A' && upper <= u'F') {
        return upper;
    }
    return std::nullopt;
}

std::uint64_t CSerializationSetup::ReadNumber(const QString& text, bool hex) {
    const std::uint64_t base = hex ? 16 : 10;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (QChar c : text.trimmed()) {
        const int digit = c.isDigit() ? c.digitValue()
                          : hex && c.toUpper() >= u'A' && c.toUpper() <= u'F'
                              ? c.toUpper().unicode() - u'A' + 10
                              : -1;
        if (digit < 0 || digit >= static_cast<int>(base)) {
            break; // the fields hold only digits; anything else ends the number
        }
        if (value > (kMax - static_cast<std::uint64_t>(digit)) / base) {
            return kMax;
        }
        value = value * base + static_cast<std::uint64_t>(digit);
    }
    return value;
}

void CSerializationSetup::LeaveAddress(const QString& text) {
    const std::uint64_t read = ReadNumber(text, true);
    Address = static_cast<std::uint32_t>(std::min<std::uint64_t>(read, MaxAddress()));
}

void CSerializationSetup::LeaveStart(const QString& text) {
    Start = std::min(ReadNumber(text, Hex), Maximum());
}

void CSerializationSetup::LeaveStep(const QString& text) {
    Step = std::min(ReadNumber(text, Hex), Maximum());
}

void CSerializationSetup::validate(const SerialFieldTexts& texts) {
    LeaveAddress(texts.Address);
    LeaveStart(texts.Start);
    LeaveStep(texts.Step);
}

void CSerializationSetup::read(const SerialFieldTexts& texts) {
    Address = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(ReadNumber(texts.Address, true), 0xFFFFFFFFu));
    Start = ReadNumber(texts.Start, Hex);
    Step = ReadNumber(texts.Step, Hex);
}

void CSerializationSetup::clampAll() {
    Address = std::min(Address, MaxAddress());
    Start = std::min(Start, Maximum());
    Step = std::min(Step, Maximum());
}

void CSerializationSetup::ChooseDisabled() {
    Choice = SerialChoice::Disabled;
    Modified = false;
}

void CSerializationSetup::ChooseGenerate() {
    // Turning numbering on is a change that OK must not drop silently.
    if (Choice != SerialChoice::Generate) {
        Modified = true;
    }
    Choice = SerialChoice::Generate;
}

void CSerializationSetup::ChooseAscii(const SerialFieldTexts& texts) {
    read(texts);
    if (Binary) {
        Binary = false;
        Length = static_cast<std::uint8_t>(std::min(Length * 2, 16));
        Modified = true;
    }
    clampAll();
}

void CSerializationSetup::ChooseBinary(const SerialFieldTexts& texts) {
    read(texts);
    if (!Binary) {
        Binary = true;
        if (Length > 1) {
            Length = static_cast<std::uint8_t>(Length / 2);
        }
        Length = std::min<std::uint8_t>(Length, 8);
        Modified = true;
    }
    clampAll();
}

void CSerializationSetup::ChooseLength(int index, const SerialFieldTexts& texts) {
    read(texts);
    const auto length = static_cast<std::uint8_t>(std::clamp(index + 1, 1, LengthCount()));
    if (length != Length) {
        Length = length;
        Modified = true;
    }
    clampAll();
}

void CSerializationSetup::ChooseSystem(bool hex, const SerialFieldTexts& texts) {
    validate(texts);
    if (hex != Hex) {
        Hex = hex;
        Modified = true;
    }
}

void CSerializationSetup::ChooseOrder(bool msb) {
    Msb = msb;
    Modified = true;
}

void CSerializationSetup::StoreInto(CSerialization& record, const QString& fileName,
                                    const SerialFieldTexts& texts) {
    validate(texts);
    record.Enabled = 1;
    record.Type = 0;
    record.Address = Address;
    record.Current = Start;
    record.Step = Step;
    record.Length = Length;
    record.BinaryMode = Binary ? 1 : 0;
    record.MsbOrder = Msb ? 1 : 0;
    record.HexType = Hex ? 1 : 0;
    record.FileName = fileName;
    FileName = fileName;
    Choice = SerialChoice::Generate;
    Modified = false;
}

SerializationPanelTexts SerializationPanel(const CSerialization* record) {
    SerializationPanelTexts texts{QStringLiteral("disabled"), QStringLiteral("none"),
                                  QStringLiteral("none")};
    if (record == nullptr) {
        return texts;
    }
    if (record->Enabled != 0) {
        texts.Mode =
            record->Type == 1 ? QStringLiteral("from file") : QStringLiteral("incremental");
        texts.Value = record->ValueText();
    }
    if (!record->FileName.isEmpty()) {
        texts.File = QFileInfo(record->FileName).fileName();
    }
    return texts;
}

std::vector<QString> SerializationReport(const CSerialization& record) {
    if (record.Enabled == 0) {
        return {QStringLiteral("Serialization disabled.")};
    }
    return {QStringLiteral("Serialization enabled."),
            QStringLiteral("Serialization file: '") + record.FileName + QStringLiteral("'."),
            record.Type == 1 ? QStringLiteral("Mode: from file.")
                             : QStringLiteral("Mode: incremental."),
            QStringLiteral("Value: ") + record.ValueText() + QStringLiteral(".")};
}

} // namespace zelmo
