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

QString deviceLine(const DeviceDescriptor& d) {
    QStringList sizes;
    for (std::uint32_t size : d.MemSize) {
        sizes << QString::number(size);
    }
    QStringList fields;
    fields << latin1(FieldText(d.Vendor)) << latin1(FieldText(d.Name))
           << latin1(FieldText(d.Package)) << QString::number(d.Type) << sizes.join(',')
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
        bool ok = false;
        filter.Type = parser.value("type").toInt(&ok);
        if (!ok || filter.Type < 0 || filter.Type > 255) {
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
