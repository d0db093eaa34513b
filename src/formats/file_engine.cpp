#include "formats/file_engine.h"

#include "formats/file_time.h"
#include "formats/intel_hex.h"
#include "formats/jedec.h"
#include "formats/srecord.h"
#include "formats/text_output.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zelmo::formats {

namespace {

constexpr std::uint64_t kTwoGiB = 0x80000000u;
// Large reads for the record readers: a 4 MiB buffer stays cache-friendly and makes a 185 MB
// file a few dozen system calls.
constexpr std::size_t kReadChunk = std::size_t{4} << 20;

std::filesystem::path toPath(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

std::string fieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

// The mappings of every target's swap file and the spans of one memory in them.
struct MappedTargets {
    std::vector<platform::Mapping> mappings;
    std::vector<CDataSet*> sets;

    bool map(const TargetSet& targets) {
        for (CDataSet* ds : targets) {
            if (ds == nullptr) {
                continue;
            }
            platform::Mapping m = ds->Map();
            if (!m.valid()) {
                return false;
            }
            mappings.push_back(std::move(m));
            sets.push_back(ds);
        }
        return true;
    }
    std::vector<std::span<std::uint8_t>> memory(int m) const {
        std::vector<std::span<std::uint8_t>> spans;
        for (std::size_t i = 0; i < sets.size(); ++i) {
            spans.push_back(sets[i]->MemoryBytes(mappings[i], m));
        }
        return spans;
    }
};

// Feeds a record reader from large reads of the file, carrying an unfinished line over.
template <typename Reader>
ParseStep feedByReads(Reader& reader, const platform::File& file, std::uint64_t size) {
    std::vector<char> buffer(kReadChunk + Reader::kMaxLine + 2);
    std::size_t have = 0;
    std::uint64_t position = 0;
    for (;;) {
        const auto want = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size() - have, size - position));
        if (want > 0 &&
            !file.readAt(position,
                         std::span(reinterpret_cast<std::uint8_t*>(buffer.data()) + have, want))) {
            return ParseStep::Failed;
        }
        position += want;
        have += want;
        const bool last = position >= size;
        std::size_t consumed = 0;
        const ParseStep step =
            reader.parse(std::span<const char>(buffer.data(), have), last, consumed);
        if (step != ParseStep::More || last) {
            return step == ParseStep::More ? ParseStep::Failed : step;
        }
        std::memmove(buffer.data(), buffer.data() + consumed, have - consumed);
        have -= consumed;
    }
}

} // namespace

bool TFile::fail(const QString& message) {
    Message = message;
    return false;
}

CDataSet* TFile::firstTarget() const {
    for (CDataSet* ds : Targets) {
        if (ds != nullptr) {
            return ds;
        }
    }
    return nullptr;
}

bool TFile::Load() {
    if (!CurrentEntry || CurrentEntry->FileName.isEmpty()) {
        return false;
    }
    CFileEntry& entry = *CurrentEntry;
    Busy.setPercent(0);
    if (entry.FillBefore != 0 && !fillBefore(entry.FillWith)) {
        return false;
    }
    const platform::File file =
        platform::File::open(toPath(entry.FileName), platform::OpenMode::Read);
    if (!file.isOpen()) {
        return fail(QStringLiteral("Couldn't open file."));
    }
    const FileTime time = LastWriteTime(file);
    entry.TimeLow = time.low;
    entry.TimeHigh = time.high;
    switch (entry.Type) {
    case FmtBinary:
        return loadBinary(file);
    case FmtIntelHex:
        return loadRecords<IntelHexReader>(file);
    case FmtSRecord:
        return loadRecords<SRecordReader>(file);
    case FmtTiTxt:
    case FmtPof:
        Message.clear(); // assigned only: the hardware library reads these itself
        return true;
    case FmtJedec:
        return loadJedec(file);
    default:
        return fail(QStringLiteral("Unknown data format."));
    }
}

bool TFile::fillBefore(std::uint8_t value) {
    Busy.setText(QStringLiteral("Filling buffer..."));
    std::vector<std::uint8_t> piece(kPieceSize, value);
    std::uint64_t size = 0;
    for (CDataSet* ds : Targets) {
        if (ds != nullptr) {
            size = std::max(size, ds->MemSize(Memory));
        }
    }
    for (std::uint64_t done = 0; done < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPieceSize, size - done));
        for (CDataSet* ds : Targets) {
            if (ds != nullptr && done < ds->MemSize(Memory) &&
                !ds->Write(Memory, done,
                           std::span(piece.data(), static_cast<std::size_t>(std::min<std::uint64_t>(
                                                       n, ds->MemSize(Memory) - done))))) {
                return fail(QStringLiteral("Couldn't write swap file."));
            }
        }
        done += n;
        Busy.setFraction(done, size);
    }
    return true;
}

