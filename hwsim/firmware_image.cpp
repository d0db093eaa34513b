#include "firmware_image.h"

#include "sim_config.h"
#include "text_util.h"

#include <fstream>
#include <string>

namespace hwsim {

std::optional<std::array<std::uint8_t, 4>> imageVersion(const std::filesystem::path& file,
                                                        std::string_view kind) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line.size() > 64) {
        return std::nullopt;
    }
    const std::string_view text = trim(line);
    if (text.size() <= kind.size() || text.substr(0, kind.size()) != kind ||
        text[kind.size()] != ' ') {
        return std::nullopt;
    }
    return parseVersion(text.substr(kind.size() + 1));
}

} // namespace hwsim
