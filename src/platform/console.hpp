// The console: every byte the program prints goes through here. Report lines and bell lines go to
// standard output, stop messages to standard error.
#pragma once

namespace console {

void write(const char* text);                 // continues the current line, leaves it open
void write(const char* text, int count);      // the first `count` characters of text
void writeLine(const char* text);             // text, then a line end
void bellLine();                              // a line holding only the bell character (code 7)

// Ends the run: message and line end on standard error, exit status 0.
[[noreturn]] void stop(const char* message);
// The same for an end the user asked for (the quit key or entry): the message is never held.
[[noreturn]] void quit(const char* message);
// Ends the run the same way without writing anything (and, like every stop, holds the console).
[[noreturn]] void stopSilently();

// Writes the message as a line on standard output, then waits for one line of standard input
// (its text is discarded; the end of input counts as a line).
void pause(const char* message);

// A failure of the input/output layer itself (a file that exists but cannot be opened or read,
// memory that cannot be obtained): a report on standard error and exit status 2.
[[noreturn]] void ioFailure(const char* what, const char* name);

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
// Ends the run with the exit status.
[[noreturn]] void endRun(int status);
// After a stop's message, before the run ends: where the console window belongs to this process
// alone (a program started from Explorer), waits for Enter, so that the message can be read
// before the window closes with the process.
void holdForReader();

}  // namespace console