bool TFile::loadBinary(const platform::File& file) {
    Busy.setText(QStringLiteral("Loading file..."));
    const CFileEntry& entry = *CurrentEntry;
    const std::int64_t size = file.size();
    if (entry.FileOffset < 0 || entry.FileOffset >= size) {
        return fail(QStringLiteral("File offset to large."));
    }
    CDataSet* first = firstTarget();
    const std::uint64_t memSize = first != nullptr ? first->MemSize(Memory) : 0;
    if (entry.BufferOffset < 0 || static_cast<std::uint64_t>(entry.BufferOffset) >= memSize) {
        return fail(QStringLiteral("Buffer offset to large."));
    }
    const auto bufferOffset = static_cast<std::uint64_t>(entry.BufferOffset);
    const auto fileOffset = static_cast<std::uint64_t>(entry.FileOffset);
    std::uint64_t n = static_cast<std::uint64_t>(size) - fileOffset;
    std::uint64_t truncated = 0;
    if (bufferOffset + n > memSize) {
        truncated = bufferOffset + n - memSize;
        n = memSize - bufferOffset;
    }
    std::vector<std::uint8_t> piece(kPieceSize);
    for (std::uint64_t done = 0; done < n;) {
        const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(kPieceSize, n - done));
        const std::span<std::uint8_t> bytes(piece.data(), k);
        if (!file.readAt(fileOffset + done, bytes)) {
            return fail(QStringLiteral("Couldn't open file."));
        }
        for (CDataSet* ds : Targets) {
            if (ds != nullptr && !ds->Write(Memory, bufferOffset + done, bytes)) {
                return fail(QStringLiteral("Couldn't write swap file."));
            }
        }
        done += k;
        Busy.setFraction(done, n);
    }
    Message = truncated != 0
                  ? QString::asprintf("%llu bytes loaded. %llu bytes truncated.",
                                      static_cast<unsigned long long>(n),
                                      static_cast<unsigned long long>(truncated))
                  : QString::asprintf("%llu bytes loaded.", static_cast<unsigned long long>(n));
    Loaded = static_cast<std::uint32_t>(n);
    return true;
}

template <typename Reader> bool TFile::loadRecords(const platform::File& file) {
    Busy.setText(QStringLiteral("Loading file..."));
    CDataSet* first = firstTarget();
    const std::uint64_t memSize = first != nullptr ? first->MemSize(Memory) : 0;
    if (memSize >= kTwoGiB) {
        return fail(QStringLiteral("Couldn't load file. Use binary files."));
    }
    const std::int64_t size = file.size();
    if (size < 0 || static_cast<std::uint64_t>(size) >= kTwoGiB) {
        return fail(QStringLiteral("Couldn't load file larger than 2GB."));
    }
    MappedTargets mapped;
    if (!mapped.map(Targets)) {
        return fail(QStringLiteral("Couldn't open file."));
    }
    const std::vector<std::span<std::uint8_t>> spans = mapped.memory(Memory);
    RecordLoadSettings settings;
    settings.memSize = memSize;
    settings.bufferOffset = CurrentEntry->BufferOffset;
    settings.fileOffset = CurrentEntry->FileOffset;
    Reader reader(spans, settings, &Busy, static_cast<std::uint64_t>(size));
    ParseStep step;
    if (MapInput) {
        const platform::Mapping input =
            platform::Mapping::map(file.fd(), static_cast<std::uint64_t>(size), false);
        if (!input.valid()) {
            return fail(QStringLiteral("Couldn't open file."));
        }
        input.adviseSequential();
        std::size_t consumed = 0;
        step = reader.parse(std::span(reinterpret_cast<const char*>(input.data()), input.size()),
                            true, consumed);
    } else {
        step = feedByReads(reader, file, static_cast<std::uint64_t>(size));
    }
    if (step != ParseStep::Done) {
        return fail(reader.message().isEmpty() ? QStringLiteral("Couldn't open file.")
                                               : reader.message());
    }
    if constexpr (std::is_same_v<Reader, IntelHexReader>) {
        Loaded = reader.loaded();
    }
    Message = reader.message();
    return true;
}

