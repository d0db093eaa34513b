#pragma once

// Two folders (the swap folder and one for project files), a configuration file, a catalogue of
// test devices behind a fake device library, and a host that records what the project file
// shows and logs. The host's configuration store keeps the swap folder, as the application's
// configuration does.

#include "common/temp_dir.h"
#include "persistence/project_file/project_file.h"
#include "persistence/settings_document.h"
#include "project/device_descriptor.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <map>
#include <set>

namespace zelmo::test {

inline QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

class ProjectFileTest : public ::testing::Test {
protected:
    ProjectFileTest() {
        project.SetSwapPath(qpath(swapDir.path()));
        std::filesystem::create_directories(projects.path());
    }
    ~ProjectFileTest() override { project.CloseAll(true); }

    // A catalogue device; `sizes` are MemSize A to D and E.
    DeviceDescriptor device(const char* name, std::array<std::uint32_t, 5> sizes = {8, 4, 0, 0, 0},
                            std::uint32_t flags = 0) {
        DeviceDescriptor d{};
        d.Type = DT_FLASH;
        SetFieldText(d.Vendor, "TST");
        SetFieldText(d.Name, name);
        SetFieldText(d.Package, "DIP32");
        SetFieldText(d.LibName, "FAKE");
        for (int m = 0; m < 5; ++m) {
            d.MemSize[m] = sizes[static_cast<std::size_t>(m)];
        }
        d.PinCount = 32;
        d.Flags = flags;
        catalogue[name] = d;
        return d;
    }

    // Adds a catalogue device with `dataSets` data sets directly to the project.
    CDevice& add(const DeviceDescriptor& d, int dataSets = 1) {
        const int slot = project.AddCompleteDevice(d).Slot;
        EXPECT_GE(slot, 0);
        for (int s = 1; s < dataSets; ++s) {
            EXPECT_FALSE(project.AddDataSet(slot, SwapInit::ResetAndFill).empty());
        }
        return *project.Devices[static_cast<std::size_t>(slot)];
    }

    CDeviceLibrary library() {
        CDeviceLibrary lib;
        lib.Search = [this](std::string_view vendor, std::string_view name,
                            std::string_view) -> std::optional<DeviceDescriptor> {
            const auto it = catalogue.find(std::string(name));
            if (vendor != "TST" || it == catalogue.end() || missing.count(std::string(name)) != 0) {
                return std::nullopt;
            }
            return it->second;
        };
        lib.Prepare = [this](const DeviceDescriptor& d) {
            PreparedDevice prepared;
            if (refused.count(std::string(FieldView(d.Name))) != 0) {
                prepared.LibraryMessages = {QStringLiteral("Library refused.")};
                return prepared;
            }
            SetFieldText(prepared.Buffers[0].Name, "Memory A");
            prepared.ok = true;
            return prepared;
        };
        lib.VendorName = [](std::string_view code) {
            return "Vendor " +
                   QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size()));
        };
        return lib;
    }

    ProjectFileHost host() {
        ProjectFileHost h;
        h.Log = [this](LogKind kind, const QString& text) {
            log << QString::asprintf("%X ", kind) + text;
        };
        h.SetStatus = [this](const QString& text) { statuses << text; };
        h.ShowMessage = [this](const QString& text) { messages << text; };
        h.ErrorBox = [this](const QString& text) { errors << text; };
        h.StoreConfiguration = [this](CMyIni& document) {
            document.WriteInt("Config", "SwapUseTEMP", 0);
            document.WriteText("Config", "SwapPath", project.SwapPath);
        };
        h.RestoreConfiguration = [this](const CMyIni& document) {
            ++configurationRestores;
            project.SetSwapPath(document.ReadText("Config", "SwapPath", QString()));
        };
        h.ShowInfoPage = [this] { ++infoPages; };
        return h;
    }

    CProjectFile file() { return CProjectFile(project, library(), host(), config); }

    TempDir swapDir;
    TempDir projects;
    QString config = qpath(projects / "Zelmo2.ini");
    TProject project;
    std::map<std::string, DeviceDescriptor> catalogue;
    std::set<std::string> missing; // devices the catalogue no longer has
    std::set<std::string> refused; // devices whose memories the library does not describe
    QStringList log;
    QStringList statuses;
    QStringList messages;
    QStringList errors;
    int configurationRestores = 0;
    int infoPages = 0;
};

} // namespace zelmo::test
