#pragma once

// A project for the buffer view tests: devices added the way the program adds them (option and
// swap files in a temporary folder, buffers full of 0xFF), with each memory's organisation and
// flags chosen by the test, and a view model over it.

#include "editor/buffer_view_model.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace zelmo::editor::test {

using zelmo::test::makeDescriptor;

struct MemoryShape {
    std::uint32_t Size = 0;
    std::uint8_t Organization = ORG_8BIT;
    std::uint32_t Flags = 0;
};

class ViewTest : public zelmo::test::ProjectTest {
protected:
    // Adds an editable device with up to four memories and returns its slot; the view shows
    // memory 0 of it when it is the first device.
    int addDevice(std::vector<MemoryShape> memories, std::uint8_t type = DT_FLASH) {
        std::array<std::uint32_t, 5> sizes{};
        for (std::size_t m = 0; m < memories.size(); ++m) {
            sizes[m] = memories[m].Size;
        }
        const auto added =
            project.AddCompleteDevice(makeDescriptor(sizes, DEV_FILES, type), [&](CDevice& device) {
                for (std::size_t m = 0; m < memories.size(); ++m) {
                    BufferInfo& info = device.Buffers[m];
                    SetFieldText(info.Name, "Code");
                    info.Organization = memories[m].Organization;
                    info.Color = 0x00F0F0F0;
                    info.Flags = memories[m].Flags;
                }
                device.Editable = 1;
                return true;
            });
        EXPECT_GE(added.Slot, 0);
        return added.Slot;
    }

    CDevice& dev(int slot = 0) { return *project.Devices[static_cast<std::size_t>(slot)]; }
    CDataSet& shown(int slot = 0) { return *dev(slot).Shown(); }
    BufferViewState& viewState(int slot = 0) {
        return dev(slot).ViewState[dev(slot).CurrentMemory];
    }

    void put(std::uint64_t offset, std::vector<std::uint8_t> bytes, int memory = 0, int slot = 0) {
        ASSERT_TRUE(shown(slot).Write(memory, offset, bytes));
    }
    std::vector<std::uint8_t> get(std::uint64_t offset, std::size_t n, int memory = 0,
                                  int slot = 0) {
        std::vector<std::uint8_t> bytes(n);
        EXPECT_TRUE(shown(slot).Read(memory, offset, bytes));
        return bytes;
    }
    void type(const std::string& text) {
        for (char c : text) {
            view.KeyPress(static_cast<unsigned char>(c));
        }
    }
    // Text of data cell (dataRow, column) of a grid as drawn now.
    QString text(GridKind grid, int dataRow, int column) {
        return view.Look({grid, dataRow + 1, column}, true).Text;
    }

    BufferViewModel view{project};
};

} // namespace zelmo::editor::test
