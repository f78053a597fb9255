// Files the viewer reads whole: opened for reading in binary mode, so both systems see the same
// bytes, and only when they are plain files.
#pragma once
#include <cstdio>

namespace files {

enum class Opened { plainFile, notFound, directory, notPlainFile };

// Opens a plain file for binary reading and gives its length. A directory, FIFO or device has no
// length that could back a header's sizes (and a FIFO would wait for a writer): it is refused,
// and `file` stays null unless the result is plainFile.
Opened openPlainFile(const char* name, std::FILE*& file, long long& length);

// True when something of that name exists (a file, a folder, ...).
bool exists(const char* name);

}  // namespace files
