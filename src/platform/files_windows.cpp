#include "platform/files.hpp"

#include <sys/stat.h>

namespace files {

// The name is looked at before it is opened: a directory cannot be opened as a file here, and a
// device name such as CON opens without being one.
Opened openPlainFile(const char* name, std::FILE*& file, long long& length) {
    file = nullptr;
    length = 0;
    struct _stat64 info = {};
    if (::_stat64(name, &info) != 0) return Opened::notFound;
    if (info.st_mode & _S_IFDIR) return Opened::directory;
    if (!(info.st_mode & _S_IFREG)) return Opened::notPlainFile;
    file = std::fopen(name, "rb");
    if (!file) return Opened::notFound;
    if (::_fstat64(::_fileno(file), &info) != 0 || !(info.st_mode & _S_IFREG)) {
        std::fclose(file);
        file = nullptr;
        return Opened::notPlainFile;
    }
    length = info.st_size;
    return Opened::plainFile;
}

bool exists(const char* name) {
    struct _stat64 info;
    return name[0] != 0 && ::_stat64(name, &info) == 0;
}


}  // namespace files
