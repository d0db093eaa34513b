#include "app/about_info.h"
#include "app/help_document.h"

#include "common/programmer_records.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <vector>

namespace zelmo {
namespace {

using test::TempDir;
using test::writeFile;

TEST(HelpDocument, PdfThenFolderThenBlankPage) {
    TempDir dir;
    const QString app = QString::fromStdString(dir.path().string()) + "/";
    for (const char* folder : {"Help/both", "Help/manual_en", "Help/nothing"}) {
        std::filesystem::create_directories(dir / folder);
    }
    ASSERT_TRUE(writeFile(dir / "Help" / "blank.html", "<html></html>"));
    ASSERT_TRUE(writeFile(dir / "Help" / "both.pdf", "%PDF"));
    ASSERT_TRUE(writeFile(dir / "Help" / "both" / "index.html", "x"));
    ASSERT_TRUE(writeFile(dir / "Help" / "manual_en" / "index.html", "x"));

    struct Case {
        const char* name;
        const char* path;
        bool pdf;
    };
    const Case cases[] = {
        {"both", "Help/both.pdf", true},
        {"manual_en", "Help/manual_en/index.html", false}, // a folder with only index.html
        {"nothing", "Help/blank.html", false},
        {"missing", "Help/blank.html", false},
        {"", "Help/blank.html", false},             // device help without a device
        {"../Help/both", "Help/blank.html", false}, // never outside the help folder
    };
    for (const Case& c : cases) {
        const HelpDocument doc = HelpDocumentFor(app, c.name);
        EXPECT_EQ(doc.Path, app + c.path) << c.name;
        EXPECT_EQ(doc.Pdf, c.pdf) << c.name;
    }
}

TEST(AboutBox, StepsThroughThreeProgrammersWithWrapAround) {
    const std::vector<ProgrammerInfo> three = test::TestProgrammers(3);
    int position = 0;
    QStringList shown;
    for (int i = 0; i < 4; ++i) {
        const AboutPage page = AboutPageFor(three, position);
        EXPECT_TRUE(page.CanStep);
        shown << page.Position;
        position = StepPosition(position, +1, 3);
    }
    EXPECT_EQ(shown.join(", "), "Device 1 of 3, Device 2 of 3, Device 3 of 3, Device 1 of 3");
    EXPECT_EQ(StepPosition(0, -1, 3), 2);

    const AboutPage first = AboutPageFor(three, 0);
    EXPECT_EQ(first.Model, "Zelmo 2 USB");
    EXPECT_EQ(first.HardwareVersion, "1.0");
    EXPECT_EQ(first.FirmwareVersion, "1.02.10.05");
    EXPECT_EQ(first.SerialNumber, "ZS01");
    EXPECT_FALSE(AboutPageFor(test::TestProgrammers(1), 0).CanStep);
}

TEST(AboutBox, DemoModeShowsNoProgrammer) {
    const AboutPage page = AboutPageFor({}, 0);
    EXPECT_EQ(page.Model, "Demo mode");
    EXPECT_EQ(page.HardwareVersion, "-");
    EXPECT_EQ(page.FirmwareVersion, "-");
    EXPECT_EQ(page.SerialNumber, "-");
    EXPECT_TRUE(page.Position.isEmpty());
    EXPECT_FALSE(page.CanStep);
}

TEST(AboutBox, UpdaterIsFoundThroughItsRecord) {
    QSettings record(QStringLiteral("TERVANIK"), QStringLiteral("Updater"));
    record.remove(QStringLiteral("Location"));
    record.sync();
    EXPECT_TRUE(UpdaterProgram().isEmpty());
    record.setValue(QStringLiteral("Location"), QStringLiteral("/opt/tervanik/updater"));
    record.sync();
    EXPECT_EQ(UpdaterProgram(), "/opt/tervanik/updater/Updater");
    record.remove(QStringLiteral("Location"));
}

} // namespace
} // namespace zelmo
