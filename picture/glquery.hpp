// The largest texture the display's OpenGL accepts, asked aside from the run (a child process on
// X, a thread on Windows, a throwaway WebGL context in the browser): a display that fails or hangs
// costs the helper a warning, never the run.
#pragma once
#include <string>

namespace picture {

// Starts the question on the local display, when there is one. Call it before any other thread
// exists (before the back end).
void askGlMaxTexture();

// The answer within `seconds`: the widest 2:1 texture GL accepts, or 0 and the reason ("no
// display" when there was none to ask).
int glMaxTexture(int seconds, std::string& reason);

// Ends a question whose answer is no longer wanted.
void dropGlQuery();

// With a GL context current: the largest side GL names, halved until a 2:1 RGB texture of that
// width passes the proxy test (the viewer asks for RGB; a driver may refuse the largest size for
// its memory); 0 when GL names none. Shared by both halves (glquery.cpp).
int largestProxyTexture();

}  // namespace picture
