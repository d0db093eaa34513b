#pragma once

// The load dialog without its widgets: the working copy of a memory's recent list, the entry
// chosen in it, which fields the chosen format enables and what they show, the input rules of
// the number fields and what OK makes of them. The dialog only shows these values and hands the
// user's input back.
//
// The working list is a copy of the memory's list of shared entries. OK edits a copy of the
// chosen entry, so a load that fails or a dialog that is cancelled leaves the memory's own list
// and entries exactly as they were; only a successful command hands the working list over.

#include "formats/recent_files.h"
#include "platform/result.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace zelmo::formats {

// Names of the load dialog's format list, in format-index order ("Binary" ... "ispVME").
QStringList LoadFormatNames();
// The open-file dialog's filters: every format's pattern in load mode, "All files (*.*)" alone
// when assigning.
QStringList OpenFileFilters(bool assignMode);

// Input rules of the number fields. Hexadecimal fields take "0" to "9" and "A" to "F" (lower
// case is raised in `text`); decimal fields take "0" to "9". False for any other character or
// for more than `maxDigits` digits.
bool AcceptHexInput(QString& text, int maxDigits);
bool AcceptDecimalInput(const QString& text, int maxDigits);
// The partner field of an offset: decimal from hexadecimal and back (8 digits, upper case).
// Empty for an empty field; a decimal value past 32 bits keeps the hexadecimal field empty.
QString HexToDecimalText(const QString& hex);
QString DecimalToHexText(const QString& decimal);

inline constexpr int kOffsetHexDigits = 8;
inline constexpr int kOffsetDecimalDigits = 10;
inline constexpr int kFillValueDigits = 2;

// Which fields of the dialog are enabled.
struct LoadFieldStates {
    bool Format = false;    // the format combo: an entry is chosen (load mode)
    bool Offsets = false;   // buffer and file offset fields: not for "POF" and "Jedec"
    bool Fill = false;      // "Fill buffer before loading with:": not for "Jedec"
    bool FillValue = false; // its value field, only while the box is ticked
    bool Checksum = false;  // "Calculate checksum": not for "Jedec"
};

// What the fields hold; disabled fields are blank.
struct LoadFields {
    int Format = -1; // format index shown in the combo; -1 without an entry
    QString BufferOffsetHex;
    QString BufferOffsetDecimal;
    QString FileOffsetHex;
    QString FileOffsetDecimal;
    bool FillBefore = false;
    QString FillValue; // two hexadecimal digits
    bool ChecksumAfter = false;
};

class CLoadDialogModel {
public:
    // `memorySize` is 0 for a memory that does not exist: the dialog then only assigns files.
    CLoadDialogModel(const RecentList& recent, std::uint64_t memorySize);

    bool AssignMode() const { return memorySize_ == 0; }
    // "Load file", or "Assign file" when the memory does not exist.
    QString Caption() const;
    const RecentList& List() const { return list_; }
    // Entries in the list (they are kept from the front).
    int Count() const;
    // The chosen entry, -1 for none.
    int Selected() const { return selected_; }

    // A path chosen with "New" or handed over by a drop: a listed path is chosen where it
    // stands; otherwise the tenth entry goes, the others move down and a new entry (fill with
    // 0xFF before loading, checksum after it, in load mode the format guessed from the
    // extension) comes first and is chosen.
    void Choose(const QString& path);
    // The user picks entry `index` of the list: the format and the other fields show it.
    void Select(int index);
    // The user picks another format: its rules decide which fields are enabled; a field that
    // becomes enabled shows the entry's value, one that becomes disabled is blank.
    void SetFormat(int format);
    // The fill box was ticked or cleared.
    void SetFillBefore(bool on);

    LoadFieldStates States() const { return states_; }
    // The fields as the dialog shows them; the dialog writes the user's typing back here.
    LoadFields Fields;

    // OK. In load mode the chosen entry moves to the front and a copy of it takes the fields'
    // values; a buffer offset not below the memory size fails with "Buffer offset too large."
    // and leaves the list unchanged. Without a chosen entry it fails without a message. On
    // success First() is the entry to load or assign.
    Result Accept();
    FileEntryPtr First() const { return list_[0]; }

    // "File loading cancelled." or "File assigning cancelled.".
    QString CancelMessage() const;

private:
    void applyFormat(bool fromEntry);
    const CFileEntry* entry() const;

    RecentList list_;
    std::uint64_t memorySize_;
    int selected_ = -1;
    LoadFieldStates states_;
};

// Format rules shared by the dialog and the tests.
LoadFieldStates LoadFieldStatesFor(int format, bool fillBefore);
// The 8-digit hexadecimal and the decimal text of an offset.
QString OffsetHexText(std::int64_t offset);
// A field's hexadecimal value; nullopt when it is empty or not hexadecimal.
std::optional<std::uint64_t> HexFieldValue(const QString& text);

} // namespace zelmo::formats
