// Copying a project out to a project file with its folder of option and swap files, and back in.

#include "project/project.h"

#include "project/swap_names.h"

#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace zelmo {

namespace {

// The project folder: the project file path without its extension.
QString projectFolder(const QString& projectFile) {
    const QFileInfo info(projectFile);
    if (info.suffix().isEmpty()) {
        return projectFile;
    }
    return projectFile.left(projectFile.size() - info.suffix().size() - 1);
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

// Regular files of `folder` whose names start with `prefix` and end with ".swp", sorted.
std::vector<std::filesystem::path> swapFilesIn(const std::filesystem::path& folder,
                                               const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.size() >= prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - 4, 4, ".swp") == 0 && it->is_regular_file(typeError)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Copies through a temporary name and a rename. A file copied onto itself (a project folder that
// is the swap directory) is left alone: the rename would detach it from the open handle.
bool copyFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (std::filesystem::equivalent(from, to, ec)) {
        return true;
    }
    return platform::copyFileAtomically(from, to);
}

} // namespace

bool TProject::StoreSwapFiles(const QString& projectFile, const QString& configFile) {
    LastError.clear();
    const auto copy = [this](const QString& from, const QString& to) {
        if (copyFile(LocalPath(from), LocalPath(to))) {
            return true;
        }
        LastError = QStringLiteral("Could not copy '%1' to '%2'.").arg(from, to);
        return false;
    };
    if (!copy(configFile, projectFile)) {
        return false;
    }
    const QString folder = WithTrailingSlash(projectFolder(projectFile));
    std::error_code ec;
    std::filesystem::create_directories(LocalPath(folder), ec);
    if (!std::filesystem::is_directory(LocalPath(folder), ec)) {
        LastError = QStringLiteral("Could not create the folder '%1'.").arg(folder);
        return false;
    }
    for (int d = 0; d < DeviceCount; ++d) {
        const CDevice& device = *Devices[d];
        if (!copy(device.OptPath, folder + fileNameOf(device.OptPath))) {
            return false;
        }
        for (int s = 0; s < device.DataSetCount; ++s) {
            const QString& swapPath = device.DataSets[s]->SwapPath;
            if (!copy(swapPath, folder + fileNameOf(swapPath))) {
                return false;
            }
        }
    }
    ProjectFileName = projectFile;
    return true;
}

bool TProject::TakeSwapFiles(const QString& projectFile, const QString& configFile) {
    LastError.clear();
    const QString folder = projectFolder(projectFile);
    // Both kinds of file must be there before anything is copied, so an incomplete project
    // folder leaves the configuration file as it was.
    const auto optionFiles = swapFilesIn(LocalPath(folder), "opt");
    const auto swapFiles = swapFilesIn(LocalPath(folder), "buf");
    if (optionFiles.empty() || swapFiles.empty()) {
        LastError = QStringLiteral("No option or swap files in '%1'.").arg(folder);
        return false;
    }
    // SwapFolder, not SwapPath: an empty SwapPath stands for the temporary folder, never for
    // the current directory.
    const std::filesystem::path swapDir = LocalPath(SwapFolder());
    const auto copy = [this](const std::filesystem::path& from, const std::filesystem::path& to) {
        if (copyFile(from, to)) {
            return true;
        }
        LastError =
            QStringLiteral("Could not copy '%1' to '%2'.")
                .arg(QString::fromStdString(from.string()), QString::fromStdString(to.string()));
        return false;
    };
    if (!copy(LocalPath(projectFile), LocalPath(configFile))) {
        return false;
    }
    for (const auto* files : {&optionFiles, &swapFiles}) {
        for (const std::filesystem::path& file : *files) {
            if (!copy(file, swapDir / file.filename())) {
                return false;
            }
        }
    }
    ProjectFileName = projectFile;
    return true;
}

} // namespace zelmo
