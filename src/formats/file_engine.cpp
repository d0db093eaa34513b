#include "formats/file_engine.h"

#include "formats/file_time.h"
#include "formats/intel_hex.h"
#include "formats/jedec.h"
#include "formats/srecord.h"
#include "formats/text_output.h"

#include "platform/piece_loop.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
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

// Feeds a record reader from large reads of the file, carrying an unfinished line over into
// the next piece.
template <typename Reader>
ParseStep feedByReads(Reader& reader, const platform::File& file, std::uint64_t size) {
    std::vector<char> buffer(kReadChunk + Reader::kMaxLine + 2);
    std::size_t have = 0;
    ParseStep step = ParseStep::More;
    const platform::PieceEnd end =
        platform::forEachPiece(size, kReadChunk, [&](std::uint64_t position, std::size_t length) {
            if (!file.readAt(
                    position,
                    std::span(reinterpret_cast<std::uint8_t*>(buffer.data()) + have, length))) {
                step = ParseStep::Failed;
                return false;
            }
            have += length;
            std::size_t consumed = 0;
            step = reader.parse(std::span<const char>(buffer.data(), have),
                                position + length >= size, consumed);
            std::memmove(buffer.data(), buffer.data() + consumed, have - consumed);
            have -= consumed;
            return step == ParseStep::More;
        });
    if (end == platform::PieceEnd::Done && size == 0) {
        std::size_t consumed = 0;
        step = reader.parse({}, true, consumed); // an empty file: the format decides
    }
    return step == ParseStep::More ? ParseStep::Failed : step;
}

// A writer's text, appended to the new file.
TextOutput::Flush appendTo(platform::ReplacementFile& file) {
    return [&file, position = std::uint64_t{0}](std::span<const char> text) mutable {
        const bool ok = file.write(
            position, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        position += text.size();
        return ok;
    };
}

// Reports a piece loop's progress as the busy window's percentage.
struct ReportTo {
    Progress& busy;
    void operator()(std::uint64_t done, std::uint64_t total) const {
        busy.setFraction(done, total);
    }
};

} // namespace

