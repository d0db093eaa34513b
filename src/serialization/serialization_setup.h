#pragma once

// The rules of the serialization dialog without its widgets: which choices it shows, how the
// length follows the ASCII/binary mode, how the address, start and step fields are filtered,
// read and brought into range, the panel texts, and what Save and OK put into the device's
// record. The dialog only copies texts in and out and asks the user.

#include "serialization/serialization.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zelmo {

enum class SerialChoice { Disabled, Generate, FromFile };

// The three number fields as the dialog holds them while the user types.
struct SerialFieldTexts {
    QString Address;
    QString Start;
    QString Step;
};

class CSerializationSetup {
public:
    // Takes the record's fields as the dialog opens on them (after the record was loaded from
    // its file or reset); memory A's size bounds the address.
    CSerializationSetup(const CSerialization& record, std::uint64_t memorySizeA);

    SerialChoice Choice = SerialChoice::Disabled;
    bool Binary = true;
    bool Msb = true;
    bool Hex = true;
    std::uint8_t Length = 2;
    std::uint32_t Address = 0;
    std::uint64_t Start = 0;
    std::uint64_t Step = 1;
    bool Modified = false;
    QString FileName;

    // Entries of the length list: 1 to 8 in binary mode, 1 to 16 in ASCII mode.
    int LengthCount() const { return Binary ? 8 : 16; }
    std::uint64_t Maximum() const { return CSerialization::Maximum(Length, Binary, Hex); }
    // Highest address: memory A's size less the length (0 when memory A is smaller).
    std::uint32_t MaxAddress() const;

    // Field and panel texts.
    QString AddressText() const; // "%08X"
    QString StartText() const { return NumberText(Start); }
    QString StepText() const { return NumberText(Step); }
    // Upper-case hexadecimal with the mode's digits, or decimal without leading zeros.
    QString NumberText(std::uint64_t value) const;
    QString AddressRangeText() const; // "(00000000 - XXXXXXXX)"
    QString ProjectPanelCaption() const;
    bool ProjectPanelRed() const { return Modified; }
    // The file name (the widget shortens it), or "none" while "Disabled" is chosen.
    QString FileBoxText() const;
    bool NumberPanelVisible() const { return Choice == SerialChoice::Generate; }
    bool DataFilePanelVisible() const { return Choice == SerialChoice::FromFile; }
    bool SaveEnabled() const { return Choice != SerialChoice::Disabled; }
    bool HexSuffixVisible() const { return Hex; }

    // A typed character of the address (always hexadecimal) or of the start and step fields
    // (by the current system): the character to insert, upper-cased, or none to drop it.
    static std::optional<QChar> FilterKey(QChar typed, bool hex);
    std::optional<QChar> FilterNumberKey(QChar typed) const { return FilterKey(typed, Hex); }
    std::optional<QChar> FilterAddressKey(QChar typed) const { return FilterKey(typed, true); }

    // Leaving a field: the text is read and brought into range; the field shows the result.
    void LeaveAddress(const QString& text);
    void LeaveStart(const QString& text);
    void LeaveStep(const QString& text);
    // The user changed a field's text.
    void FieldEdited() { Modified = true; }

    // The choices. Each takes the texts the fields hold at that moment, so that a value typed
    // but not yet left counts: the mode and length changes check it against the new range, the
    // system change reads and checks it in the old system.
    void ChooseDisabled();
    void ChooseGenerate();
    // ASCII doubles the length; binary halves it when it is above 1.
    void ChooseAscii(const SerialFieldTexts& texts);
    void ChooseBinary(const SerialFieldTexts& texts);
    // `index` 0 is length 1.
    void ChooseLength(int index, const SerialFieldTexts& texts);
    // Start and step are validated in the old system, then shown in the new one.
    void ChooseSystem(bool hex, const SerialFieldTexts& texts);
    void ChooseOrder(bool msb);

    // Save: every field validated again, then the dialog's values go into the record with
    // Enabled 1, Type 0 and the chosen file. The caller writes the file.
    void StoreInto(CSerialization& record, const QString& fileName, const SerialFieldTexts& texts);

    // Reads a number field's text (hexadecimal or decimal); a value past 64 bits reads as the
    // largest 64-bit value, so the range check brings it down to the maximum.
    static std::uint64_t ReadNumber(const QString& text, bool hex);

private:
    // Takes the texts as they stand (the range check follows the change they belong to).
    void read(const SerialFieldTexts& texts);
    void validate(const SerialFieldTexts& texts);
    void clampAll();

    std::uint64_t memorySizeA_ = 0;
};

// What the main window's serialization panel shows for the active device (none: no device).
struct SerializationPanelTexts {
    QString Mode;  // "incremental", "from file" or "disabled"
    QString Value; // the value text, or "none"
    QString File;  // the file name without its folder, or "none"
};
SerializationPanelTexts SerializationPanel(const CSerialization* record);

// The log entries after the dialog has closed, under the active device's header: the first
// text is also the status message.
std::vector<QString> SerializationReport(const CSerialization& record);

} // namespace zelmo
