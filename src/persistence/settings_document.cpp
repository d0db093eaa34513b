#include "persistence/settings_document.h"

#include "platform/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QStringView>
#include <QSysInfo>
#include <QtEndian>

#include <filesystem>
#include <span>

namespace zelmo {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr QStringView kDeclaration = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n";
constexpr QStringView kLineEnd = u"\r\n";

std::filesystem::path NativePath(const QString& fileName) {
    return std::filesystem::path(QFile::encodeName(fileName).toStdString());
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

// The value of the leading hexadecimal digits of `text` (after leading blanks and tabs), 0 when
// there are none, `limit` when the number exceeds it.
std::uint64_t ParseHex(QStringView text, std::uint64_t limit) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) {
            break;
        }
        if (value > (limit >> 4)) {
            return limit;
        }
        value = (value << 4) | static_cast<std::uint64_t>(digit);
        if (value > limit) {
            return limit;
        }
    }
    return value;
}

// Index of the first blank or tab in `text` from `from`, or -1.
qsizetype FindBlank(QStringView text, qsizetype from) {
    const QChar* data = text.data();
    for (qsizetype i = from; i < text.size(); ++i) {
        if (data[i] == u' ' || data[i] == u'\t') {
            return i;
        }
    }
    return -1;
}

QString EndTag(QStringView name) {
    QString tag;
    tag.reserve(name.size() + 3);
    tag += u"</";
    tag += name;
    tag += u'>';
    return tag;
}

} // namespace

CMyIni::~CMyIni() {
    if (modified_) {
        Save();
    }
}

bool CMyIni::Open(const QString& fileName, const QString& rootName, bool load) {
    fileName_ = fileName;
    rootName_ = rootName;
    sections_.clear();
    sectionIndex_.clear();
    modified_ = false;

    // A read-only file could not be rewritten later; give the owner write access back.
    if (QFileInfo::exists(fileName)) {
        const QFile::Permissions perms = QFile::permissions(fileName);
        if (!(perms & QFileDevice::WriteOwner)) {
            QFile::setPermissions(fileName, perms | QFileDevice::WriteOwner);
        }
    }
    if (!load) {
        return true;
    }
    return Load();
}

bool CMyIni::Load() {
    // Read, not mapped: a file that another program cuts short while it is read then fails the
    // read instead of faulting on a page past its new end. A FIFO or a device is a file that
    // cannot be opened.
    const platform::File file =
        platform::File::open(NativePath(fileName_), platform::OpenMode::Read);
    const std::int64_t size = file.size();
    if (!file.isOpen() || size < 0) {
        return true; // the file cannot be opened: an empty document
    }
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    if (!file.readAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()),
                                  static_cast<std::size_t>(text.size()) * 2))) {
        return false;
    }
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        qFromLittleEndian<char16_t>(text.data(), text.size(), text.data());
    }
    const QStringView all(text);

    const QString rootStart = QStringLiteral("<") + rootName_ + u'>';
    const qsizetype rootAt = all.indexOf(rootStart);
    if (rootAt < 0) {
        return false;
    }
    const qsizetype contentStart = rootAt + rootStart.size();
    const qsizetype rootEndAt = all.indexOf(EndTag(rootName_), contentStart);
    if (rootEndAt < 0) {
        return false;
    }
    const QStringView content = all.sliced(contentStart, rootEndAt - contentStart);

    qsizetype pos = 0;
    for (;;) {
        pos = content.indexOf(u'<', pos);
        if (pos < 0) {
            return true;
        }
        const qsizetype nameEnd = content.indexOf(u'>', pos + 1);
        if (nameEnd < 0) {
            return false;
        }
        const QStringView name = content.sliced(pos + 1, nameEnd - pos - 1);
        const QString sectionEnd = EndTag(name);
        qsizetype endAt = content.indexOf(sectionEnd, nameEnd + 1);
        if (endAt < 0) {
            endAt = content.size();
        }
        // Entries are parsed within the section's body only, so a damaged entry can never
        // run into the next section.
        const QStringView body = content.first(endAt);

        sections_.push_back(Section{name.toString(), {}, {}});
        if (!sectionIndex_.contains(sections_.back().name)) {
            sectionIndex_.insert(sections_.back().name, static_cast<int>(sections_.size() - 1));
        }
        Section& section = sections_.back();

        qsizetype p = nameEnd + 1;
        for (;;) {
            p = body.indexOf(u'<', p);
            if (p < 0) {
                p = endAt;
                break;
            }
            const qsizetype keyEnd = FindBlank(body, p + 1);
            if (keyEnd < 0) {
                return false;
            }
            const qsizetype open = body.indexOf(u'"', keyEnd);
            const qsizetype close = open < 0 ? -1 : body.indexOf(u'"', open + 1);
            const qsizetype tagEnd = close < 0 ? -1 : body.indexOf(u'>', close + 1);
            if (tagEnd < 0) {
                return false;
            }
            AddEntry(section, body.sliced(p + 1, keyEnd - p - 1).toString(),
                     body.sliced(open + 1, close - open - 1).toString());
            p = tagEnd + 1;
        }
        if (p >= content.size() || !content.sliced(p).startsWith(sectionEnd)) {
            return false;
        }
        pos = p + sectionEnd.size();
    }
}

