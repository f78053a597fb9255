#include "platform/console.hpp"

#include <cstdio>
#include <cstdlib>

namespace console {

// The C library's buffering as it stands: lines on a terminal, blocks into a pipe or file.
void open() {}

// A terminal stays open after the program that wrote to it has ended.
void holdForReader() {}

void waitForLine() {
    int c;
    do {
        c = std::fgetc(stdin);
    } while (c != '\n' && c != EOF);
}

void announceWritten(const char*) {}
void announceFailure(Failure, const char*) {}
void announceView(double, double, double, int, const char*) {}

void endRun(int status) { std::exit(status); }

}  // namespace console
