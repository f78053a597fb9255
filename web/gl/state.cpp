// Capabilities, the fixed-function settings, attribute push/pop, errors and the queries.
#include <cmath>
#include <cstring>

#include "context.hpp"
#include "draw.hpp"
#include "matrices.hpp"
#include "webgl.hpp"

namespace gl11 {

namespace {

bool* capability(GLenum name) {
    AttributeState& a = context.attributes;
    switch (name) {
        case GL_DEPTH_TEST: return &a.depthTest;
        case GL_CULL_FACE: return &a.cullFace;
        case GL_SCISSOR_TEST: return &a.scissorTest;
        case GL_ALPHA_TEST: return &a.alphaTest;
        case GL_TEXTURE_2D: return &a.texture2D;
        default: return nullptr;
    }
}

void setEnabled(GLenum name, bool on) {
    bool* flag = capability(name);
    if (!flag) return setError(GL_INVALID_ENUM);
    if (*flag == on) return;
    beforeChange();
    *flag = on;
}

// The kinds of query results, for the conversions between the query types.
enum class Kind { integer, boolean, real, colour };

// A query's values (up to 16) and their count; 0 for a name this subset does not know.
int query(GLenum name, GLdouble out[16], Kind& kind) {
    const AttributeState& a = context.attributes;
    kind = Kind::integer;
    auto copyFloats = [&](const GLfloat* values, int count, Kind k) {
        for (int i = 0; i < count; ++i) out[i] = values[i];
        kind = k;
        return count;
    };
    auto copyInts = [&](const GLint* values, int count) {
        for (int i = 0; i < count; ++i) out[i] = values[i];
        return count;
    };
    auto one = [&](GLdouble value, Kind k) {
        out[0] = value;
        kind = k;
        return 1;
    };
    switch (name) {
        case GL_MODELVIEW_MATRIX:
            return copyFloats(topOf(context.modelView), 16, Kind::real);
        case GL_PROJECTION_MATRIX:
            return copyFloats(topOf(context.projection), 16, Kind::real);
        case GL_TEXTURE_MATRIX:
            return copyFloats(topOf(context.texture), 16, Kind::real);
        case GL_MODELVIEW_STACK_DEPTH: return one(context.modelView.top + 1, Kind::integer);
        case GL_PROJECTION_STACK_DEPTH: return one(context.projection.top + 1, Kind::integer);
        case GL_TEXTURE_STACK_DEPTH: return one(context.texture.top + 1, Kind::integer);
        case GL_VIEWPORT: return copyInts(a.viewport, 4);
        case GL_SCISSOR_BOX: return copyInts(a.scissorBox, 4);
        case GL_CURRENT_COLOR: return copyFloats(a.colour, 4, Kind::colour);
        case GL_CURRENT_TEXTURE_COORDS: return copyFloats(a.texCoord, 4, Kind::real);
        case GL_CURRENT_RASTER_POSITION: return copyFloats(a.rasterPosition, 4, Kind::real);
        case GL_CURRENT_RASTER_COLOR: return copyFloats(a.rasterColour, 4, Kind::colour);
        case GL_CURRENT_RASTER_POSITION_VALID: return one(a.rasterValid ? 1 : 0, Kind::boolean);
        case GL_COLOR_CLEAR_VALUE: return copyFloats(a.clearColour, 4, Kind::colour);
        case GL_TEXTURE_BINDING_2D: return one(a.boundTexture, Kind::integer);
        case GL_SHADE_MODEL: return one(a.shadeModel, Kind::integer);
        case GL_ALPHA_TEST_FUNC: return one(a.alphaFunction, Kind::integer);
        case GL_ALPHA_TEST_REF: return one(a.alphaReference, Kind::colour);
        case GL_MATRIX_MODE: return one(a.matrixMode, Kind::integer);
        case GL_LINE_WIDTH: return one(a.lineWidth, Kind::real);
        case GL_FRONT_FACE: return one(a.frontFace, Kind::integer);
        case GL_POLYGON_MODE:
            out[0] = a.polygonFront;
            out[1] = a.polygonBack;
            return 2;
        case GL_READ_BUFFER: return one(a.readBuffer, Kind::integer);
        case GL_PACK_ALIGNMENT: return one(context.packAlignment, Kind::integer);
        case GL_UNPACK_ALIGNMENT: return one(context.unpackAlignment, Kind::integer);
        case GL_MAX_TEXTURE_SIZE: {
            GLint size = 0;
            emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
            return one(size, Kind::integer);
        }
        default: {
            bool* flag = capability(name);
            if (flag) return one(*flag ? 1 : 0, Kind::boolean);
            return 0;
        }
    }
}

}  // namespace

}  // namespace gl11

using namespace gl11;

