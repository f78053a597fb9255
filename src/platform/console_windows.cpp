#include "platform/console.hpp"

#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace console {

// The C runtime writes to a console as it goes but buffers a pipe or a file whole, and it has no
// line buffering; unbuffered, a pipe reads the report as the console shows it.
void open() { std::setvbuf(stdout, nullptr, _IONBF, 0); }

// A console that lists this process alone was made for it (a double-click in Explorer) and closes
// with it; one that a shell shares stays open, and the run ends as it does anywhere.
void holdForReader() {
    if (GetConsoleWindow() == nullptr) return;  // no console at all: standard streams are pipes or files
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1) return;
    std::fputs("Press Enter to close this window.\n", stderr);
    std::fflush(stderr);
    waitForLine();
}

}  // namespace console
