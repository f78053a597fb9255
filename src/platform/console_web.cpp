#include "platform/console.hpp"

#include <GL/freeglut.h>

#include <emscripten/emscripten.h>

#include <cstdio>

namespace console {

namespace {

EM_JS(void, tellPageWritten, (const char* name), {
    const page = Module["orvexPage"];
    if (!page || !page.fileWritten) return;
    const fileName = UTF8ToString(name);
    page.fileWritten(fileName, FS.readFile(fileName).slice());
});

EM_JS(void, tellPageOfFailure, (const char* code, const char* detail), {
    const page = Module["orvexPage"];
    if (page && page.failed) page.failed(UTF8ToString(code), UTF8ToString(detail));
});

// The map's name is decoded only when another map is shown.
EM_JS(void, tellPageOfView, (double latitude, double longitude, double fieldOfView, int image, const char* name), {
    const page = Module["orvexPage"];
    if (!page || !page.view) return;
    if (Module["orvexViewImage"] !== image) {
        Module["orvexViewImage"] = image;
        Module["orvexViewName"] = UTF8ToString(name);
    }
    page.view(latitude, longitude, fieldOfView, image, Module["orvexViewName"]);
});

// Standard output and standard error go to the page's console hook byte for byte, as written
// (one byte one character), instead of emscripten's line-by-line printing.
EM_JS(void, routeOutputToPage, (), {
    const page = Module["orvexPage"];
    const send = function(bytes) {
        let text = "";
        for (let k = 0; k < bytes.length; ++k) text += String.fromCharCode(bytes[k]);
        if (page && page.console) page.console(text);
    };
    for (const descriptor of [1, 2]) {
        const stream = FS.getStream(descriptor);
        if (!stream) continue;
        stream.stream_ops = Object.assign({}, stream.stream_ops, {
            write: function(s, buffer, offset, length) {
                send(buffer.subarray(offset, offset + length));
                return length;
            }
        });
    }
});

// The page's Enter button or Enter key; the run sleeps meanwhile (Asyncify).
EM_ASYNC_JS(void, waitForPageEnter, (), {
    const page = Module["orvexPage"];
    if (page && page.waitForEnter) await page.waitForEnter();
    Module["orvexResumed"] = true;
});

EM_JS(int, resumedAfterWait, (), { return Module["orvexResumed"] ? 1 : 0; });

// Sleeps for good: the run's stack is set aside and never taken up again.
EM_ASYNC_JS(void, haltForGood, (), { await new Promise(function() {}); });

EM_JS(void, tellPageEnded, (int status), {
    const page = Module["orvexPage"];
    if (page && page.ended) page.ended(status);
});

}  // namespace

// Unbuffered, so every write reaches the page at once and in order.
void open() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    routeOutputToPage();
}

// The page keeps the panel with the message after the run has ended.
void holdForReader() {}

void waitForLine() { waitForPageEnter(); }

// The page is handed a copy of the file's bytes, to offer it and keep it with the maps.
void announceWritten(const char* name) { tellPageWritten(name); }

void announceFailure(Failure failure, const char* detail) {
    if (failure != Failure::none) tellPageOfFailure(failureCode(failure), detail);
}

void announceView(double latitude, double longitude, double fieldOfView, int image, const char* imageName) {
    tellPageOfView(latitude, longitude, fieldOfView, image, imageName);
}

// GLUT's loop stops (no more frames nor events), the page is told, and the module exits. After a
// wait for Enter the run is code resumed from the page's promise, where an exit's exception would
// reach the page as an uncaught error: there the run halts instead.
void endRun(int status) {
    glutLeaveMainLoop();
    tellPageEnded(status);
    if (resumedAfterWait()) haltForGood();
    emscripten_force_exit(status);
    __builtin_unreachable();
}

}  // namespace console
