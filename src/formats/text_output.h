#pragma once

// Formats writer output into one large buffer and hands it on in big pieces, so a save makes a
// few hundred system calls instead of one per record.

#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zelmo::formats {

class TextOutput {
public:
    using Flush = std::function<bool(std::span<const char>)>;

    explicit TextOutput(Flush flush, std::size_t capacity = std::size_t{1} << 20)
        : flush_(std::move(flush)), buffer_(capacity) {}

    // Room for `n` characters (n no more than the capacity); fill it and call commit(n).
    char* reserve(std::size_t n) {
        if (used_ + n > buffer_.size()) {
            drain();
        }
        return buffer_.data() + used_;
    }
    void commit(std::size_t n) { used_ += n; }

    void append(std::string_view text) {
        while (!text.empty()) {
            const std::size_t n = std::min(text.size(), buffer_.size());
            std::memcpy(reserve(n), text.data(), n);
            commit(n);
            text.remove_prefix(n);
        }
    }

    // Hands on what is buffered; false once any hand-over failed.
    bool drain() {
        if (used_ > 0 && ok_) {
            ok_ = flush_(std::span<const char>(buffer_.data(), used_));
        }
        used_ = 0;
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    Flush flush_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

// Output collected in a string (tests, fuzzers and small files). Its buffer is small, so that
// making one costs little.
class StringOutput {
public:
    StringOutput()
        : output_(
              [this](std::span<const char> s) {
                  text_.append(s.data(), s.size());
                  return true;
              },
              std::size_t{64} << 10) {}
    StringOutput(const StringOutput&) = delete;
    StringOutput& operator=(const StringOutput&) = delete;
    TextOutput& out() { return output_; }
    const std::string& text() {
        output_.drain();
        return text_;
    }

private:
    std::string text_;
    TextOutput output_;
};

} // namespace zelmo::formats
