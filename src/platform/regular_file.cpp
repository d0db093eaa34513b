#include "platform/regular_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace zelmo::platform {

File openRegularFile(const std::filesystem::path& path) {
    if (path.empty()) {
        return {};
    }
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; a regular file ignores it.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    File file(fd);
    struct stat st {};
    if (!file.isOpen() || ::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {};
    }
    return file;
}

} // namespace zelmo::platform
