#include "platform/console.hpp"

#include <cstdio>

namespace console {

void write(const char* text) { std::fputs(text, stdout); }

void write(const char* text, int count) {
    if (count > 0) std::fwrite(text, 1, static_cast<size_t>(count), stdout);
}

void writeLine(const char* text) {
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
}

void bellLine() {
    std::fputs("\a\n", stdout);
    std::fflush(stdout);  // the bell should sound when the key is answered, not later
}

namespace {
void writeStop(const char* message) {
    std::fflush(stdout);  // an open report line reaches the console before the message
    std::fputs(message, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
}  // namespace

void stop(const char* message) {
    writeStop(message);
    holdForReader();
    endRun(0);
}

void quit(const char* message) {
    writeStop(message);
    endRun(0);
}

void stopSilently() {
    std::fflush(stdout);
    holdForReader();
    endRun(0);
}

void pause(const char* message) {
    writeLine(message);
    std::fflush(stdout);
    waitForLine();
}

void ioFailure(const char* what, const char* name) {
    std::fflush(stdout);
    std::fprintf(stderr, "Orvex: input/output failure: %s: %s\n", what, name);
    std::fflush(stderr);
    holdForReader();
    endRun(2);
}

}  // namespace console
