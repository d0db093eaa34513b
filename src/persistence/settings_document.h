#pragma once

// The settings document: a UTF-16 text file of named sections holding key/value pairs, in the
// XML-like shape that every settings-like file of the application uses (configuration, project
// files, serialization files). A document is read completely when opened with loading, answers
// typed reads from memory, collects typed writes and rewrites the whole file on Save() or on
// destruction after at least one write.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace zelmo {

class CMyIni {
public:
    CMyIni() = default;
    ~CMyIni(); // rewrites the file when something was written and not yet saved
    CMyIni(const CMyIni&) = delete;
    CMyIni& operator=(const CMyIni&) = delete;

    // Stores the name and root; with `load` reads the file. A missing file gives an empty
    // document and success; a file that exists but cannot be parsed gives failure.
    bool Open(const QString& fileName, const QString& rootName, bool load);

    std::int32_t ReadInt(const QString& section, const QString& key, std::int32_t def) const;
    std::int64_t ReadInt64(const QString& section, const QString& key, std::int64_t def) const;
    // maxChars 0 means unbounded.
    QString ReadText(const QString& section, const QString& key, const QString& def,
                     int maxChars = 0) const;
    // 8-bit (ISO 8859-1) text, cut to maxBytes - 1 characters when maxBytes is not 0.
    std::string ReadAnsiText(const QString& section, const QString& key, const std::string& def,
                             std::size_t maxBytes = 0) const;

    // Writes refuse (return false, store nothing) what the file could not give back: a key
    // holding a blank or a tab, a value holding a double quote, a section name holding ">" or
    // equal to the root name, and a name or value holding the section's or the root's end tag.
    bool WriteInt(const QString& section, const QString& key, std::int32_t value);
    bool WriteInt64(const QString& section, const QString& key, std::int64_t value);
    bool WriteText(const QString& section, const QString& key, const QString& value);
    bool WriteAnsiText(const QString& section, const QString& key, const std::string& value);

    // Rewrites the file now when modified (temporary file in the same folder, then a rename).
    // Returns false when the rewrite failed; the document stays modified then.
    bool Save();

    bool Modified() const { return modified_; }

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, int> keyIndex; // first entry of each key
    };

    bool Load();
    const QString* Find(const QString& section, const QString& key) const;
    bool Write(const QString& section, const QString& key, const QString& value);
    Section& SectionFor(const QString& name);
    static void AddEntry(Section& section, const QString& key, const QString& value);
    QByteArray Serialize() const;

    QString fileName_;
    QString rootName_;
    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_; // first section of each name
    bool modified_ = false;
};

} // namespace zelmo
