#include "platform/console.hpp"

namespace console {

// The C library's buffering as it stands: lines on a terminal, blocks into a pipe or file.
void open() {}

// A terminal stays open after the program that wrote to it has ended.
void holdForReader() {}

}  // namespace console
