#include "platform/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

// Opened without blocking, so a FIFO is seen for what it is instead of waiting for a writer.
Opened openPlainFile(const char* name, std::FILE*& file, long long& length) {
    file = nullptr;
    length = 0;
    const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Opened::notFound;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return S_ISDIR(info.st_mode) ? Opened::directory : Opened::notPlainFile;
    }
    file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return Opened::notFound;
    }
    length = info.st_size;
    return Opened::plainFile;
}

bool exists(const char* name) {
    struct stat info;
    return name[0] != 0 && ::stat(name, &info) == 0;
}


}  // namespace files