extern "C" {

void glEnable(GLenum name) {
    if (!recordedOnly(Op::enable, {wordOf(name)})) setEnabled(name, true);
}

void glDisable(GLenum name) {
    if (!recordedOnly(Op::disable, {wordOf(name)})) setEnabled(name, false);
}

GLboolean glIsEnabled(GLenum name) {
    bool* flag = capability(name);
    if (!flag) {
        setError(GL_INVALID_ENUM);
        return GL_FALSE;
    }
    return *flag ? GL_TRUE : GL_FALSE;
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    if (recordedOnly(Op::clearColour, {wordOf(red), wordOf(green), wordOf(blue), wordOf(alpha)})) return;
    GLfloat* c = context.attributes.clearColour;
    c[0] = clampUnit(red);
    c[1] = clampUnit(green);
    c[2] = clampUnit(blue);
    c[3] = clampUnit(alpha);
}

void glClear(GLbitfield mask) {
    if (recordedOnly(Op::clear, {wordOf(mask)})) return;
    if (mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | 0x00000400 | 0x00000200)) {
        return setError(GL_INVALID_VALUE);
    }
    if (context.inside) return setError(GL_INVALID_OPERATION);
    clearBuffers(mask);
}

void glAlphaFunc(GLenum function, GLclampf reference) {
    if (recordedOnly(Op::alphaFunction, {wordOf(function), wordOf(reference)})) return;
    if (function < GL_NEVER || function > GL_ALWAYS) return setError(GL_INVALID_ENUM);
    beforeChange();
    context.attributes.alphaFunction = function;
    context.attributes.alphaReference = clampUnit(reference);
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (recordedOnly(Op::scissor, {wordOf(x), wordOf(y), wordOf(width), wordOf(height)})) return;
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    beforeChange();
    const GLint box[4] = {x, y, width, height};
    std::memcpy(context.attributes.scissorBox, box, sizeof box);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (recordedOnly(Op::viewport, {wordOf(x), wordOf(y), wordOf(width), wordOf(height)})) return;
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    beforeChange();
    const GLint box[4] = {x, y, width, height};
    std::memcpy(context.attributes.viewport, box, sizeof box);
}

void glShadeModel(GLenum mode) {
    if (recordedOnly(Op::shadeModel, {wordOf(mode)})) return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) return setError(GL_INVALID_ENUM);
    context.attributes.shadeModel = mode;  // applied as vertices are assembled: no flush needed
}

void glLineWidth(GLfloat width) {
    if (recordedOnly(Op::lineWidth, {wordOf(width)})) return;
    if (width <= 0.0f) return setError(GL_INVALID_VALUE);
    context.attributes.lineWidth = width;  // applied as lines are assembled
}

void glPolygonMode(GLenum face, GLenum mode) {
    if (recordedOnly(Op::polygonMode, {wordOf(face), wordOf(mode)})) return;
    if (mode != GL_POINT && mode != GL_LINE && mode != GL_FILL) return setError(GL_INVALID_ENUM);
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) context.attributes.polygonFront = mode;
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) context.attributes.polygonBack = mode;
    if (face != GL_FRONT && face != GL_BACK && face != GL_FRONT_AND_BACK) setError(GL_INVALID_ENUM);
}

void glFrontFace(GLenum mode) {
    if (recordedOnly(Op::frontFace, {wordOf(mode)})) return;
    if (mode != GL_CW && mode != GL_CCW) return setError(GL_INVALID_ENUM);
    beforeChange();
    context.attributes.frontFace = mode;
}

// Saves the whole attribute state with the mask; glPopAttrib puts back the masked groups.
void glPushAttrib(GLbitfield mask) {
    if (recordedOnly(Op::pushAttributes, {wordOf(mask)})) return;
    if (context.savedCount >= kAttributeDepth) return setError(GL_STACK_OVERFLOW);
    context.saved[context.savedCount] = context.attributes;
    context.savedMasks[context.savedCount] = mask;
    ++context.savedCount;
}