bool TFile::loadJedec(const platform::File& file) {
    Busy.setText(QStringLiteral("Loading file..."));
    const std::int64_t size = file.size();
    const platform::Mapping input =
        size < 0 ? platform::Mapping{}
                 : platform::Mapping::map(file.fd(), static_cast<std::uint64_t>(size), false);
    if (!input.valid()) {
        return fail(QStringLiteral("Couldn't open file, file access error."));
    }
    MappedTargets mapped;
    if (!mapped.map(Targets)) {
        return fail(QStringLiteral("Couldn't open file, swap file error."));
    }
    const auto fuses = mapped.memory(0);
    const auto vectors = mapped.memory(1);
    std::vector<JedecTarget> targets;
    for (std::size_t i = 0; i < fuses.size(); ++i) {
        targets.push_back({fuses[i], vectors[i]});
    }
    const JedecLoadResult result =
        readJedec(std::span(reinterpret_cast<const char*>(input.data()), input.size()), targets,
                  static_cast<std::uint8_t>(Descriptor.PinCount & 0xFF));
    Busy.setPercent(100);
    if (!result.ok) {
        return fail(result.message);
    }
    CurrentEntry->DefaultTestState = result.defaultTestState;
    Message = result.message;
    return true;
}

bool TFile::Save() {
    platform::File file =
        platform::File::open(toPath(SaveName), platform::OpenMode::ReadWriteCreate);
    if (!file.isOpen() || firstTarget() == nullptr) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    Busy.setPercent(0);
    bool ok = false;
    switch (SaveType) {
    case FmtBinary:
        ok = saveBinary(file);
        break;
    case FmtIntelHex:
        ok = saveRecords<IntelHexWriter>(file);
        break;
    case FmtSRecord:
        ok = saveRecords<SRecordWriter>(file);
        break;
    case FmtJedec:
        ok = saveJedec(file);
        break;
    default:
        return fail(QStringLiteral("Unknown data format."));
    }
    // Every byte went to the file with positioned writes, so nothing is buffered here and the
    // last-write time is final. The file is not forced to the disk, as with any other tool
    // that writes data files: that would double the time of a large save.
    const FileTime time = LastWriteTime(file);
    SaveTime = {time.low, time.high};
    return ok;
}

bool TFile::saveBinary(platform::File& file) {
    Busy.setText(QStringLiteral("Saving file..."));
    if (!file.truncate(0)) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    const CDataSet* source = firstTarget();
    const std::uint64_t memSize = source->MemSize(Memory);
    std::vector<std::uint8_t> piece(kPieceSize);
    for (std::uint64_t done = 0; done < memSize;) {
        const auto k =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceSize, memSize - done));
        const std::span<std::uint8_t> bytes(piece.data(), k);
        if (!source->Read(Memory, done, bytes) || !file.writeAt(done, bytes)) {
            return fail(QStringLiteral("Couldn't save file."));
        }
        done += k;
        Busy.setFraction(done, memSize);
    }
    Message =
        QString::asprintf("%llu bytes saved to file.", static_cast<unsigned long long>(memSize));
    return true;
}

template <typename Writer> bool TFile::saveRecords(platform::File& file) {
    Busy.setText(QStringLiteral("Saving file..."));
    if (!file.truncate(0)) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    const CDataSet* source = firstTarget();
    const std::uint64_t memSize = source->MemSize(Memory);
    std::uint64_t position = 0;
    TextOutput out([&](std::span<const char> text) {
        const bool ok = file.writeAt(
            position, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        position += text.size();
        return ok;
    });
    Writer writer(memSize, Optimize != 0, out);
    std::vector<std::uint8_t> piece(kPieceSize);
    for (std::uint64_t done = 0; done < memSize;) {
        const auto k =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceSize, memSize - done));
        const std::span<std::uint8_t> bytes(piece.data(), k);
        if (!source->Read(Memory, done, bytes)) {
            return fail(QStringLiteral("Couldn't save file."));
        }
        writer.feed(bytes);
        done += k;
        Busy.setFraction(done, memSize);
    }
    writer.finish();
    if (!out.ok()) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    Message = QString::asprintf("%llu bytes saved to file.",
                                static_cast<unsigned long long>(writer.written()));
    return true;
}

bool TFile::saveJedec(platform::File& file) {
    Busy.setText(QStringLiteral("Saving file..."));
    if (!file.truncate(0)) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    const CDataSet* source = firstTarget();
    const platform::Mapping mapping = source->Map();
    if (!mapping.valid()) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    JedecHeader header;
    header.name = fieldText(Descriptor.Name, sizeof Descriptor.Name);
    header.package = fieldText(Descriptor.Package, sizeof Descriptor.Package);
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    header.created = (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                      locale.toString(now.time(), QLocale::ShortFormat))
                         .toLatin1()
                         .toStdString();
    header.buildDay = BuildDay;
    header.pins = static_cast<std::uint8_t>(Descriptor.PinCount & 0xFF);
    std::string text;
    const JedecSaveResult result =
        writeJedec(source->MemoryBytes(mapping, 0), source->MemoryBytes(mapping, 1), header, text);
    if (!result.ok) {
        return fail(result.message);
    }
    if (!file.writeAt(0,
                      std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    Busy.setPercent(100);
    Message = result.message;
    return true;
}

} // namespace zelmo::formats
