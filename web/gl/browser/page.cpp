// The GL subset's one word to the page, in the browser only (the native tests stand in for it).
// The C function is what pulls this file out of the library: JavaScript alone would not.
#include <emscripten/emscripten.h>

#include "../webgl.hpp"

EM_JS(void, callPageFailed, (const char* code, const char* detail), {
    const page = Module["orvexPage"];
    if (page && page.failed) page.failed(UTF8ToString(code), UTF8ToString(detail));
});

void orvexPageFailed(const char* code, const char* detail) { callPageFailed(code, detail); }
