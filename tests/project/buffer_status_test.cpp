#include "project_fixture.h"

#include "common/temp_dir.h"
#include "project/buffer_status.h"

using namespace zelmo;
using namespace zelmo::test;

class BufferStatusTest : public ProjectTest {
protected:
    CDevice& addDevice(const DeviceDescriptor& descriptor) {
        const int d = project.AddDevice(descriptor);
        EXPECT_GE(d, 0);
        EXPECT_FALSE(project.AddDataSet(d, SwapInit::ResetAndFill).empty());
        return *project.Devices[d];
    }
};

TEST_F(BufferStatusTest, MemorySize) {
    EXPECT_EQ(MemorySizeField(nullptr).Text, QStringLiteral("none"));

    CDevice& flash = addDevice(makeDescriptor({1023, 65536, 0, 0, 0}));
    EXPECT_EQ(MemorySizeField(&flash).Text, QStringLiteral("1023 B"));
    EXPECT_EQ(MemorySizeField(&flash).Hint, QStringLiteral("1023 bytes"));
    flash.CurrentMemory = 1;
    EXPECT_EQ(MemorySizeField(&flash).Text, QStringLiteral("64.0 KB"));
    EXPECT_EQ(MemorySizeField(&flash).Hint, QStringLiteral("65536 bytes"));

    // Programmable logic: fuses for the fuse map, nothing for the test vectors.
    CDevice& pld = addDevice(makeDescriptor({2000, 480, 0, 0, 0}, 0, DT_PLD));
    pld.Buffers[0].Organization = ORG_FUSE_MAP;
    pld.Buffers[1].Organization = ORG_TEST_VECTORS;
    const StatusField fuses = MemorySizeField(&pld);
    EXPECT_TRUE(fuses.Visible);
    EXPECT_EQ(fuses.Text, QStringLiteral("2000"));
    EXPECT_EQ(fuses.Hint, QStringLiteral("2000 fuses"));
    pld.CurrentMemory = 1;
    EXPECT_FALSE(MemorySizeField(&pld).Visible);
}

TEST_F(BufferStatusTest, FileNameField) {
    EXPECT_EQ(FileNameField(nullptr).Text, QStringLiteral("none"));
    CDevice& device = addDevice(makeDescriptor({16, 16, 0, 0, 0}));
    MemoryState& a = device.Shown()->Memories[0];
    const std::filesystem::path existing = swapDir / "image.hex";
    ASSERT_TRUE(writeFile(existing, ":00000001FF\n"));

    struct Case {
        const char* what;
        QString file; // empty: no current file
        bool modified;
        bool readOnly;
        QString text;
        StatusColour colour;
        QString hint;
    };
    const QString missing = qpath(swapDir / "gone.hex");
    const Case cases[] = {
        {"none", {}, false, false, "none", StatusColour::Normal, {}},
        {"file", qpath(existing), false, false, qpath(existing), StatusColour::Normal, {}},
        {"missing", missing, false, false, missing, StatusColour::Red, "File doesn't exist."},
        {"modified", qpath(existing), true, false, qpath(existing), StatusColour::Blue,
         "Buffer modified."},
        {"blue wins", missing, true, false, missing, StatusColour::Blue, "Buffer modified."},
        {"read-only",
         qpath(existing),
         false,
         true,
         "none (read-only buffer)",
         StatusColour::Normal,
         {}},
    };
    for (const Case& c : cases) {
        a.Current.reset();
        if (!c.file.isEmpty()) {
            a.Current = std::make_shared<CFileEntry>();
            a.Current->FileName = c.file;
        }
        a.Modified = c.modified ? 1 : 0;
        device.Buffers[0].Flags = c.readOnly ? BUF_READ_ONLY : 0;
        const StatusField field = FileNameField(&device);
        EXPECT_EQ(field.Text, c.text) << c.what;
        EXPECT_EQ(field.Colour, c.colour) << c.what;
        EXPECT_EQ(field.Hint, c.hint) << c.what;
    }

    // Memory B shows its own state.
    device.CurrentMemory = 1;
    EXPECT_EQ(FileNameField(&device).Text, QStringLiteral("none"));
}

TEST_F(BufferStatusTest, ProgrammableLogicShowsTheFuseMapFile) {
    CDevice& pld = addDevice(makeDescriptor({100, 48, 0, 0, 0}, 0, DT_PLD));
    pld.Shown()->Memories[0].Current = std::make_shared<CFileEntry>();
    pld.Shown()->Memories[0].Current->FileName = qpath(swapDir / "a.jed");
    pld.CurrentMemory = 1;
    EXPECT_EQ(FileNameField(&pld).Text, qpath(swapDir / "a.jed"));
}

TEST(BufferStatus, ProjectName) {
    EXPECT_EQ(ProjectNameField({}).Text, QStringLiteral("none"));
    EXPECT_EQ(ProjectNameField(QStringLiteral("/p/x.zlp")).Text, QStringLiteral("/p/x.zlp"));
}
