// The largest texture WebGL accepts, asked from a throwaway context of the page: the viewer's
// textures are WebGL textures in the browser.
#include <emscripten.h>

#include "glquery.hpp"

namespace picture {

namespace {

// MAX_TEXTURE_SIZE of a new WebGL context, or 0 when the page cannot make one.
EM_JS(int, webMaxTexture, (), {
    const canvas = typeof document !== 'undefined' ? document.createElement('canvas') : new OffscreenCanvas(1, 1);
    const gl = canvas.getContext('webgl');
    if (!gl) return 0;
    const size = gl.getParameter(gl.MAX_TEXTURE_SIZE);
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return size;
});

}  // namespace

void askGlMaxTexture() {}

int glMaxTexture(int, std::string& reason) {
    const int size = webMaxTexture();
    if (size <= 0) reason = "the browser offers no WebGL";
    return size;
}

void dropGlQuery() {}

}  // namespace picture
