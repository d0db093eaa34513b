#include "formats/load_dialog_model.h"

#include "formats/format_guess.h"

#include <algorithm>
#include <limits>

namespace zelmo::formats {

namespace {

constexpr int kFormats = FmtIspVme + 1;

bool validFormat(int format) {
    return format >= 0 && format < kFormats;
}

std::optional<std::uint64_t> decimalValue(const QString& text) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

} // namespace

QStringList LoadFormatNames() {
    return {
        QStringLiteral("Binary"), QStringLiteral("Intel HEX"), QStringLiteral("Motorola S-Record"),
        QStringLiteral("TI-txt"), QStringLiteral("POF"),       QStringLiteral("Jedec"),
        QStringLiteral("ispVME")};
}

QStringList OpenFileFilters(bool assignMode) {
    if (assignMode) {
        return {QStringLiteral("All files (*.*)")};
    }
    // The TI-txt entry names its pattern the way the other entries do, so that the file dialog
    // can apply it.
    return {QStringLiteral("All files (*.*)"),
            QStringLiteral("Intel HEX (*.hex)"),
            QStringLiteral("Motorola S-Record (*.s*)"),
            QStringLiteral("TI-txt (*.txt)"),
            QStringLiteral("Binary (*.bin)"),
            QStringLiteral("POF (*.pof)"),
            QStringLiteral("Jedec (*.jed)"),
            QStringLiteral("ispVME (*.vme)")};
}

bool AcceptHexInput(QString& text, int maxDigits) {
    if (text.size() > maxDigits) {
        return false;
    }
    for (QChar& c : text) {
        if (c >= u'a' && c <= u'f') {
            c = QChar(c.unicode() - (u'a' - u'A'));
        }
        const bool digit = c >= u'0' && c <= u'9';
        if (!digit && !(c >= u'A' && c <= u'F')) {
            return false;
        }
    }
    return true;
}

bool AcceptDecimalInput(const QString& text, int maxDigits) {
    return text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<std::uint64_t> HexFieldValue(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

QString HexToDecimalText(const QString& hex) {
    const std::optional<std::uint64_t> value = HexFieldValue(hex);
    return value ? QString::number(*value) : QString();
}

QString DecimalToHexText(const QString& decimal) {
    const std::optional<std::uint64_t> value = decimalValue(decimal);
    if (!value || *value > std::numeric_limits<std::uint32_t>::max()) {
        return {};
    }
    return QStringLiteral("%1").arg(*value, kOffsetHexDigits, 16, QLatin1Char('0')).toUpper();
}

QString OffsetHexText(std::int64_t offset) {
    return QStringLiteral("%1")
        .arg(static_cast<qulonglong>(std::max<std::int64_t>(offset, 0)), kOffsetHexDigits, 16,
             QLatin1Char('0'))
        .toUpper();
}

LoadFieldStates LoadFieldStatesFor(int format, bool fillBefore) {
    LoadFieldStates states;
    if (!validFormat(format)) {
        return states;
    }
    states.Format = true;
    states.Offsets = format != FmtPof && format != FmtJedec;
    states.Fill = format != FmtJedec;
    states.FillValue = states.Fill && fillBefore;
    states.Checksum = format != FmtJedec;
    return states;
}

CLoadDialogModel::CLoadDialogModel(const RecentList& recent, std::uint64_t memorySize)
    : list_(recent), memorySize_(memorySize) {}

QString CLoadDialogModel::Caption() const {
    return AssignMode() ? QStringLiteral("Assign file") : QStringLiteral("Load file");
}

int CLoadDialogModel::Count() const {
    return static_cast<int>(std::count_if(list_.begin(), list_.end(),
                                          [](const FileEntryPtr& e) { return e != nullptr; }));
}

const CFileEntry* CLoadDialogModel::entry() const {
    return selected_ >= 0 && selected_ < kRecentFiles ? list_[selected_].get() : nullptr;
}

void CLoadDialogModel::Choose(const QString& path) {
    const int listed = FindRecent(list_, path);
    if (listed >= 0) {
        Select(listed);
        return;
    }
    // Files only assigned are read by the hardware library, which knows their format itself.
    PushFront(list_, NewFileEntry(path, AssignMode() ? FmtBinary : GuessFormat(path)));
    Select(0);
}

void CLoadDialogModel::Select(int index) {
    if (index < 0 || index >= kRecentFiles || !list_[index]) {
        selected_ = -1;
        Fields = {};
        states_ = {};
        return;
    }
    selected_ = index;
    Fields = {};
    if (AssignMode()) {
        states_ = {}; // the format and options are hidden: the library reads the file itself
        return;
    }
    Fields.Format =
        validFormat(list_[index]->Type) ? list_[index]->Type : static_cast<int>(FmtBinary);
    applyFormat(true);
}

void CLoadDialogModel::SetFormat(int format) {
    if (entry() == nullptr || AssignMode() || !validFormat(format)) {
        return;
    }
    Fields.Format = format;
    applyFormat(false);
}

void CLoadDialogModel::SetFillBefore(bool on) {
    Fields.FillBefore = on;
    const bool wasEnabled = states_.FillValue;
    states_ = LoadFieldStatesFor(Fields.Format, Fields.FillBefore);
    if (!states_.FillValue) {
        Fields.FillValue.clear(); // a disabled field shows no value
    } else if (!wasEnabled && Fields.FillValue.isEmpty() && entry() != nullptr) {
        Fields.FillValue = QStringLiteral("%1")
                               .arg(entry()->FillWith, kFillValueDigits, 16, QLatin1Char('0'))
                               .toUpper();
    }
}

void CLoadDialogModel::applyFormat(bool fromEntry) {
    const CFileEntry* e = entry();
    const LoadFieldStates before = states_;
    const bool fillBefore = fromEntry ? e->FillBefore != 0 : Fields.FillBefore;
    states_ = LoadFieldStatesFor(Fields.Format, fillBefore);
    // A field that was enabled keeps what the user typed; one that becomes enabled shows the
    // entry's value; a disabled one is blank.
    if (!states_.Offsets) {
        Fields.BufferOffsetHex.clear();
        Fields.BufferOffsetDecimal.clear();
        Fields.FileOffsetHex.clear();
        Fields.FileOffsetDecimal.clear();
    } else if (fromEntry || !before.Offsets) {
        Fields.BufferOffsetHex = OffsetHexText(e->BufferOffset);
        Fields.BufferOffsetDecimal = HexToDecimalText(Fields.BufferOffsetHex);
        Fields.FileOffsetHex = OffsetHexText(e->FileOffset);
        Fields.FileOffsetDecimal = HexToDecimalText(Fields.FileOffsetHex);
    }
    if (!states_.Fill) {
        Fields.FillBefore = false;
        Fields.FillValue.clear();
    } else if (fromEntry || !before.Fill) {
        Fields.FillBefore = e->FillBefore != 0;
        states_.FillValue = Fields.FillBefore;
        Fields.FillValue =
            QStringLiteral("%1").arg(e->FillWith, kFillValueDigits, 16, QLatin1Char('0')).toUpper();
    }
    if (!states_.FillValue) {
        Fields.FillValue.clear();
    }
    if (!states_.Checksum) {
        Fields.ChecksumAfter = false;
    } else if (fromEntry || !before.Checksum) {
        Fields.ChecksumAfter = e->ChecksumAfter != 0;
    }
}

Result CLoadDialogModel::Accept() {
    if (entry() == nullptr) {
        return Result::failure({});
    }
    if (AssignMode()) {
        MoveToFront(list_, selected_);
        selected_ = 0;
        return Result::success(QStringLiteral("File assigned."));
    }
    auto edited = std::make_shared<CFileEntry>(*entry());
    const auto offset = [this](const QString& decimal) -> std::int64_t {
        if (!states_.Offsets) {
            return 0;
        }
        const std::optional<std::uint64_t> value = decimalValue(decimal);
        return value ? static_cast<std::int64_t>(std::min<std::uint64_t>(
                           *value, std::numeric_limits<std::int64_t>::max()))
                     : 0;
    };
    edited->BufferOffset = offset(Fields.BufferOffsetDecimal);
    edited->FileOffset = offset(Fields.FileOffsetDecimal);
    if (static_cast<std::uint64_t>(edited->BufferOffset) >= memorySize_) {
        return Result::failure(QStringLiteral("Buffer offset too large."));
    }
    edited->Type = static_cast<std::uint8_t>(Fields.Format);
    // An option the format leaves out is off for this file.
    edited->FillBefore = states_.Fill && Fields.FillBefore ? 1 : 0;
    if (states_.FillValue) {
        const std::optional<std::uint64_t> fill = HexFieldValue(Fields.FillValue);
        edited->FillWith = fill && *fill <= 0xFF ? static_cast<std::uint8_t>(*fill) : 0xFF;
    }
    edited->ChecksumAfter = states_.Checksum && Fields.ChecksumAfter ? 1 : 0;
    list_[selected_] = std::move(edited);
    MoveToFront(list_, selected_);
    selected_ = 0;
    return Result::success();
}

QString CLoadDialogModel::CancelMessage() const {
    return AssignMode() ? QStringLiteral("File assigning cancelled.")
                        : QStringLiteral("File loading cancelled.");
}

} // namespace zelmo::formats
