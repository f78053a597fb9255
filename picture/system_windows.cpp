#include "system.hpp"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace picture::sys {

const char kFolderEnds[] = "\\/";
const char kNewLineEnd[] = "\r\n";

int makeTemporary(std::string& pattern) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = pattern;
        if (::_mktemp_s(&name[0], name.size() + 1) != 0) return -1;
        int fd = -1;
        ::_sopen_s(&fd, name.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            pattern = name;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

// WriteFile at an offset, the way pwrite writes on POSIX systems.
bool writeAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset), at.OffsetHigh = DWORD(offset >> 32);
        DWORD written = 0;
        const DWORD chunk = count > (1u << 30) ? (1u << 30) : DWORD(count);
        if (!WriteFile(file, bytes, chunk, &written, &at) || written == 0) {
            errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
            return false;
        }
        bytes += written, count -= written, offset += written;
    }
    return true;
}

bool setLength(int fd, std::uint64_t length) {
    const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    LARGE_INTEGER end;
    end.QuadPart = LONGLONG(length);
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)) return true;
    errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
    return false;
}

bool closeFinished(int fd) { return ::_close(fd) == 0; }

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool outputIsTerminal() { return ::_isatty(_fileno(stdout)) != 0; }
long processId() { return long(GetCurrentProcessId()); }

void onInterrupt(void (*handler)(int)) {
    for (int number : {SIGINT, SIGTERM, SIGBREAK}) signal(number, handler);
}

bool ownConsole() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

std::string programFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("/\\"));
}

}  // namespace picture::sys
