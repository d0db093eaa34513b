#pragma once

// A project for the view benchmarks: one device whose memory A is a sparse swap file of any
// size, and the count of bytes this process has read from files.

#include "platform/file_io.h"
#include "project/project.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace zelmo::bench {

inline std::filesystem::path scratch(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    return std::filesystem::path(tmp != nullptr ? tmp : "/tmp") / name;
}

// Bytes this process has read through read-like system calls so far.
inline std::uint64_t processReadBytes() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") {
            return value;
        }
    }
    return 0;
}

// A project of one device whose memory A is a sparse swap file of `size` bytes, shown in
// `organization`.
class SparseProject {
public:
    SparseProject(std::uint32_t size, std::uint8_t organization)
        : path_(scratch("zelmo_view_bench_" + std::to_string(size) + ".swp")) {
        platform::File file = platform::File::open(path_, platform::OpenMode::ReadWriteCreate);
        file.truncate(0);
        file.truncate(size); // a hole: no disk blocks, reads give zeros
        auto device = std::make_unique<CDevice>();
        device->Descriptor.MemSize[0] = size;
        device->Buffers[0].Organization = organization;
        device->Editable = 1;
        auto dataSet = std::make_unique<CDataSet>();
        dataSet->SwapFile = std::move(file);
        dataSet->TotalSize = size;
        dataSet->MemStart = {0, size, size, size, size};
        device->DataSets[0] = std::move(dataSet);
        device->DataSetCount = 1;
        project.Devices[0] = std::move(device);
        project.DeviceCount = 1;
    }
    ~SparseProject() {
        project.CloseAll(false);
        std::filesystem::remove(path_);
    }
    SparseProject(const SparseProject&) = delete;
    SparseProject& operator=(const SparseProject&) = delete;

    TProject project;

private:
    std::filesystem::path path_;
};

// Arguments of the view benchmarks: buffer size (a quarter screen, more than a screen, the
// largest memory), organisation (1 = 8-bit grid, 5 = fuse map).
inline void viewSizes(benchmark::internal::Benchmark* b) {
    for (std::int64_t organization : {ORG_8BIT, ORG_FUSE_MAP}) {
        for (std::int64_t size :
             {std::int64_t{256}, std::int64_t{0x10000}, std::int64_t{0xFFFFFFFF}}) {
            b->Args({size, organization});
        }
    }
    b->ArgNames({"size", "mode"})->Unit(benchmark::kMicrosecond);
}

} // namespace zelmo::bench
