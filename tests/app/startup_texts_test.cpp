#include "app/installation_record.h"
#include "app/startup_status.h"

#include "common/programmer_records.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"

#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <vector>

namespace zelmo {
namespace {

TEST(StartupStatus, HardwareFoundMessageByProgrammersAndMode) {
    EXPECT_EQ(HardwareFoundMessage({}, false, true), "Hardware not found. Entered demo mode.");
    EXPECT_EQ(HardwareFoundMessage(test::TestProgrammers(1), false, true),
              "Hardware found: Zelmo 2 USB.");
    EXPECT_EQ(HardwareFoundMessage(test::TestProgrammers(3), true, true),
              "Hardware found: 3 programmers. 'Gang' mode enabled.");
    // Equal models with gang mode off, and different models, both run in single mode.
    EXPECT_EQ(HardwareFoundMessage(test::TestProgrammers(2), true, false),
              "Hardware found: 2 programmers. 'Single' mode enabled.");
    EXPECT_EQ(HardwareFoundMessage(test::TestProgrammers(2), false, true),
              "Hardware found: 2 programmers. 'Single' mode enabled.");
}

TEST(StartupStatus, FreeSpaceLineNamesASize) {
    test::TempDir dir;
    const QString line =
        FreeSpaceLine("Swap directory free bytes: ", QString::fromStdString(dir.path().string()));
    EXPECT_TRUE(line.startsWith("Swap directory free bytes: "));
    EXPECT_TRUE(line.endsWith("B") || line.endsWith("bytes")) << line.toStdString();
    EXPECT_EQ(FreeSpaceLine("x: ", "/nonexistent/folder"), "x: 0 bytes");
}

TEST(InstallationRecord, WritesLocationAndSignatureOnce) {
    QSettings record(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         "/TERVANIK/Zelmo 2 (USB).conf",
                     QSettings::IniFormat);
    record.clear();
    record.sync();
    ASSERT_TRUE(RecordInstallation("/opt/zelmo2/").ok);
    record.sync();
    EXPECT_EQ(record.value("Location").toString(), "/opt/zelmo2/");
    EXPECT_EQ(record.value("Signature").toString(), "zelmo2u");

    // A moved installation updates the location.
    ASSERT_TRUE(RecordInstallation("/usr/local/zelmo2/").ok);
    record.sync();
    EXPECT_EQ(record.value("Location").toString(), "/usr/local/zelmo2/");
}

TEST(InstallationRecord, AnUnwritableRecordGivesTheWarning) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "file", "x"));
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    // Below a regular file nothing can be written, whoever runs the test.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((dir / "file" / "config").string()));
    const Result r = RecordInstallation("/opt/zelmo2/");
    qputenv("XDG_CONFIG_HOME", saved);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "Could not access registry.\nExecute the software with administrative rights.");
}

} // namespace
} // namespace zelmo
