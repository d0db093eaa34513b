#include "project_fixture.h"

#include "common/temp_dir.h"

#include <cstdlib>
#include <map>
#include <string>

using namespace zelmo;
using namespace zelmo::test;

namespace {
// Every file of a folder with its bytes.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files[entry.path().filename().string()] = readFile(entry.path());
    }
    return files;
}

class ProjectCopyTest : public ProjectTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeFile(config, "<Settings>working project</Settings>"));
        for (int d = 0; d < 2; ++d) {
            ASSERT_EQ(project.AddDevice(makeDescriptor({8, 4, 0, 0, 3})), d);
            for (int s = 0; s < 2; ++s) {
                ASSERT_FALSE(project.AddDataSet(d, SwapInit::ResetAndFill).empty());
                const std::uint8_t mark[] = {static_cast<std::uint8_t>(d * 16 + s), 0x5A};
                ASSERT_TRUE(project.Devices[d]->DataSets[s]->Write(1, 2, mark));
            }
            ASSERT_TRUE(project.Devices[d]->Statistics->Count(d == 0));
        }
    }

    TempDir other;
    std::filesystem::path config = other / "Zelmo2.ini";
};
} // namespace

TEST_F(ProjectCopyTest, StoreCloseTakeGivesBackEveryByte) {
    const auto before = snapshot(swapDir.path());
    ASSERT_EQ(before.size(), 6u);
    const std::filesystem::path projectFile = other / "P.zlp";
    // A copy of an older save that no longer belongs to the project stays in the folder.
    std::filesystem::create_directory(other / "P");
    ASSERT_TRUE(writeFile(other / "P" / "bufFFFF.swp", "stale"));

    ASSERT_TRUE(project.StoreSwapFiles(qpath(projectFile), qpath(config)));
    EXPECT_EQ(project.ProjectFileName, qpath(projectFile));
    EXPECT_EQ(readFile(projectFile), readFile(config));
    auto stored = snapshot(other / "P");
    EXPECT_EQ(stored.erase("bufFFFF.swp"), 1u);
    EXPECT_EQ(stored, before);

    EXPECT_EQ(project.CloseAll(true), 1);
    EXPECT_TRUE(snapshot(swapDir.path()).empty());
    ASSERT_TRUE(writeFile(config, "changed since"));

    ASSERT_TRUE(project.TakeSwapFiles(qpath(projectFile), qpath(config)));
    EXPECT_EQ(project.ProjectFileName, qpath(projectFile));
    EXPECT_EQ(readFile(config), "<Settings>working project</Settings>");
    auto taken = snapshot(swapDir.path());
    EXPECT_EQ(taken.erase("bufFFFF.swp"), 1u);
    EXPECT_EQ(taken, before);
}

TEST_F(ProjectCopyTest, TakeNeedsBothKindsOfFile) {
    std::filesystem::create_directory(other / "Q");
    ASSERT_TRUE(writeFile(other / "Q.zlp", "project"));
    ASSERT_TRUE(writeFile(other / "Q" / "opt0001.swp", std::string(1024, '\0')));
    ASSERT_TRUE(writeFile(other / "Q" / "buf0001.swp.bak", "not a swap file"));
    EXPECT_FALSE(project.TakeSwapFiles(qpath(other / "Q.zlp"), qpath(config)));
    EXPECT_FALSE(project.LastError.isEmpty());
    // Nothing was copied, the configuration included.
    EXPECT_EQ(readFile(config), "<Settings>working project</Settings>");
    EXPECT_FALSE(std::filesystem::exists(swapDir / "opt0001.swp"));
    EXPECT_TRUE(project.ProjectFileName.isEmpty());
    EXPECT_FALSE(project.TakeSwapFiles(qpath(other / "None.zlp"), qpath(config)));
}

TEST_F(ProjectCopyTest, FailedCopyIsNeverReportedAsSaved) {
    // A project folder whose parent is a regular file stops every user, root included.
    ASSERT_TRUE(writeFile(other / "plain", "x"));
    EXPECT_FALSE(project.StoreSwapFiles(qpath(other / "plain" / "P.zlp"), qpath(config)));
    EXPECT_TRUE(project.ProjectFileName.isEmpty());
    EXPECT_FALSE(project.LastError.isEmpty());

    // The project file can be written but the folder's place is taken by a file.
    ASSERT_TRUE(writeFile(other / "R", "in the way"));
    EXPECT_FALSE(project.StoreSwapFiles(qpath(other / "R.zlp"), qpath(config)));
    EXPECT_TRUE(project.ProjectFileName.isEmpty());
}

TEST_F(ProjectCopyTest, CopyIntoReadOnlyFolderReportsFailure) {
    // Permission bits do not stop root, the immutable attribute does.
    const std::filesystem::path folder = other / "S";
    std::filesystem::create_directory(folder);
    const std::string chattr = "chattr +i '" + folder.string() + "' 2>/dev/null";
    if (std::system(chattr.c_str()) != 0) {
        GTEST_SKIP() << "chattr +i is not available on this file system; the regular-file "
                        "parent case of FailedCopyIsNeverReportedAsSaved covers the failure";
    }
    const bool stored = project.StoreSwapFiles(qpath(other / "S.zlp"), qpath(config));
    const std::string undo = "chattr -i '" + folder.string() + "'";
    ASSERT_EQ(std::system(undo.c_str()), 0);
    EXPECT_FALSE(stored);
    EXPECT_TRUE(project.ProjectFileName.isEmpty());
    EXPECT_TRUE(project.LastError.contains(QStringLiteral("S/")));
    EXPECT_TRUE(std::filesystem::is_empty(folder));

    // The same folder made writable again takes the copy.
    EXPECT_TRUE(project.StoreSwapFiles(qpath(other / "S.zlp"), qpath(config)));
    EXPECT_EQ(snapshot(folder), snapshot(swapDir.path()));
}

TEST_F(ProjectCopyTest, StoringIntoTheSwapDirectoryKeepsTheOpenFiles) {
    // The project folder is the swap directory itself.
    std::string folder = swapDir.path().string();
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    ASSERT_TRUE(project.StoreSwapFiles(QString::fromStdString(folder + ".zlp"), qpath(config)));
    CDataSet& dataSet = *project.Devices[0]->DataSets[0];
    const std::uint8_t after[] = {0x66};
    ASSERT_TRUE(dataSet.Write(0, 0, after));
    EXPECT_EQ(readFile(swapFile(dataSet))[0], '\x66'); // still the file on disk
    std::filesystem::remove(folder + ".zlp");
}

TEST_F(ProjectCopyTest, TakeWithoutSwapPathCopiesIntoTheTemporaryFolder) {
    const std::filesystem::path projectFile = other / "T.zlp";
    ASSERT_TRUE(project.StoreSwapFiles(qpath(projectFile), qpath(config)));
    const std::string optName =
        std::filesystem::path(project.Devices[0]->OptPath.toStdString()).filename().string();
    project.CloseAll(true);
    project.SetSwapPath(QString()); // the system's temporary folder
    ASSERT_TRUE(project.TakeSwapFiles(qpath(projectFile), qpath(config)));
    const std::filesystem::path temp = project.SwapFolder().toStdString();
    EXPECT_EQ(temp, std::filesystem::canonical(std::getenv("TMPDIR")).string() + "/");
    EXPECT_TRUE(std::filesystem::exists(temp / optName));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / optName));
    std::filesystem::remove(temp / optName);
}