bool TFile::fail(const QString& message, int error) {
    Message = message;
    Reason = QString::fromStdString(platform::errorText(error));
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
    Reason.clear();
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
        return fail(QStringLiteral("Couldn't open file."), file.error());
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
    const std::vector<std::uint8_t> piece(kPieceSize, value);
    std::uint64_t size = 0;
    for (CDataSet* ds : Targets) {
        if (ds != nullptr) {
            size = std::max(size, ds->MemSize(Memory));
        }
    }
    int error = 0;
    const platform::PieceEnd end = platform::forEachPiece(
        size, kPieceSize,
        [&](std::uint64_t done, std::size_t n) {
            for (CDataSet* ds : Targets) {
                if (ds == nullptr || done >= ds->MemSize(Memory)) {
                    continue;
                }
                const auto k = static_cast<std::size_t>(
                    std::min<std::uint64_t>(n, ds->MemSize(Memory) - done));
                errno = 0;
                if (!ds->Write(Memory, done, std::span(piece.data(), k))) {
                    error = errno;
                    return false;
                }
            }
            return true;
        },
        platform::NeverCancelled{}, ReportTo{Busy});
    return end == platform::PieceEnd::Done ||
           fail(QStringLiteral("Couldn't write swap file."), error);
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
    QString failure;
    int error = 0;
    const platform::PieceEnd end = platform::forEachPiece(
        n, kPieceSize,
        [&](std::uint64_t done, std::size_t k) {
            const std::span<std::uint8_t> bytes(piece.data(), k);
            if (!file.readAt(fileOffset + done, bytes)) {
                failure = QStringLiteral("Couldn't open file.");
                return false;
            }
            for (CDataSet* ds : Targets) {
                errno = 0;
                if (ds != nullptr && !ds->Write(Memory, bufferOffset + done, bytes)) {
                    failure = QStringLiteral("Couldn't write swap file.");
                    error = errno;
                    return false;
                }
            }
            return true;
        },
        platform::NeverCancelled{}, ReportTo{Busy});
    if (end != platform::PieceEnd::Done) {
        return fail(failure, error);
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
    const RecordLoadResult result =
        reader.result(feedByReads(reader, file, static_cast<std::uint64_t>(size)));
    if (!result.ok) {
        return fail(result.message.isEmpty() ? QStringLiteral("Couldn't open file.")
                                             : result.message);
    }
    if constexpr (std::is_same_v<Reader, IntelHexReader>) {
        Loaded = result.loaded;
    }
    Message = result.message;
    return true;
}

bool TFile::loadJedec(const platform::File& file) {
    Busy.setText(QStringLiteral("Loading file..."));
    const std::int64_t size = file.size();
    if (size < 0) {
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
    const JedecSource source{
        static_cast<std::uint64_t>(size), [&file](std::uint64_t position, std::span<char> into) {
            return file.readAt(
                position, std::span(reinterpret_cast<std::uint8_t*>(into.data()), into.size()));
        }};
    const JedecLoadResult result =
        readJedec(source, targets, static_cast<std::uint8_t>(Descriptor.PinCount & 0xFF), &Busy);
    Busy.setPercent(100);
    if (!result.ok) {
        return fail(result.message);
    }
    CurrentEntry->DefaultTestState = result.defaultTestState;
    Message = result.message;
    return true;
}

bool TFile::Save() {
    Reason.clear();
    if (firstTarget() == nullptr) {
        return fail(QStringLiteral("Couldn't save file."));
    }
    if (SaveType != FmtBinary && SaveType != FmtIntelHex && SaveType != FmtSRecord &&
        SaveType != FmtJedec) {
        return fail(QStringLiteral("Unknown data format."));
    }
    // A JEDEC file holds one bit per fuse: any other device would keep only the lowest bit of
    // each byte.
    if (SaveType == FmtJedec && Descriptor.Type != DT_PLD) {
        return fail(QStringLiteral("Couldn't save file. Incorrect device."));
    }
    platform::ReplacementFile file = platform::ReplacementFile::create(toPath(SaveName));
    if (!file.isOpen()) {
        return fail(QStringLiteral("Couldn't save file."), file.error());
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
    default:
        ok = saveJedec(file);
        break;
    }
    // Until the rename the old file is untouched; a failed writer's temporary file goes away
    // with `file`.
    if (!ok) {
        return false;
    }
    if (!file.commit()) {
        return fail(QStringLiteral("Couldn't save file."), file.error());
    }
    const FileTime time = LastWriteTime(file.file());
    SaveTime = {time.low, time.high};
    return true;
}

bool TFile::saveBinary(platform::ReplacementFile& file) {
    Busy.setText(QStringLiteral("Saving file..."));
    const CDataSet* source = firstTarget();
    const std::uint64_t memSize = source->MemSize(Memory);
    std::vector<std::uint8_t> piece(kPieceSize);
    const platform::PieceEnd end = platform::forEachPiece(
        memSize, kPieceSize,
        [&](std::uint64_t done, std::size_t k) {
            const std::span<std::uint8_t> bytes(piece.data(), k);
            return source->Read(Memory, done, bytes) && file.write(done, bytes);
        },
        platform::NeverCancelled{}, ReportTo{Busy});
    const RecordSaveResult result = savedResult(end == platform::PieceEnd::Done, memSize);
    if (!result.ok) {
        return fail(result.message, file.error());
    }
    Message = result.message;
    return true;
}

template <typename Writer> bool TFile::saveRecords(platform::ReplacementFile& file) {
    Busy.setText(QStringLiteral("Saving file..."));
    const CDataSet* source = firstTarget();
    const std::uint64_t memSize = source->MemSize(Memory);
    TextOutput out(appendTo(file));
    Writer writer(memSize, Optimize != 0, out);
    std::vector<std::uint8_t> piece(kPieceSize);
    const platform::PieceEnd end = platform::forEachPiece(
        memSize, kPieceSize,
        [&](std::uint64_t done, std::size_t k) {
            const std::span<std::uint8_t> bytes(piece.data(), k);
            if (!source->Read(Memory, done, bytes)) {
                return false;
            }
            writer.feed(bytes);
            return out.ok(); // stop at the first write the disk refused
        },
        platform::NeverCancelled{}, ReportTo{Busy});
    const RecordSaveResult result = writer.finish();
    if (end != platform::PieceEnd::Done || !result.ok) {
        return fail(QStringLiteral("Couldn't save file."), file.error());
    }
    Message = result.message;
    return true;
}

bool TFile::saveJedec(platform::ReplacementFile& file) {
    Busy.setText(QStringLiteral("Saving file..."));
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
    TextOutput out(appendTo(file));
    const JedecSaveResult result =
        writeJedec(source->MemoryBytes(mapping, 0), source->MemoryBytes(mapping, 1), header, out);
    Busy.setPercent(100);
    if (!result.ok) {
        return fail(result.message, file.error());
    }
    Message = result.message;
    return true;
}

} // namespace zelmo::formats
