// The way to WebGL: the batch of assembled vertices, drawn in one buffer upload when something
// that changes how it would be drawn is about to change, and at the frame's swap; kept buffers
// drawn with the current state; clears. Every WebGL state change and uniform goes through here.
#pragma once
#include <GL/gl.h>

#include <vector>

#include "context.hpp"

namespace gl11 {

// Draws the pending batch, if any.
void flush();
// Called before a state change that alters how pending vertices would be drawn.
inline void beforeChange() {
    if (!context.batch.vertices.empty()) flush();
}

// Reserves room for `count` vertices of `mode` in `space` and returns where to write them:
// in the batch, or in the geometry being kept (`context.keeping`).
Vertex* batchVertices(Space space, GLenum mode, int count);

// glClear's work: the pending batch first, then the clear within the scissor box.
void clearBuffers(GLbitfield mask);
// Binds a texture in WebGL for an upload (WebGL's binding is shadowed here).
void bindForUpload(GLuint webglName);

// Draws vertices already in a WebGL buffer (kept geometry: Space::object or Space::wideLines)
// with the current state and matrices, after the batch. `colours`/`texCoords`: whether the
// buffer's own are used, else the current ones.
void drawBuffer(GLuint buffer, Space space, const Draw* draws, int drawCount, bool colours, bool texCoords);
// Fills a WebGL buffer (made when `buffer` is 0) with vertices drawn many times.
void uploadBuffer(GLuint& buffer, const std::vector<Vertex>& vertices);

}  // namespace gl11
