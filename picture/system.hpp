// What the helper needs of the system beyond standard C++, one half per system
// (system_posix.cpp, system_windows.cpp; the build takes the one it builds for).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace picture::sys {

// The characters that end a folder in a path, the system's own first: "/"; on Windows "\" and "/".
extern const char kFolderEnds[];
// The line end of a text file the helper makes anew: "\n"; on Windows "\r\n", which every
// Windows editor shows as lines.
extern const char kNewLineEnd[];

// A new file named from `pattern` (its XXXXXX replaced), open for binary writing; -1 when none
// can be made.
int makeTemporary(std::string& pattern);
// Writes all of `bytes` at `offset`; false (errno set) when it cannot.
bool writeAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset);
// Makes the file `length` bytes long.
bool setLength(int fd, std::uint64_t length);
// Closes a finished file, readable by others as a file the user made.
bool closeFinished(int fd);
// Renames `from` to `to`, replacing a file of that name.
bool replaceFile(const std::string& from, const std::string& to);
bool outputIsTerminal();
long processId();
// Calls `handler` when the run is interrupted or ended by a signal (Ctrl+C, a closed terminal).
void onInterrupt(void (*handler)(int));

// True when the console belongs to this process alone: started from Explorer (a picture dropped on
// the program), the window closes when the run ends. Never on POSIX systems.
bool ownConsole();
// The folder the program's file is in (where the viewer beside it reads Orvex.Txt).
std::string programFolder();

}  // namespace picture::sys
