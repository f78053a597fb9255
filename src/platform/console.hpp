// The console: every byte the program prints goes through here. Report lines and bell lines go to
// standard output, stop messages to standard error.
#pragma once

namespace console {

// What went wrong, beside a stop's message: the browser's page explains each kind in plain words
// (failureCode gives its code there); the console's texts do not depend on it.
enum class Failure {
    none,            // nothing failed: the run ends as it was asked to
    configMissing,   // there is no Orvex.Txt
    configEmpty,     // Orvex.Txt counts fewer than one map
    configName,      // a name in Orvex.Txt lacks its closing quote
    tooManyMaps,     // Orvex.Txt counts more maps than the viewer reads (the run goes on)
    imageMissing,    // a map that Orvex.Txt names is not in the folder
    imageRead,       // a BMP holds fewer bytes than its header says
    imageFormat,     // a BMP of a depth or a compression the viewer does not read
    imageDamaged,    // a BMP's compressed rows are damaged
    imageTooLarge,   // a BMP's sizes are not ones the viewer takes (or top row first)
    glErrorAtStart,  // GL refused something before the first frame (most often a texture too large)
    glError,         // GL reported an error while drawing
    outOfMemory,     // memory for a picture or a dump could not be had
    ioError,         // a file could not be opened, read or written
    dumpWidth,       // the window's width makes rows the screen dump cannot write
    dumpsDone,       // the fifth screen dump ends the run
};

// The failure's kebab-case code, as the page knows it ("" for none).
const char* failureCode(Failure failure);

void write(const char* text);                 // continues the current line, leaves it open
void write(const char* text, int count);      // the first `count` characters of text
void writeLine(const char* text);             // text, then a line end
void bellLine();                              // a line holding only the bell character (code 7)

// Ends the run: message and line end on standard error, exit status 0. The failure (with `detail`,
// or else the message) is announced first.
[[noreturn]] void stop(Failure failure, const char* message, const char* detail = nullptr);
// The same for an end the user asked for (the quit key or entry): the message is never held.
[[noreturn]] void quit(const char* message);
// Ends the run the same way without writing anything (and, like every stop, holds the console).
[[noreturn]] void stopSilently(Failure failure);

// Writes the message as a line on standard output, then waits for one line of standard input
// (its text is discarded; the end of input counts as a line).
void pause(const char* message);

// A failure of the input/output layer itself (a file that exists but cannot be opened or read,
// memory that cannot be obtained): a report on standard error and exit status 2.
// `failure` says which kind it is (a short file, memory, the file system).
[[noreturn]] void ioFailure(Failure failure, const char* what, const char* name);

// ---- The system's half (console_posix.cpp or console_windows.cpp, each with console_desktop.cpp;
// console_web.cpp) ----
// Sets up standard output; called first in the run.
void open();
// Waits for one line of standard input (or its end); the text is discarded.
void waitForLine();
// The program has written and closed the file `name` (a screen dump, Orvex.Out). On the desktop
// the file is simply there; in a web page, whose panel is the console, the page is told, so that
// it can offer the file.
void announceWritten(const char* name);
// A failure the page should explain, before the run stops or goes on (nothing on the desktop,
// whose console shows the message itself).
void announceFailure(Failure failure, const char* detail);
// The view's readouts after a frame (centre latitude and longitude and the field of view in
// degrees, the map shown and its name), for a page that shows them as text (nothing on the desktop).
void announceView(double latitude, double longitude, double fieldOfView, int image, const char* imageName);
// Ends the run with the exit status.
[[noreturn]] void endRun(int status);
// After a stop's message, before the run ends: where the console window belongs to this process
// alone (a program started from Explorer), waits for Enter, so that the message can be read
// before the window closes with the process.
void holdForReader();

}  // namespace console
