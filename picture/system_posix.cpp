#include "system.hpp"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace picture::sys {

const char kFolderEnds[] = "/";
const char kNewLineEnd[] = "\n";

int makeTemporary(std::string& pattern) { return ::mkstemp(&pattern[0]); }

bool writeAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
    while (count > 0) {
        const ssize_t n = ::pwrite(fd, bytes, count, off_t(offset));
        if (n <= 0) return false;
        bytes += n, count -= std::size_t(n), offset += std::uint64_t(n);
    }
    return true;
}

bool setLength(int fd, std::uint64_t length) { return ::ftruncate(fd, off_t(length)) == 0; }

// mkstemp makes the file readable by its owner only.
bool closeFinished(int fd) { return ::fchmod(fd, 0644) == 0 && ::close(fd) == 0; }

bool replaceFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool outputIsTerminal() { return ::isatty(STDOUT_FILENO); }
long processId() { return long(::getpid()); }

void onInterrupt(void (*handler)(int)) {
    for (int number : {SIGINT, SIGTERM, SIGHUP}) signal(number, handler);
}

bool ownConsole() { return false; }

std::string programFolder() { return "."; }  // asked only where ownConsole() can be true

}  // namespace picture::sys
