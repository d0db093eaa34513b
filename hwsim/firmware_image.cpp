#include "firmware_image.h"

#include "file_handle.h"
#include "sim_config.h"
#include "text_util.h"

#include <string>

namespace hwsim {

std::optional<std::array<std::uint8_t, 4>> imageVersion(const std::filesystem::path& file,
                                                        std::string_view kind) {
    // Only the first line matters, so no more than a line's worth is read.
    constexpr std::size_t kLongestLine = 64;
    const auto head = readFileHead(file, kLongestLine + 1);
    if (!head) {
        return std::nullopt;
    }
    const std::size_t eol = head->find('\n');
    if (eol == std::string::npos && head->size() > kLongestLine) {
        return std::nullopt;
    }
    const std::string_view text = trim(std::string_view(*head).substr(0, eol));
    if (text.size() <= kind.size() || text.substr(0, kind.size()) != kind ||
        text[kind.size()] != ' ') {
        return std::nullopt;
    }
    return parseVersion(text.substr(kind.size() + 1));
}

} // namespace hwsim