void CMyIni::AddEntry(Section& section, const QString& key, const QString& value) {
    section.entries.push_back(Entry{key, value});
    if (!section.keyIndex.contains(key)) {
        section.keyIndex.insert(key, static_cast<int>(section.entries.size() - 1));
    }
}

const QString* CMyIni::Find(const QString& section, const QString& key) const {
    const auto s = sectionIndex_.constFind(section);
    if (s == sectionIndex_.cend()) {
        return nullptr;
    }
    const Section& sec = sections_[static_cast<std::size_t>(*s)];
    const auto k = sec.keyIndex.constFind(key);
    if (k == sec.keyIndex.cend()) {
        return nullptr;
    }
    return &sec.entries[static_cast<std::size_t>(*k)].value;
}

CMyIni::Section& CMyIni::SectionFor(const QString& name) {
    const auto s = sectionIndex_.constFind(name);
    if (s != sectionIndex_.cend()) {
        return sections_[static_cast<std::size_t>(*s)];
    }
    sections_.push_back(Section{name, {}, {}});
    sectionIndex_.insert(name, static_cast<int>(sections_.size() - 1));
    return sections_.back();
}

bool CMyIni::Write(const QString& section, const QString& key, const QString& value) {
    if (key.contains(u' ') || key.contains(u'\t') || value.contains(u'"') ||
        section.contains(u'>')) {
        return false;
    }
    // No written piece may hold the end tag that the loader looks for, or the document would
    // be cut short when read back.
    // A section named like the root would be taken for the root itself: its end tag would end
    // the document early and the whole file would no longer load.
    const QString rootEnd = EndTag(rootName_);
    if (section == rootName_ || (QStringLiteral("<") + section + u'>').contains(rootEnd)) {
        return false;
    }
    if (key.startsWith(u'/') || key.contains(u"</") || value.contains(u"</")) {
        const QString line = QStringLiteral(" <") + key + QStringLiteral(" value = \"") + value +
                             QStringLiteral("\"/>");
        if (line.contains(rootEnd) || line.contains(EndTag(section))) {
            return false;
        }
    }
    Section& sec = SectionFor(section);
    const auto k = sec.keyIndex.constFind(key);
    if (k != sec.keyIndex.cend()) {
        sec.entries[static_cast<std::size_t>(*k)].value = value;
    } else {
        AddEntry(sec, key, value);
    }
    modified_ = true;
    return true;
}

std::int32_t CMyIni::ReadInt(const QString& section, const QString& key, std::int32_t def) const {
    const QString* value = Find(section, key);
    if (value == nullptr) {
        return def;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ParseHex(*value, 0xFFFFFFFFu)));
}

