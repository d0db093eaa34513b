// zelmo2-cli convert: loads a data file into a fresh data set of a device with the application's
// own load engine, and optionally saves one memory of it in another format. Production scripts
// call it, so its options and exit codes stay as they are.

#include "app/release.h"
#include "catalogue_lookup.h"
#include "command.h"
#include "formats/file_engine.h"
#include "formats/format_guess.h"
#include "formats/recent_files.h"
#include "project/buffer_fill.h"
#include "project/project.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <unistd.h>

namespace zelmo::cli {

namespace {

void usage(FILE* out) {
    std::fputs(
        "Usage: zelmo2-cli convert --device VENDOR:NAME:PACKAGE [--memory A|B|C|D] --in FILE\n"
        "         [--in-format auto|bin|hex|srec|jedec] [--buffer-offset N] [--file-offset N]\n"
        "         [--fill HH | --no-fill]\n"
        "         [--out FILE --out-format bin|hex|srec|jedec [--optimize]]\n"
        "Loads FILE into a fresh data set of the catalogue device (all bytes 0xFF, filled\n"
        "before loading with 0xFF unless --fill or --no-fill says otherwise), prints the\n"
        "loader's message, and with --out saves the whole memory and prints the writer's\n"
        "message. For a programmable logic device loading always addresses memory A and\n"
        "--memory chooses the memory written. N is decimal or 0x-prefixed hexadecimal.\n"
        "Instead of --device: --sizes A,B,C,D,E [--type N] [--pins N] describe the device.\n"
        "Exit status: 0 success, 1 the load or save failed, 2 bad arguments.\n",
        out);
}

int bad(const char* format, const QString& value = {}) {
    std::fputs("zelmo2-cli convert: ", stderr);
    std::fprintf(stderr, format, qPrintable(value));
    std::fputs("\n", stderr);
    return 2;
}

std::optional<FileFormat> parseFormat(const QString& name) {
    if (name == QLatin1String("bin")) {
        return FmtBinary;
    }
    if (name == QLatin1String("hex")) {
        return FmtIntelHex;
    }
    if (name == QLatin1String("srec")) {
        return FmtSRecord;
    }
    if (name == QLatin1String("jedec")) {
        return FmtJedec;
    }
    return std::nullopt;
}

// A swap file in the temporary folder that disappears with its descriptor.
platform::File temporarySwapFile() {
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + "/zelmo2-convert-XXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
        ::unlink(pattern.constData());
    }
    return platform::File(fd);
}

int runConvert(const QStringList& args) {
    QString device, in, out, inFormat = QStringLiteral("auto"), outFormat, sizes;
    int memory = -1;
    std::optional<std::uint64_t> bufferOffset, fileOffset, type, pins;
    bool fill = true, optimize = false;
    std::uint8_t fillWith = 0xFF;
    bool fillGiven = false, noFillGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage(stdout);
            return 0;
        }
        if (a == QLatin1String("--no-fill")) {
            fill = false;
            noFillGiven = true;
            continue;
        }
        if (a == QLatin1String("--optimize")) {
            optimize = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            usage(stderr);
            return bad("option '%s' needs a value", a);
        }
        const QString& v = args[++i];
        if (a == QLatin1String("--device")) {
            device = v;
        } else if (a == QLatin1String("--sizes")) {
            sizes = v;
        } else if (a == QLatin1String("--type")) {
            if (!(type = ParseNumber(v)) || *type > 255) {
                return bad("'%s' is not a device type", v);
            }
        } else if (a == QLatin1String("--pins")) {
            // The pin count is one byte wherever it is stored or written.
            if (!(pins = ParseNumber(v)) || *pins > 255) {
                return bad("'%s' is not a pin count (0 to 255)", v);
            }
        } else if (a == QLatin1String("--memory")) {
            const QString m = v.toUpper();
            if (m.size() != 1 || m[0] < QLatin1Char('A') || m[0] > QLatin1Char('D')) {
                return bad("'%s' is not a memory (A, B, C or D)", v);
            }
            memory = m[0].unicode() - 'A';
        } else if (a == QLatin1String("--in")) {
            in = v;
        } else if (a == QLatin1String("--in-format")) {
            inFormat = v;
        } else if (a == QLatin1String("--out")) {
            out = v;
        } else if (a == QLatin1String("--out-format")) {
            outFormat = v;
        } else if (a == QLatin1String("--buffer-offset") || a == QLatin1String("--file-offset")) {
            const auto n = ParseNumber(v);
            if (!n || *n > 0x7FFFFFFFFFFFFFFFull) {
                return bad("'%s' is not a number", v);
            }
            (a == QLatin1String("--buffer-offset") ? bufferOffset : fileOffset) = n;
        } else if (a == QLatin1String("--fill")) {
            const auto value = v.size() <= 2 ? ParseHex(v, 2) : std::nullopt;
            if (!value) {
                return bad("'%s' is not a hexadecimal byte", v);
            }
            fillWith = static_cast<std::uint8_t>(*value);
            fillGiven = true;
        } else {
            usage(stderr);
            return bad("unknown option '%s'", a);
        }
    }
    if (in.isEmpty()) {
        usage(stderr);
        return bad("--in FILE is required");
    }
    if (fillGiven && noFillGiven) {
        return bad("--fill and --no-fill exclude each other");
    }
    if (out.isEmpty() != outFormat.isEmpty()) {
        return bad("--out and --out-format go together");
    }
    if (optimize && out.isEmpty()) {
        return bad("--optimize needs --out");
    }
    const bool guess = inFormat == QLatin1String("auto");
    const std::optional<FileFormat> loadFormat =
        guess ? formats::GuessFormat(in) : parseFormat(inFormat);
    if (!loadFormat) {
        return bad("'%s' is not an input format", inFormat);
    }
    // TI-txt and POF files are only ever assigned to a memory for the hardware library to read;
    // loading one would leave the buffer as it was and report success.
    if (*loadFormat == FmtTiTxt || *loadFormat == FmtPof) {
        return bad(*loadFormat == FmtTiTxt
                       ? "'%s' is taken for a TI-txt file, which is assigned to a memory, never "
                         "read; name its format with --in-format"
                       : "'%s' is taken for a POF file, which is assigned to a memory, never "
                         "read; name its format with --in-format",
                   in);
    }
    std::optional<FileFormat> saveFormat;
    if (!out.isEmpty() && !(saveFormat = parseFormat(outFormat))) {
        return bad("'%s' is not an output format", outFormat);
    }

    DeviceDescriptor descriptor{};
    if (!device.isEmpty() && !sizes.isEmpty()) {
        return bad("--device and --sizes exclude each other");
    }
    if (!device.isEmpty()) {
        const CatalogueDevice found = LookupCatalogueDevice(device);
        if (!found.ok && found.BadArgument) {
            return bad("%s", found.message);
        }
        if (!found.ok) {
            std::fprintf(stderr, "zelmo2-cli convert: %s\n", qPrintable(found.message));
            return 1; // the library or its catalogue failed, not the arguments
        }
        descriptor = found.Descriptor;
    } else if (!sizes.isEmpty()) {
        const QStringList parts = sizes.split(QLatin1Char(','));
        if (parts.size() != 5) {
            return bad("--sizes needs five sizes A,B,C,D,E");
        }
        for (int m = 0; m < 5; ++m) {
            const auto n = ParseNumber(parts[m]);
            if (!n || *n > 0xFFFFFFFFu) {
                return bad("'%s' is not a memory size", parts[m]);
            }
            descriptor.MemSize[m] = static_cast<std::uint32_t>(*n);
        }
        descriptor.Type = static_cast<std::uint8_t>(type.value_or(DT_EPROM));
        descriptor.PinCount = static_cast<std::uint32_t>(pins.value_or(0));
    } else {
        usage(stderr);
        return bad("--device VENDOR:NAME:PACKAGE is required");
    }
    if ((type || pins) && !device.isEmpty()) {
        return bad("--type and --pins go with --sizes");
    }
    const bool logic = descriptor.Type == DT_PLD;
    if (saveFormat == FmtJedec && !logic) {
        return bad("JEDEC files hold the fuse map of a logic device (type 5); this device is "
                   "of type %s",
                   QString::number(descriptor.Type));
    }
    const int saveMemory = memory < 0 ? 0 : memory;
    const int loadMemory = logic ? 0 : saveMemory;
    std::uint64_t total = 0;
    for (std::uint32_t size : descriptor.MemSize) {
        total += size;
    }
    if (total > 0xFFFFFFFFu) {
        return bad("the memories are larger than 4 GiB together");
    }
    if (descriptor.MemSize[loadMemory] == 0 || descriptor.MemSize[saveMemory] == 0) {
        return bad(
            "memory %s does not exist on this device",
            QString(QChar('A' + (descriptor.MemSize[loadMemory] == 0 ? loadMemory : saveMemory))));
    }

    CDataSet set;
    set.SwapFile = temporarySwapFile();
    set.TotalSize = static_cast<std::uint32_t>(total);
    std::int64_t start = 0;
    for (int m = 0; m < 5; ++m) {
        set.MemStart[m] = start;
        start += descriptor.MemSize[m];
    }
    if (!set.SwapFile.isOpen() || !set.SwapFile.truncate(total) ||
        FillFileRange(set.SwapFile, 0, total, 0xFF) != FillStatus::Done) {
        std::fputs("Couldn't create the swap file.\n", stderr);
        return 1;
    }

    formats::TFile engine;
    engine.Descriptor = descriptor;
    ParseBuildDay(BuildDateText(), BuildTimeText(), engine.BuildDay);
    engine.Targets[0] = &set;
    engine.Memory = static_cast<std::uint8_t>(loadMemory);
    FileEntryPtr entry = formats::NewFileEntry(in, *loadFormat);
    entry->FillBefore = fill ? 1 : 0;
    entry->FillWith = fillWith;
    entry->BufferOffset = static_cast<std::int64_t>(bufferOffset.value_or(0));
    entry->FileOffset = static_cast<std::int64_t>(fileOffset.value_or(0));
    engine.CurrentEntry = entry;
    if (!engine.Load()) {
        std::fprintf(stderr, "%s\n", qPrintable(WithReason(engine.Message, engine.Reason)));
        return 1;
    }
    std::printf("%s\n", qPrintable(engine.Message));
    if (out.isEmpty()) {
        return 0;
    }
    engine.Memory = static_cast<std::uint8_t>(saveMemory);
    engine.SaveName = out;
    engine.SaveType = *saveFormat;
    engine.Optimize = optimize ? 1 : 0;
    if (!engine.Save()) {
        std::fprintf(stderr, "%s\n", qPrintable(WithReason(engine.Message, engine.Reason)));
        return 1;
    }
    std::printf("%s\n", qPrintable(engine.Message));
    return 0;
}

const CommandRegistrar registrar({"convert", "load a data file and save it in another format",
                                  &runConvert});

} // namespace

} // namespace zelmo::cli
