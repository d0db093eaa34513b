// The catalogue as the simulated hardware library in the application directory delivers it:
// the session, the lookup zelmo2-cli offers other commands, and the devices command itself.

#include "catalogue/catalogue_filter.h"
#include "catalogue_lookup.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace zelmo {
namespace {

// The application directory with the simulator and its catalogue, or empty.
QString binDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    if (dir == nullptr) {
        return {};
    }
    const QString path = QString::fromLocal8Bit(dir) + "/";
    if (!QFileInfo::exists(path + "libhardware.so") ||
        !QFileInfo::exists(path + "Lib/ConfigLib.lib")) {
        return {};
    }
    return path;
}

#define REQUIRE_SIMULATOR()                                                                        \
    const QString appDir = binDir();                                                               \
    if (appDir.isEmpty()) {                                                                        \
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so and Lib/ConfigLib.lib";           \
    }

std::vector<std::string> names(const std::vector<DeviceDescriptor>& devices) {
    std::vector<std::string> out;
    for (const auto& d : devices) {
        out.push_back(FieldText(d.Name));
    }
    return out;
}

TEST(CatalogueThroughSimulator, LoadsAndFilters) {
    REQUIRE_SIMULATOR();
    CStartupSession session;
    const Result opened = cli::OpenCatalogue(session, appDir);
    ASSERT_TRUE(opened.ok) << opened.message.toStdString();
    const CCatalogue& cat = session.Catalogue();
    ASSERT_GT(cat.VendorCount, 0);
    ASSERT_GT(cat.DeviceCount, 0);
    EXPECT_EQ(cat.Devices().size(), static_cast<std::size_t>(cat.DeviceCount));
    EXPECT_EQ(cat.Vendors().size(), static_cast<std::size_t>(cat.VendorCount));
    // Every device refers to a vendor of the list: the vendor filter can reach it.
    for (const DeviceDescriptor* d : cat.Devices()) {
        EXPECT_NE(cat.FindVendor(FieldText(d->Vendor)), nullptr) << FieldText(d->Name);
    }

    CatalogueFilter filter;
    filter.SearchText = "27c512";
    const auto found = names(FilterDevices(cat, filter));
    EXPECT_NE(std::find(found.begin(), found.end(), "AT27C512R"), found.end());
    for (const auto& name : found) {
        EXPECT_NE(UpperLatin1(name).find("27C512"), std::string::npos) << name;
    }

    const ZmVendorRecord* atmel = cat.FindVendor("ATM");
    ASSERT_NE(atmel, nullptr);
    const auto vendors = cat.Vendors();
    const int position =
        static_cast<int>(std::find(vendors.begin(), vendors.end(), atmel) - vendors.begin()) + 1;
    SelectVendor(cat, position, filter);
    filter.Type = DT_EPROM;
    for (const DeviceDescriptor& d : FilterDevices(cat, filter)) {
        EXPECT_EQ(FieldText(d.Vendor), "ATM");
        EXPECT_EQ(d.Type, DT_EPROM);
    }
}

TEST(CatalogueThroughSimulator, LookupByVendorNameAndPackage) {
    REQUIRE_SIMULATOR();
    const cli::CatalogueDevice found = cli::LookupCatalogueDevice(appDir, "ATM:AT27C512R:DIP28");
    ASSERT_TRUE(found.ok) << found.message.toStdString();
    EXPECT_EQ(FieldText(found.Descriptor.Name), "AT27C512R");
    const std::uint32_t sizeA = found.Descriptor.MemSize[0]; // a packed field: copy before binding
    EXPECT_EQ(sizeA, 65536u);
    EXPECT_FALSE(FieldText(found.Buffers[0].Name).empty()) << "memory A is described";

    const char* wrong[] = {"ATM:AT27C512R:PLCC32", "ATM:AT27C512R", "TOOLONG:AT27C512R:DIP28",
                           "ATM:AT27C512R:DIP28:X", ""};
    for (const char* key : wrong) {
        SCOPED_TRACE(key);
        const cli::CatalogueDevice missing = cli::LookupCatalogueDevice(appDir, key);
        EXPECT_FALSE(missing.ok);
        EXPECT_TRUE(missing.BadArgument);
        EXPECT_FALSE(missing.message.isEmpty());
    }
}

struct CliRun {
    int exitCode;
    QString out;
    QString err;
};

CliRun runCli(const QString& appDir, const QStringList& args) {
    QProcess p;
    p.start(appDir + "zelmo2-cli", QStringList{"devices"} + args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLatin1(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

TEST(DevicesCommand, ListsFilteredCatalogueLines) {
    REQUIRE_SIMULATOR();
    if (!QFileInfo::exists(appDir + "zelmo2-cli")) {
        GTEST_SKIP() << "zelmo2-cli is not built";
    }
    const CliRun search = runCli(appDir, {"--search", "27c"});
    ASSERT_EQ(search.exitCode, 0) << search.err.toStdString();
    const QStringList lines = search.out.split('\n', Qt::SkipEmptyParts);
    const auto at27 = lines.filter(QRegularExpression("^ATM\tAT27C512R\t"));
    ASSERT_EQ(at27.size(), 1) << search.out.toStdString();
    const QStringList fields = at27.first().split('\t');
    ASSERT_EQ(fields.size(), 7);
    EXPECT_EQ(fields[2], "DIP28");
    EXPECT_EQ(fields[3], "1");
    EXPECT_EQ(fields[4].split(',').size(), 5);
    EXPECT_TRUE(fields[4].startsWith("65536,"));
    EXPECT_EQ(fields[5], "28");
    EXPECT_TRUE(fields[6].startsWith("0x"));
    for (const QString& line : lines) {
        EXPECT_TRUE(line.section('\t', 1, 1).contains("27C", Qt::CaseInsensitive))
            << line.toStdString();
    }

    const CliRun narrowed = runCli(appDir, {"--search", "27c", "--vendor", "STM", "--type", "1"});
    ASSERT_EQ(narrowed.exitCode, 0);
    const QStringList stm = narrowed.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_FALSE(stm.isEmpty());
    EXPECT_LT(stm.size(), lines.size());
    for (const QString& line : stm) {
        EXPECT_TRUE(line.startsWith("STM\t")) << line.toStdString();
        EXPECT_EQ(line.section('\t', 3, 3), "1");
    }

    EXPECT_EQ(runCli(appDir, {"--vendor", "NOPE"}).exitCode, 2);
    EXPECT_EQ(runCli(appDir, {"--type", "eprom"}).exitCode, 2);
    EXPECT_EQ(runCli(appDir, {"stray"}).exitCode, 2);
}

TEST(DevicesCommand, AnEmptyOrUnreadableCatalogueFailsBothCommands) {
    REQUIRE_SIMULATOR();
    if (!QFileInfo::exists(appDir + "zelmo2-cli")) {
        GTEST_SKIP() << "zelmo2-cli is not built";
    }
    // An application directory of its own: the program, the library and a catalogue that holds
    // nothing, then one that is missing.
    test::TempDir dir;
    const QString own = QString::fromStdString(dir.path().string()) + "/";
    for (const char* file : {"zelmo2-cli", "libhardware.so"}) {
        ASSERT_TRUE(QFile::copy(appDir + file, own + file));
    }
    QFile::setPermissions(own + "zelmo2-cli", QFile::ExeOwner | QFile::ReadOwner);
    ASSERT_TRUE(QDir().mkpath(own + "Lib"));
    ASSERT_TRUE(test::writeFile(dir / "in.bin", "x"));
    for (const bool empty : {true, false}) {
        SCOPED_TRACE(empty ? "empty catalogue" : "no catalogue");
        if (empty) {
            ASSERT_TRUE(test::writeFile(dir / "Lib" / "ConfigLib.lib", ""));
        } else {
            ASSERT_TRUE(QFile::remove(own + "Lib/ConfigLib.lib"));
        }
        const CliRun devices = runCli(own, {});
        EXPECT_EQ(devices.exitCode, 1);
        EXPECT_TRUE(devices.out.isEmpty());
        EXPECT_TRUE(devices.err.contains("devices")) << devices.err.toStdString();
        QProcess convert;
        convert.start(own + "zelmo2-cli",
                      {"convert", "--device", "ATM:AT27C512R:DIP28", "--in", own + "in.bin"});
        ASSERT_TRUE(convert.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(convert.readAllStandardError());
        EXPECT_EQ(convert.exitCode(), 1) << err.toStdString();
        // Both commands name the catalogue's own message.
        const QString message = devices.err.section(": ", 1).trimmed();
        EXPECT_FALSE(message.isEmpty());
        EXPECT_TRUE(err.contains(message)) << err.toStdString() << " / " << message.toStdString();
    }
}

} // namespace
} // namespace zelmo
