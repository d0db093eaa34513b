// zelmo2-cli devices: the device catalogue as the hardware library reads it, filtered like the
// device selection dialog, one device per line.

#include "catalogue/catalogue_filter.h"
#include "catalogue_lookup.h"
#include "command.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

namespace zelmo::cli {

namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A catalogue text as one field of a tab-separated line: a backslash and the control characters
// are written as escapes ("\\", "\t", "\n", "\r", "\xHH"), so no name can split a field or a line.
QString escaped(const std::string& text) {
    QString out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += QLatin1String("\\\\");
        } else if (c == '\t') {
            out += QLatin1String("\\t");
        } else if (c == '\n') {
            out += QLatin1String("\\n");
        } else if (c == '\r') {
            out += QLatin1String("\\r");
        } else if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
            out += QLatin1String("\\x") + QString::number(c, 16).rightJustified(2, u'0').toUpper();
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QString deviceLine(const DeviceDescriptor& d) {
    QStringList sizes;
    for (std::uint32_t size : d.MemSize) {
        sizes << QString::number(size);
    }
    QStringList fields;
    fields << escaped(FieldText(d.Vendor)) << escaped(FieldText(d.Name))
           << escaped(FieldText(d.Package)) << QString::number(d.Type) << sizes.join(',')
           << QString::number(d.PinCount & 0xFFu)
           << QStringLiteral("0x") + QString::number(d.Flags, 16).toUpper();
    return fields.join(QLatin1Char('\t'));
}

int runDevices(const QStringList& args) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists the device catalogue through the hardware library next to the program, one "
        "device per line: vendor, name, package, type, memory sizes A,B,C,D,E, pin count, "
        "flags; tab-separated.");
    parser.addHelpOption();
    parser.addOption({"type", "Only devices of this type code (0 = all).", "CODE"});
    parser.addOption({"vendor", "Only devices of this vendor code.", "CODE"});
    parser.addOption({"search", "Only devices whose name contains TEXT (any case).", "TEXT"});
    QStringList argv = args;
    argv.prepend(QStringLiteral("zelmo2-cli devices"));
    QTextStream err(stderr);
    if (!parser.parse(argv)) {
        err << "zelmo2-cli devices: " << parser.errorText() << "\n";
        return 2;
    }
    if (parser.isSet("help")) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << "zelmo2-cli devices: unexpected argument '" << parser.positionalArguments().first()
            << "'\n";
        return 2;
    }

    CatalogueFilter filter;
    if (parser.isSet("type")) {
        const auto type = ParseNumber(parser.value("type"));
        filter.Type = type && *type <= 255 ? static_cast<int>(*type) : -1;
        if (filter.Type < 0) {
            err << "zelmo2-cli devices: --type takes a device type code such as 1 (EPROM)\n";
            return 2;
        }
    }
    const QByteArray search = parser.value("search").toLatin1();
    filter.SearchText.assign(search.constData(), static_cast<std::size_t>(search.size()));

    CStartupSession session;
    const Result opened = OpenCatalogue(session, ApplicationDirectory());
    if (!opened.ok) {
        err << "zelmo2-cli devices: " << opened.message << "\n";
        return 1;
    }
    if (parser.isSet("vendor")) {
        const QByteArray code = parser.value("vendor").toLatin1();
        const auto vendors = session.Catalogue().Vendors();
        int position = 0;
        for (std::size_t i = 0; i < vendors.size(); ++i) {
            if (QString::compare(latin1(FieldText(vendors[i]->Code)), QString::fromLatin1(code),
                                 Qt::CaseInsensitive) == 0) {
                position = static_cast<int>(i) + 1;
                break;
            }
        }
        if (position == 0) {
            err << "zelmo2-cli devices: no vendor with the code '" << parser.value("vendor")
                << "' in the catalogue\n";
            return 2;
        }
        SelectVendor(session.Catalogue(), position, filter);
    }

    QTextStream out(stdout);
    for (const DeviceDescriptor& d : FilterDevices(session.Catalogue(), filter)) {
        out << deviceLine(d) << "\n";
    }
    return 0;
}

const CommandRegistrar registrar({"devices",
                                  "list the device catalogue [--type CODE] [--vendor CODE] "
                                  "[--search TEXT]",
                                  &runDevices});

} // namespace

} // namespace zelmo::cli
