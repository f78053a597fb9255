// The largest texture the display's OpenGL accepts, asked in a child process: a display that
// fails or hangs costs the helper a warning, never the run.
#pragma once
#include <sys/types.h>

#include <string>

namespace picture {

struct GlQuery {
    pid_t child = -1;
    int answer = -1;  // read end of the child's pipe
};

// Starts the question on $DISPLAY. Call it before any other thread exists (before the back end).
GlQuery askGlMaxTexture();

// The answer within `seconds`: the widest 2:1 texture GL accepts, or 0 and the reason.
int glMaxTexture(GlQuery& query, int seconds, std::string& reason);

// Ends a question whose answer is no longer wanted.
void dropGlQuery(GlQuery& query);

}  // namespace picture