std::int64_t CMyIni::ReadInt64(const QString& section, const QString& key, std::int64_t def) const {
    const QString* value = Find(section, key);
    if (value == nullptr) {
        return def;
    }
    std::uint64_t result = 0;
    if (value->size() <= 16) {
        // Right-aligned in a 16-character field of "0": high half, then low half.
        const QString field = QString(16 - value->size(), u'0') + *value;
        const std::uint64_t high = ParseHex(QStringView(field).first(8), 0xFFFFFFFFu);
        const std::uint64_t low = ParseHex(QStringView(field).sliced(8), 0xFFFFFFFFu);
        result = (high << 32) | low;
    } else {
        // Too long for the field: the leading digits, saturated like a 32-bit read.
        result = ParseHex(*value, ~std::uint64_t{0});
    }
    return static_cast<std::int64_t>(result);
}

QString CMyIni::ReadText(const QString& section, const QString& key, const QString& def,
                         int maxChars) const {
    const QString* value = Find(section, key);
    const QString& text = value != nullptr ? *value : def;
    return maxChars > 0 ? text.left(maxChars) : text;
}

std::string CMyIni::ReadAnsiText(const QString& section, const QString& key, const std::string& def,
                                 std::size_t maxBytes) const {
    const QString* value = Find(section, key);
    std::string text = value != nullptr ? value->toLatin1().toStdString() : def;
    if (maxBytes > 0 && text.size() > maxBytes - 1) {
        text.resize(maxBytes - 1);
    }
    return text;
}

bool CMyIni::WriteInt(const QString& section, const QString& key, std::int32_t value) {
    return Write(section, key, QString::number(static_cast<std::uint32_t>(value), 16));
}

bool CMyIni::WriteInt64(const QString& section, const QString& key, std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    const auto high = static_cast<std::uint32_t>(bits >> 32);
    const auto low = static_cast<std::uint32_t>(bits);
    return Write(section, key,
                 QString::number(high, 16) + QStringLiteral("%1").arg(low, 8, 16, QChar(u'0')));
}

bool CMyIni::WriteText(const QString& section, const QString& key, const QString& value) {
    return Write(section, key, value);
}

bool CMyIni::WriteAnsiText(const QString& section, const QString& key, const std::string& value) {
    return Write(section, key,
                 QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size())));
}

QByteArray CMyIni::Serialize() const {
    QString text;
    qsizetype estimate = 64 + 2 * rootName_.size();
    for (const Section& sec : sections_) {
        estimate += 8 + 2 * sec.name.size();
        for (const Entry& e : sec.entries) {
            estimate += 18 + e.key.size() + e.value.size();
        }
    }
    text.reserve(estimate);

    text += kDeclaration;
    text += u'<';
    text += rootName_;
    text += u'>';
    text += kLineEnd;
    for (const Section& sec : sections_) {
        if (sec.entries.empty()) {
            continue;
        }
        text += u'<';
        text += sec.name;
        text += u'>';
        text += kLineEnd;
        for (const Entry& e : sec.entries) {
            text += u" <";
            text += e.key;
            text += u" value = \"";
            text += e.value;
            text += u"\"/>";
            text += kLineEnd;
        }
        text += u"</";
        text += sec.name;
        text += u'>';
        text += kLineEnd;
    }
    text += u"</";
    text += rootName_;
    text += u'>';

    QByteArray bytes(2 * (text.size() + 1), Qt::Uninitialized);
    qToLittleEndian<char16_t>(&kByteOrderMark, 1, bytes.data());
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data() + 2);
    return bytes;
}

bool CMyIni::Save() {
    if (!modified_) {
        return true;
    }
    if (fileName_.isEmpty()) {
        return false;
    }
    // Replace the file a link points to, not the link.
    QString target = fileName_;
    const QFileInfo info(fileName_);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        if (!resolved.isEmpty()) {
            target = resolved;
        }
    }
    const QByteArray bytes = Serialize();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (!platform::replaceFileAtomically(NativePath(target),
                                         std::span<const std::uint8_t>(data, bytes.size()))) {
        return false;
    }
    modified_ = false;
    return true;
}

} // namespace zelmo
