#pragma once

// Readers that must not block on a FIFO: runs the read on another thread and expects it back
// within a second. A read still blocked on the FIFO then is released by opening the FIFO's
// other end, so a failing test fails instead of hanging.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>

#include <fcntl.h>
#include <unistd.h>

namespace zelmo::test {

template <typename Read> auto returnsPromptly(const std::filesystem::path& fifo, Read read) {
    auto pending = std::async(std::launch::async, read);
    const bool prompt = pending.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
    if (!prompt) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
    }
    EXPECT_TRUE(prompt) << fifo << " blocked the reader";
    return pending.get();
}

} // namespace zelmo::test
