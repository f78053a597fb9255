#include "platform/console.hpp"

#include <cstdio>

namespace console {

const char* failureCode(Failure failure) {
    switch (failure) {
        case Failure::none: return "";
        case Failure::configMissing: return "config-missing";
        case Failure::configEmpty: return "config-empty";
        case Failure::configName: return "config-name";
        case Failure::tooManyMaps: return "too-many-maps";
        case Failure::imageMissing: return "image-missing";
        case Failure::imageRead: return "image-read";
        case Failure::imageFormat: return "image-format";
        case Failure::imageDamaged: return "image-damaged";
        case Failure::imageTooLarge: return "image-too-large";
        case Failure::glErrorAtStart: return "gl-error-at-start";
        case Failure::glError: return "gl-error";
        case Failure::outOfMemory: return "out-of-memory";
        case Failure::ioError: return "io-error";
        case Failure::dumpWidth: return "dump-width";
        case Failure::dumpsDone: return "dumps-done";
    }
    return "";
}

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

void stop(Failure failure, const char* message, const char* detail) {
    announceFailure(failure, detail ? detail : message);
    writeStop(message);
    holdForReader();
    endRun(0);
}

void quit(const char* message) {
    writeStop(message);
    endRun(0);
}

void stopSilently(Failure failure) {
    announceFailure(failure, "");
    std::fflush(stdout);
    holdForReader();
    endRun(0);
}

void pause(const char* message) {
    writeLine(message);
    std::fflush(stdout);
    waitForLine();
}

void ioFailure(Failure failure, const char* what, const char* name) {
    announceFailure(failure, name);
    std::fflush(stdout);
    std::fprintf(stderr, "Orvex: input/output failure: %s: %s\n", what, name);
    std::fflush(stderr);
    holdForReader();
    endRun(2);
}

}  // namespace console
