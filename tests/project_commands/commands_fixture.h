#pragma once

// A project in a temporary swap folder with a host that records every message, question and
// log line, and a device library that describes memories without the hardware library.

#include "common/temp_dir.h"
#include "project/commands/project_commands.h"
#include "project/device_descriptor.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>

namespace zelmo::test {

inline DeviceDescriptor commandDescriptor(const char* name, std::array<std::uint32_t, 5> sizes,
                                          std::uint32_t flags = 0) {
    DeviceDescriptor descriptor{};
    descriptor.Type = DT_FLASH;
    SetFieldText(descriptor.Vendor, "TST");
    SetFieldText(descriptor.Name, name);
    SetFieldText(descriptor.Package, "DIP32");
    SetFieldText(descriptor.LibName, "FAKE");
    for (int m = 0; m < 5; ++m) {
        descriptor.MemSize[m] = sizes[static_cast<std::size_t>(m)];
    }
    descriptor.PinCount = 32;
    descriptor.Flags = flags;
    return descriptor;
}

// Records what the commands show and log; answers questions with `answer`.
struct RecordingHost {
    QStringList log; // "<kind hex> <text>"
    QStringList messages;
    QStringList questions;
    QStringList errors;
    QStringList statuses;
    bool answer = true;
    int selections = 0;
    std::optional<DeviceSelection> selection;
    std::int64_t free = std::int64_t{1} << 40;
    std::vector<std::int64_t> freeChecks;
    int refreshes = 0;

    ProjectCommandHost host() {
        ProjectCommandHost h;
        h.Log = [this](LogKind kind, const QString& text) {
            log << QString::asprintf("%X ", kind) + text;
        };
        h.SetStatus = [this](const QString& text) { statuses << text; };
        h.ShowMessage = [this](const QString& text) { messages << text; };
        h.Confirm = [this](const QString& question) {
            questions << question;
            return answer;
        };
        h.ErrorBox = [this](const QString& text) { errors << text; };
        h.SelectDevice = [this] {
            ++selections;
            return selection;
        };
        h.FreeBytes = [this](const QString&) {
            freeChecks.push_back(free);
            return free;
        };
        h.Refresh = [this] { ++refreshes; };
        return h;
    }
};

// Memories named "Mem A" to "Mem D"; fails with library messages while `refuse` is set.
struct FakeLibrary {
    bool refuse = false;
    std::array<std::uint32_t, 4> bufferFlags{};

    CDeviceLibrary library() {
        CDeviceLibrary lib;
        lib.Prepare = [this](const DeviceDescriptor&) {
            PreparedDevice prepared;
            if (refuse) {
                prepared.message = QStringLiteral("Couldn't add device.");
                prepared.LibraryMessages = {QStringLiteral("Unknown algorithm."),
                                            QStringLiteral("Second line.")};
                return prepared;
            }
            for (int m = 0; m < 4; ++m) {
                BufferInfo& info = prepared.Buffers[static_cast<std::size_t>(m)];
                SetFieldText(info.Name, std::string("Mem ") + char('A' + m));
                info.Flags = bufferFlags[static_cast<std::size_t>(m)];
            }
            prepared.VendorName = QStringLiteral("Test vendor");
            prepared.ok = true;
            return prepared;
        };
        lib.VendorName = [](std::string_view code) {
            return QStringLiteral("Vendor ") +
                   QString::fromLatin1(code.data(), static_cast<qsizetype>(code.size()));
        };
        return lib;
    }
};

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() { project.SetSwapPath(QString::fromStdString(swapDir.path().string())); }
    ~CommandsTest() override { project.CloseAll(true); }

    CProjectCommands commands() {
        return CProjectCommands(project, library.library(), recorder.host());
    }

    // Adds `copies` devices of `descriptor` through the command.
    void add(const DeviceDescriptor& descriptor, int copies = 1, QString adapter = {}) {
        recorder.selection = DeviceSelection{descriptor, copies, std::move(adapter)};
        commands().AddDevice();
    }

    std::size_t filesInSwapFolder() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(swapDir.path())) {
            ++n;
        }
        return n;
    }

    TempDir swapDir;
    TProject project;
    RecordingHost recorder;
    FakeLibrary library;
};

} // namespace zelmo::test
