#include "platform/files.hpp"

#include <emscripten/emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

// The page's files live in the module's memory file system, in the run's folder.
Opened openPlainFile(const char* name, std::FILE*& file, long long& length) {
    file = nullptr;
    length = 0;
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
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

namespace {

EM_JS(void, tellPageWritten, (const char* name), {
    const page = Module["orvexPage"];
    if (!page || !page.fileWritten) return;
    const fileName = UTF8ToString(name);
    page.fileWritten(fileName, FS.readFile(fileName).slice());
});

}  // namespace

// The page is handed a copy of the file's bytes.
void announceWritten(const char* name) { tellPageWritten(name); }

}  // namespace files
