#include "formats/format_guess.h"

namespace zelmo::formats {

FileFormat GuessFormat(const QString& fileName) {
    // The extension is the last dot of the file's own name, the dot included.
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash) {
        return FmtBinary;
    }
    const QString ext = fileName.mid(dot);
    struct Rule {
        const char* extension;
        FileFormat format;
    };
    static constexpr Rule kRules[] = {
        {".jed", FmtJedec},
        {".pof", FmtPof},
        {".txt", FmtTiTxt},
        {".hex", FmtIntelHex},
    };
    for (const Rule& r : kRules) {
        if (ext.compare(QLatin1String(r.extension), Qt::CaseInsensitive) == 0) {
            return r.format;
        }
    }
    if (ext.size() >= 3 && (ext[1] == QLatin1Char('s') || ext[1] == QLatin1Char('S')) &&
        ext[2].isDigit()) {
        return FmtSRecord;
    }
    return FmtBinary;
}

} // namespace zelmo::formats
