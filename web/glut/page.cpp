// GLUT's glue to the page: the JavaScript the other rooms call (state.hpp declares it), and the
// entry points the page calls. The page reaches the module through the hooks `Module["orvexPage"]`
// (web/page/run.js hands each run its own) and the exported `web*` functions below.
#include <emscripten/emscripten.h>

#include "state.hpp"

using glut::state;

// ---- JavaScript the rooms call --------------------------------------------------------------------

EM_JS(void, pointCanvasTarget, (), { specialHTMLTargets["!canvas"] = Module["canvas"]; });

// A frame drawn; one of the main loop tells the page that the run has started.
EM_JS(void, countFrame, (int inLoop), {
    const page = Module["orvexPage"];
    if (page) page.framesDrawn = (page.framesDrawn | 0) + 1;
    if (page && inLoop && page.loopFrame) page.loopFrame();
});

// The main thread's time in one pass of the loop, for the page's own measurements.
EM_JS(void, reportPassTime, (double milliseconds), {
    const page = Module["orvexPage"];
    if (page && page.passTimed) page.passTimed(milliseconds);
});

EM_JS(int, screenSize, (int height), {
    return height ? (screen.height | 0) : (screen.width | 0);
});

EM_JS(int, focusInFormField, (), {
    const e = document.activeElement;
    return e && (e.isContentEditable || /^(INPUT|TEXTAREA|SELECT|BUTTON)$/.test(e.tagName)) ? 1 : 0;
});

EM_JS(void, openPageMenu, (const char* labels, const int* values, int count, int x, int y), {
    const page = Module["orvexPage"];
    if (!page || !page.openMenu) return;
    const entries = [];
    let at = labels;
    for (let k = 0; k < count; ++k) {
        const label = UTF8ToString(at);
        entries.push({label: label, value: HEAP32[(values >> 2) + k]});
        at += lengthBytesUTF8(label) + 1;
    }
    page.openMenu(entries, x, y);
});

// The mouse over the page and touch on the canvas go to webMouse and webTouch, at the canvas pixel
// under them; no touch on the canvas reaches the page's own panning and zooming.
EM_JS(void, listenToPointer, (), {
    const canvas = Module["canvas"];
    const listening = Module["orvexPointerListening"] = new AbortController();
    const pixel = function(clientX, clientY) {
        const box = canvas.getBoundingClientRect();
        return [Math.floor((clientX - box.left) * (box.width > 0 ? canvas.width / box.width : 1)),
                Math.floor((clientY - box.top) * (box.height > 0 ? canvas.height / box.height : 1))];
    };
    const mouse = function(kind) {
        return function(e) {
            const at = pixel(e.clientX, e.clientY);
            if (Module["_webMouse"](kind, e.button, at[0], at[1])) e.preventDefault();
        };
    };
    canvas.addEventListener("mousedown", mouse(0), {signal: listening.signal});
    document.addEventListener("mouseup", mouse(1), {signal: listening.signal});
    document.addEventListener("mousemove", mouse(2), {signal: listening.signal});
    const touch = function(e) {
        const kind = e.type === "touchstart" ? 0 : e.type === "touchmove" ? 1 : 2;
        const finger = kind === 2 ? e.changedTouches[0] : e.touches[0];
        const first = e.touches[0], second = e.touches[1];
        const distance = second ? Math.hypot(second.clientX - first.clientX, second.clientY - first.clientY) : 0;
        if (finger) {
            const at = pixel(finger.clientX, finger.clientY);
            Module["_webTouch"](kind, e.touches.length, at[0], at[1], finger.clientX, finger.clientY, distance);
        }
        e.preventDefault();
    };
    for (const type of ["touchstart", "touchmove", "touchend", "touchcancel"]) {
        canvas.addEventListener(type, touch, {passive: false, signal: listening.signal});
    }
});

EM_JS(void, unlistenToPointer, (), {
    const listening = Module["orvexPointerListening"];
    if (listening) listening.abort();
    delete Module["orvexPointerListening"];
});

// A failure the page explains in its own words, by its code.
EM_JS(void, tellPageFailed, (const char* code, const char* detail), {
    const page = Module["orvexPage"];
    if (page && page.failed) page.failed(UTF8ToString(code), UTF8ToString(detail));
});

EM_JS(void, tellPageStopped, (int status), {
    const page = Module["orvexPage"];
    if (page && page.ended) page.ended(status);
});

// Sleeps for good: the run's stack is set aside and never taken up again.
EM_ASYNC_JS(void, haltRun, (), { await new Promise(function() {}); });

// ---- what the page calls ----------------------------------------------------------------------------

extern "C" {

// The run is over, or the page starts a new one on the same canvas: this one draws no more
// frames and takes no more events.
EMSCRIPTEN_KEEPALIVE void webStopRun(void) { glutLeaveMainLoop(); }

// A key of the page's key bar: queued at the pointer as the keyboard's keys are, so the same
// steps and limits apply.
EMSCRIPTEN_KEEPALIVE void webKey(int code, int special) {
    if (state.looping) glut::queuePaced(special ? glut::EventKind::specialKey : glut::EventKind::key, code);
}

// The page's menu has closed: `value` the entry chosen (0: none). Handled in the next pass of the
// loop, like every event, at the pointer.
EMSCRIPTEN_KEEPALIVE void webMenuClosed(int value) {
    glut::queue({glut::EventKind::menuClosed, value < 0 ? 0 : value, 0, state.pointerX, state.pointerY});
}

EMSCRIPTEN_KEEPALIVE int webMouse(int kind, int button, int x, int y) {
    return glut::mouseEvent(kind, button, x, y) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void webTouch(int kind, int fingers, int x, int y, double clientX, double clientY,
                                   double distance) {
    glut::touchEvent(kind, fingers, x, y, clientX, clientY, distance);
}

// The pointer's canvas pixel, as GLUT holds it.
EMSCRIPTEN_KEEPALIVE int webPointerX(void) { return state.pointerX; }
EMSCRIPTEN_KEEPALIVE int webPointerY(void) { return state.pointerY; }

}  // extern "C"