void glPopAttrib(void) {
    if (recordedOnly(Op::popAttributes)) return;
    if (context.savedCount == 0) return setError(GL_STACK_UNDERFLOW);
    beforeChange();
    --context.savedCount;
    const AttributeState& s = context.saved[context.savedCount];
    const GLbitfield mask = context.savedMasks[context.savedCount];
    AttributeState& a = context.attributes;
    if (mask & GL_ENABLE_BIT) {
        a.depthTest = s.depthTest;
        a.cullFace = s.cullFace;
        a.scissorTest = s.scissorTest;
        a.alphaTest = s.alphaTest;
        a.texture2D = s.texture2D;
    }
    if (mask & GL_SCISSOR_BIT) {
        a.scissorTest = s.scissorTest;
        std::memcpy(a.scissorBox, s.scissorBox, sizeof a.scissorBox);
    }
    if (mask & GL_VIEWPORT_BIT) std::memcpy(a.viewport, s.viewport, sizeof a.viewport);
    if (mask & GL_COLOR_BUFFER_BIT) {
        std::memcpy(a.clearColour, s.clearColour, sizeof a.clearColour);
        a.alphaTest = s.alphaTest;
        a.alphaFunction = s.alphaFunction;
        a.alphaReference = s.alphaReference;
    }
    if (mask & GL_DEPTH_BUFFER_BIT) a.depthTest = s.depthTest;
    if (mask & GL_PIXEL_MODE_BIT) a.readBuffer = s.readBuffer;
    if (mask & GL_LIGHTING_BIT) a.shadeModel = s.shadeModel;
    if (mask & GL_LINE_BIT) a.lineWidth = s.lineWidth;
    if (mask & GL_POLYGON_BIT) {
        a.polygonFront = s.polygonFront;
        a.polygonBack = s.polygonBack;
        a.frontFace = s.frontFace;
        a.cullFace = s.cullFace;
    }
    if (mask & GL_TEXTURE_BIT) {
        a.boundTexture = s.boundTexture;
        a.textureEnvMode = s.textureEnvMode;
    }
    if (mask & GL_TRANSFORM_BIT) setMatrixMode(s.matrixMode);
    if (mask & GL_CURRENT_BIT) {
        std::memcpy(a.colour, s.colour, sizeof a.colour);
        std::memcpy(a.texCoord, s.texCoord, sizeof a.texCoord);
        std::memcpy(a.normal, s.normal, sizeof a.normal);
        std::memcpy(a.rasterPosition, s.rasterPosition, sizeof a.rasterPosition);
        std::memcpy(a.rasterColour, s.rasterColour, sizeof a.rasterColour);
        a.rasterValid = s.rasterValid;
    }
}

// The recorded error first; WebGL is asked only after a texture was made, the one thing of ours
// it can refuse (memory for a large texture), since each question waits for the GPU process to
// finish all the work sent so far. The arguments of sub-image uploads are checked here.
GLenum glGetError(void) {
    GLenum error = context.error;
    context.error = GL_NO_ERROR;
    if (context.checkWebglErrors) {
        context.checkWebglErrors = false;
        const GLenum webglError = emscripten_glGetError();
        if (error == GL_NO_ERROR) error = webglError;
    }
    return error;
}

void glGetDoublev(GLenum name, GLdouble* values) {
    GLdouble out[16];
    Kind kind;
    const int count = query(name, out, kind);
    if (count == 0) return setError(GL_INVALID_ENUM);
    for (int k = 0; k < count; ++k) values[k] = out[k];
}

void glGetFloatv(GLenum name, GLfloat* values) {
    GLdouble out[16];
    Kind kind;
    const int count = query(name, out, kind);
    if (count == 0) return setError(GL_INVALID_ENUM);
    for (int k = 0; k < count; ++k) values[k] = static_cast<GLfloat>(out[k]);
}

void glGetIntegerv(GLenum name, GLint* values) {
    GLdouble out[16];
    Kind kind;
    const int count = query(name, out, kind);
    if (count == 0) return setError(GL_INVALID_ENUM);
    for (int k = 0; k < count; ++k) {
        // Colours map 0..1 onto the whole integer range; other values round to the nearest.
        values[k] = kind == Kind::colour ? static_cast<GLint>(std::lround(out[k] * 2147483647.0))
                                         : static_cast<GLint>(std::lround(out[k]));
    }
}

void glGetBooleanv(GLenum name, GLboolean* values) {
    GLdouble out[16];
    Kind kind;
    const int count = query(name, out, kind);
    if (count == 0) return setError(GL_INVALID_ENUM);
    for (int k = 0; k < count; ++k) values[k] = out[k] != 0.0 ? GL_TRUE : GL_FALSE;
}

// Nothing is sent to WebGL before the frame's swap; a flush only draws what is batched.
void glFlush(void) { flush(); }

void glPixelStorei(GLenum name, GLint value) {
    switch (name) {
        case GL_PACK_ALIGNMENT:
        case GL_UNPACK_ALIGNMENT:
            if (value != 1 && value != 2 && value != 4 && value != 8) return setError(GL_INVALID_VALUE);
            (name == GL_PACK_ALIGNMENT ? context.packAlignment : context.unpackAlignment) = value;
            break;
        case GL_UNPACK_SWAP_BYTES:
        case GL_UNPACK_LSB_FIRST:
        case GL_UNPACK_ROW_LENGTH:
        case GL_UNPACK_SKIP_ROWS:
        case GL_UNPACK_SKIP_PIXELS:
            if (value != 0) setError(GL_INVALID_VALUE);  // only GL's defaults are supported
            break;
        default: setError(GL_INVALID_ENUM);
    }
}

}  // extern "C"
