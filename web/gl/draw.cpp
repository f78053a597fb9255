// The batch and its way to WebGL: vertices gathered in one array, drawn by a few small shaders
// chosen by the state (texturing, the texture environment, alpha textures, GL_CLAMP's border,
// a texture matrix, the alpha test's function, bitmaps), one buffer upload per flush. WebGL's
// own state, each program's uniforms and the attribute pointers are sent only when they change.
#include "draw.hpp"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "matrices.hpp"
#include "webgl.hpp"
#include "window.hpp"

namespace gl11 {

namespace {

using namespace webgl;

// ---- shaders ------------------------------------------------------------------------------------

// A program is chosen by these bits and, above them, the alpha test's function (0: no test).
enum ShaderBits {
    kTextured = 1,       // sample the bound texture
    kReplace = 2,        // GL_REPLACE or GL_DECAL rather than GL_MODULATE
    kAlphaTexture = 4,   // an ALPHA texture
    kWrapEmulated = 8,   // GL_CLAMP's border or a repeat WebGL cannot do
    kTextureMatrix = 16, // texture coordinates through a texture matrix that is not the identity
    kBitmap = 32,        // bitmap fragments: drawn where the atlas has bits
    kWideLine = 64,      // kept line segments widened here (Space::wideLines)
    kAlphaFunctionShift = 7,
};

const char kVertexSource[] = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec4 texCoord;
uniform mat4 transform;
uniform mat4 textureMatrix;
uniform vec2 viewportSize;
uniform float lineWidth;
varying vec4 fragmentColour;
varying vec4 fragmentTexCoord;
void main() {
    fragmentColour = colour;
#ifdef WIDE_LINE
    // A corner of a wide line's quad, as vertices.cpp makes it on the CPU: the segment cut at the
    // near plane, widened across its minor axis on the screen. texCoord holds the segment's other
    // end and, in w, the corner's side.
    vec4 own = transform * vec4(position.xyz, 1.0);
    vec4 other = transform * vec4(texCoord.xyz, 1.0);
    float dOwn = own.z + own.w, dOther = other.z + other.w;
    vec4 cut = own + (dOwn / (dOwn - dOther)) * (other - own);
    if (dOwn < 0.0) own = cut;
    if (dOther < 0.0) other = cut;
    vec2 d = (other.xy / other.w - own.xy / own.w) * viewportSize;
    vec2 offset = abs(d.x) >= abs(d.y) ? vec2(0.0, lineWidth / viewportSize.y) : vec2(lineWidth / viewportSize.x, 0.0);
    gl_Position = vec4(own.xy + texCoord.w * offset * own.w, own.zw);
    if ((dOwn < 0.0 && dOther < 0.0) || own.w <= 0.0 || other.w <= 0.0) gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
    fragmentTexCoord = vec4(0.0, 0.0, 0.0, 1.0);
#else
    gl_Position = transform * position;
#ifdef TEXTURE_MATRIX
    fragmentTexCoord = textureMatrix * texCoord;
#else
    fragmentTexCoord = texCoord;
#endif
#endif
}
)";

const char kFragmentSource[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
varying vec4 fragmentColour;
varying vec4 fragmentTexCoord;
uniform sampler2D sampler;
uniform vec4 border;
uniform vec2 texelCount;
uniform vec2 clampAxes;
uniform vec2 repeatAxes;
uniform float alphaReference;
void main() {
    vec4 colour = fragmentColour;
#ifdef BITMAP
    if (texture2D(sampler, fragmentTexCoord.xy).a < 0.5) discard;
#endif
#ifdef TEXTURED
    vec2 st = fragmentTexCoord.xy / fragmentTexCoord.w;
#ifdef WRAP_EMULATED
    st = mix(st, fract(st), repeatAxes);
#endif
    vec4 texel = texture2D(sampler, st);
#ifdef WRAP_EMULATED
    // GL_CLAMP with a linear filter blends the border colour into the outermost half texel.
    vec2 p = clamp(st, 0.0, 1.0) * texelCount;
    vec2 outside = (max(0.5 - p, 0.0) + max(p - (texelCount - 0.5), 0.0)) * clampAxes;
    float inside = (1.0 - outside.x) * (1.0 - outside.y);
    texel = texel * inside + border * (1.0 - inside);
#endif
#ifdef ALPHA_TEXTURE
#ifdef REPLACE
    colour.a = texel.a;
#else
    colour.a *= texel.a;
#endif
#else
#ifdef REPLACE
    colour.rgb = texel.rgb;
#else
    colour *= vec4(texel.rgb, 1.0);
#endif
#endif
#endif
#ifdef ALPHA_FUNCTION
    // Only the test's own function is compiled in: GL_NEVER 1 ... GL_GEQUAL 7 (GL_ALWAYS has none).
    float a = colour.a;
#if ALPHA_FUNCTION == 1
    discard;
#elif ALPHA_FUNCTION == 2
    if (!(a < alphaReference)) discard;
#elif ALPHA_FUNCTION == 3
    if (!(a == alphaReference)) discard;
#elif ALPHA_FUNCTION == 4
    if (!(a <= alphaReference)) discard;
#elif ALPHA_FUNCTION == 5
    if (!(a > alphaReference)) discard;
#elif ALPHA_FUNCTION == 6
    if (!(a != alphaReference)) discard;
#elif ALPHA_FUNCTION == 7
    if (!(a >= alphaReference)) discard;
#endif
#endif
    gl_FragColor = colour;
}
)";

// A shader or program that WebGL refuses: the call that needed it fails with
// GL_INVALID_OPERATION, its log goes to the browser's console and the page is told.
void reportFailure(const char* what, const char* log) {
    setError(GL_INVALID_OPERATION);
    emscripten_log(kLogError, "GL subset: %s: %s", what, log);
    orvexPageFailed("shader", log);
}

// A compiled shader, or 0 when it does not compile (reported).
GLuint compile(GLenum type, const char* defines, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* texts[2] = {defines, source};
    emscripten_glShaderSource(shader, 2, texts, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, kCompileStatus, &ok);
    if (ok) return shader;
    char log[1024] = {};
    emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    reportFailure("shader does not compile", log);
    emscripten_glDeleteShader(shader);
    return 0;
}

// The #defines of a program's key, one a line.
void definesFor(int key, char* out, size_t size) {
    const int used = std::snprintf(out, size, "%s%s%s%s%s%s%s", key & kTextured ? "#define TEXTURED\n" : "",
                                   key & kReplace ? "#define REPLACE\n" : "",
                                   key & kAlphaTexture ? "#define ALPHA_TEXTURE\n" : "",
                                   key & kWrapEmulated ? "#define WRAP_EMULATED\n" : "",
                                   key & kTextureMatrix ? "#define TEXTURE_MATRIX\n" : "",
                                   key & kBitmap ? "#define BITMAP\n" : "",
                                   key & kWideLine ? "#define WIDE_LINE\n" : "");
    const int alphaFunction = key >> kAlphaFunctionShift;
    if (alphaFunction != 0) std::snprintf(out + used, size - used, "#define ALPHA_FUNCTION %d\n", alphaFunction);
}

// The linked program of a key, or (reported) a program named 0, which nothing draws with.
GLuint linkedProgram(int key) {
    char defines[256];
    definesFor(key, defines, sizeof defines);
    const GLuint vertexShader = compile(kVertexShader, defines, kVertexSource);
    const GLuint fragmentShader = vertexShader ? compile(kFragmentShader, defines, kFragmentSource) : 0;
    if (!fragmentShader) {
        if (vertexShader) emscripten_glDeleteShader(vertexShader);
        return 0;
    }
    const GLuint name = emscripten_glCreateProgram();
    emscripten_glAttachShader(name, vertexShader);
    emscripten_glAttachShader(name, fragmentShader);
    emscripten_glBindAttribLocation(name, 0, "position");
    emscripten_glBindAttribLocation(name, 1, "colour");
    emscripten_glBindAttribLocation(name, 2, "texCoord");
    emscripten_glLinkProgram(name);
    emscripten_glDeleteShader(vertexShader);  // they go with the program
    emscripten_glDeleteShader(fragmentShader);
    GLint ok = 0;
    emscripten_glGetProgramiv(name, kLinkStatus, &ok);
    if (ok) return name;
    char log[1024] = {};
    emscripten_glGetProgramInfoLog(name, sizeof log, nullptr, log);
    reportFailure("program does not link", log);
    emscripten_glDeleteProgram(name);
    return 0;
}

void link(Program& p, int key) {
    p.key = key;
    p.name = linkedProgram(key);
    if (p.name == 0) return;
    p.transform = emscripten_glGetUniformLocation(p.name, "transform");
    p.textureMatrix = emscripten_glGetUniformLocation(p.name, "textureMatrix");
    p.sampler = emscripten_glGetUniformLocation(p.name, "sampler");
    p.border = emscripten_glGetUniformLocation(p.name, "border");
    p.texelCount = emscripten_glGetUniformLocation(p.name, "texelCount");
    p.clampAxes = emscripten_glGetUniformLocation(p.name, "clampAxes");
    p.repeatAxes = emscripten_glGetUniformLocation(p.name, "repeatAxes");
    p.alphaReference = emscripten_glGetUniformLocation(p.name, "alphaReference");
    p.viewportSize = emscripten_glGetUniformLocation(p.name, "viewportSize");
    p.lineWidth = emscripten_glGetUniformLocation(p.name, "lineWidth");
    // Every sent value starts as NaN, which no value equals, so each uniform is sent on first use.
    GLfloat* sent[] = {p.sentTransform, p.sentTextureMatrix, p.sentBorder, p.sentTexelCount, p.sentClampAxes,
                       p.sentRepeatAxes, p.sentAlphaReference, p.sentViewportSize, p.sentLineWidth};
    const int sizes[] = {16, 16, 4, 2, 2, 2, 1, 2, 1};
    for (int k = 0; k < 9; ++k) {
        for (int i = 0; i < sizes[k]; ++i) sent[k][i] = NAN;
    }
    // The sampler always reads texture unit 0.
    emscripten_glUseProgram(p.name);
    context.webgl.program = p.name;
    emscripten_glUniform1i(p.sampler, 0);
}

// The program of a key: found, linked into a free slot, or linked in place of the one used least
// recently (a frame uses a handful, so those stay).
Program& program(int key) {
    ProgramCache& cache = context.programs;
    ++cache.clock;
    Program* slot = nullptr;
    for (int k = 0; k < cache.count; ++k) {
        Program& p = cache.programs[k];
        if (p.key == key) {
            p.lastUsed = cache.clock;
            return p;
        }
        if (!slot || p.lastUsed < slot->lastUsed) slot = &p;
    }
    if (cache.count < kMaxPrograms) {
        slot = &cache.programs[cache.count++];
    } else if (slot->name != 0) {
        emscripten_glDeleteProgram(slot->name);
        if (context.webgl.program == slot->name) context.webgl.program = 0;
    }
    *slot = Program{};
    link(*slot, key);
    slot->lastUsed = cache.clock;
    return *slot;
}

// Sends a uniform's values when they differ from those last sent to this program.
bool changed(GLfloat* sent, const GLfloat* values, int count) {
    if (std::memcmp(sent, values, sizeof(GLfloat) * count) == 0) return false;
    std::memcpy(sent, values, sizeof(GLfloat) * count);
    return true;
}

void sendMatrix(GLint location, GLfloat* sent, const GLfloat* values) {
    if (location >= 0 && changed(sent, values, 16)) emscripten_glUniformMatrix4fv(location, 1, GL_FALSE, values);
}

void sendVector(GLint location, GLfloat* sent, const GLfloat* values, int count) {
    if (location < 0 || !changed(sent, values, count)) return;
    switch (count) {
        case 1: emscripten_glUniform1f(location, values[0]); break;
        case 2: emscripten_glUniform2f(location, values[0], values[1]); break;
        default: emscripten_glUniform4fv(location, 1, values); break;
    }
}

// ---- WebGL state --------------------------------------------------------------------------------

void sendCapability(GLenum capability, bool on, bool& sent) {
    if (context.webgl.known && sent == on) return;
    sent = on;
    if (on) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

void sendViewport(const GLint v[4]) {
    if (context.webgl.known && std::memcmp(context.webgl.viewport, v, sizeof context.webgl.viewport) == 0) return;
    std::memcpy(context.webgl.viewport, v, sizeof context.webgl.viewport);
    emscripten_glViewport(v[0], v[1], v[2], v[3]);
}

void sendScissor() {
    const AttributeState& state = context.attributes;
    sendCapability(GL_SCISSOR_TEST, state.scissorTest, context.webgl.scissorTest);
    if (state.scissorTest &&
        (!context.webgl.known || std::memcmp(context.webgl.scissor, state.scissorBox, sizeof state.scissorBox) != 0)) {
        std::memcpy(context.webgl.scissor, state.scissorBox, sizeof state.scissorBox);
        emscripten_glScissor(state.scissorBox[0], state.scissorBox[1], state.scissorBox[2], state.scissorBox[3]);
    }
}

void bindWebglTexture(GLuint name) {
    if (context.webgl.known && context.webgl.texture == name) return;
    context.webgl.texture = name;
    emscripten_glBindTexture(GL_TEXTURE_2D, name);
}

void bindArrayBuffer(GLuint name) {
    if (context.webgl.boundBuffer == name) return;
    context.webgl.boundBuffer = name;
    emscripten_glBindBuffer(kArrayBuffer, name);
}

// The texture a draw samples: the bound one when texturing is on and it is complete.
const TextureObject* sampledTexture() {
    if (!context.attributes.texture2D) return nullptr;
    const TextureObject* texture = &boundTextureObject();
    const bool complete = texture->webglName != 0 && texture->width > 0 &&
                          (texture->minFilter == GL_NEAREST || texture->minFilter == GL_LINEAR);
    return complete ? texture : nullptr;
}

// Everything a draw in `space` needs but its vertices: WebGL's state, the program and its
// uniforms, from the current GL state. Batched vertices went through the matrices as they were
// assembled; kept geometry goes through them here. False when the state's program failed: then
// nothing is drawn.
bool prepareDraw(Space space) {
    const AttributeState& state = context.attributes;
    sendCapability(GL_DEPTH_TEST, state.depthTest, context.webgl.depthTest);
    sendCapability(GL_CULL_FACE, state.cullFace, context.webgl.cullFace);
    if (!context.webgl.known || context.webgl.frontFace != state.frontFace) {
        context.webgl.frontFace = state.frontFace;
        emscripten_glFrontFace(state.frontFace);
    }
    sendScissor();

    // Bitmaps are clipped to the window only, everything else to the viewport.
    int key = 0;
    const TextureObject* texture = nullptr;
    if (space == Space::window) {
        const GLint whole[4] = {0, 0, context.drawingWidth, context.drawingHeight};
        sendViewport(whole);
        key |= kBitmap;
        bindWebglTexture(context.atlas.texture);
    } else if (space == Space::wideLines) {
        sendViewport(state.viewport);
        key |= kWideLine;
    } else {
        sendViewport(state.viewport);
        texture = sampledTexture();
    }
    GLfloat clampAxes[2] = {0, 0}, repeatAxes[2] = {0, 0};
    if (texture) {
        key |= kTextured;
        if (state.textureEnvMode != GL_MODULATE) key |= kReplace;
        if (texture->alphaOnly) key |= kAlphaTexture;
        if (space == Space::object && !textureMatrixIsIdentity()) key |= kTextureMatrix;
        const bool powerOfTwo = isPowerOfTwo(texture->width) && isPowerOfTwo(texture->height);
        const bool linear = texture->magFilter == GL_LINEAR || texture->minFilter == GL_LINEAR;
        clampAxes[0] = texture->wrapS == GL_CLAMP && linear ? 1.0f : 0.0f;
        clampAxes[1] = texture->wrapT == GL_CLAMP && linear ? 1.0f : 0.0f;
        repeatAxes[0] = texture->wrapS == GL_REPEAT && !powerOfTwo ? 1.0f : 0.0f;
        repeatAxes[1] = texture->wrapT == GL_REPEAT && !powerOfTwo ? 1.0f : 0.0f;
        if (clampAxes[0] + clampAxes[1] + repeatAxes[0] + repeatAxes[1] > 0) key |= kWrapEmulated;
        bindWebglTexture(texture->webglName);
    }
    if (state.alphaTest && state.alphaFunction != GL_ALWAYS) {
        key |= static_cast<int>(state.alphaFunction - GL_NEVER + 1) << kAlphaFunctionShift;
    }

    Program& p = program(key);
    if (p.name == 0) return false;
    if (context.webgl.program != p.name) {
        context.webgl.program = p.name;
        emscripten_glUseProgram(p.name);
    }
    if (space == Space::object || space == Space::wideLines) {
        GLfloat toClip[16];
        modelViewProjection(toClip);
        sendMatrix(p.transform, p.sentTransform, toClip);
    } else {
        sendMatrix(p.transform, p.sentTransform, kIdentity.m);
    }
    if (key & kTextureMatrix) sendMatrix(p.textureMatrix, p.sentTextureMatrix, topOf(context.texture));
    if (key & kWrapEmulated) {
        const GLfloat texelCount[2] = {static_cast<GLfloat>(texture->width), static_cast<GLfloat>(texture->height)};
        sendVector(p.border, p.sentBorder, texture->border, 4);
        sendVector(p.texelCount, p.sentTexelCount, texelCount, 2);
        sendVector(p.clampAxes, p.sentClampAxes, clampAxes, 2);
        sendVector(p.repeatAxes, p.sentRepeatAxes, repeatAxes, 2);
    }
    if (key >> kAlphaFunctionShift) sendVector(p.alphaReference, p.sentAlphaReference, &state.alphaReference, 1);
    if (key & kWideLine) {
        const GLfloat size[2] = {static_cast<GLfloat>(state.viewport[2] > 0 ? state.viewport[2] : 1),
                                 static_cast<GLfloat>(state.viewport[3] > 0 ? state.viewport[3] : 1)};
        sendVector(p.viewportSize, p.sentViewportSize, size, 2);
        sendVector(p.lineWidth, p.sentLineWidth, &state.lineWidth, 1);
    }
    context.webgl.known = true;
    return true;
}

void enableArray(GLuint index, bool on, bool& sent) {
    if (sent == on) return;
    sent = on;
    if (on) {
        emscripten_glEnableVertexAttribArray(index);
    } else {
        emscripten_glDisableVertexAttribArray(index);
    }
}

// Points the attributes into `buffer`; colours and texture coordinates not taken from it are the
// current colour (as the batch's bytes would carry it) and texture coordinates.
void pointAttributes(GLuint buffer, bool colours, bool texCoords) {
    if (context.webgl.streamBuffer == 0) {
        emscripten_glGenBuffers(1, &context.webgl.streamBuffer);
        emscripten_glEnableVertexAttribArray(0);
        emscripten_glEnableVertexAttribArray(1);
        emscripten_glEnableVertexAttribArray(2);
    }
    if (buffer == 0) buffer = context.webgl.streamBuffer;
    bindArrayBuffer(buffer);
    if (context.webgl.pointersInto != buffer) {
        context.webgl.pointersInto = buffer;
        emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, position)));
        emscripten_glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, colour)));
        emscripten_glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, texCoord)));
    }
    enableArray(1, colours, context.webgl.colourArray);
    enableArray(2, texCoords, context.webgl.texCoordArray);
    if (!colours) {
        GLfloat colour[4];
        for (int k = 0; k < 4; ++k) colour[k] = colourByte(context.attributes.colour[k]) / 255.0f;
        if (changed(context.webgl.constantColour, colour, 4)) emscripten_glVertexAttrib4fv(1, colour);
    }
    if (!texCoords && changed(context.webgl.constantTexCoord, context.attributes.texCoord, 4)) {
        emscripten_glVertexAttrib4fv(2, context.attributes.texCoord);
    }
}

void drawArrays(const Draw* draws, int count) {
    for (int k = 0; k < count; ++k) emscripten_glDrawArrays(draws[k].mode, draws[k].first, draws[k].count);
}

}  // namespace

void bindForUpload(GLuint webglName) { bindWebglTexture(webglName); }

Vertex* batchVertices(Space space, GLenum mode, int count) {
    VertexBatch& batch = context.keeping ? *context.keeping : context.batch;
    if (!context.keeping) {
        if (!batch.vertices.empty() && context.batchSpace != space) flush();
        context.batchSpace = space;
    }
    const int first = static_cast<int>(batch.vertices.size());
    batch.vertices.resize(first + count);
    if (!batch.draws.empty() && batch.draws.back().mode == mode &&
        batch.draws.back().first + batch.draws.back().count == first) {
        batch.draws.back().count += count;
    } else {
        batch.draws.push_back({mode, first, count});
    }
    return &batch.vertices[first];
}

void flush() {
    VertexBatch& batch = context.batch;
    if (batch.vertices.empty()) return;
    if (prepareDraw(context.batchSpace)) {
        pointAttributes(0, true, true);
        emscripten_glBufferData(kArrayBuffer, static_cast<long>(batch.vertices.size() * sizeof(Vertex)),
                                batch.vertices.data(), kStreamDraw);
        drawArrays(batch.draws.data(), static_cast<int>(batch.draws.size()));
    }
    batch.vertices.clear();
    batch.draws.clear();
}

void drawBuffer(GLuint buffer, Space space, const Draw* draws, int drawCount, bool colours, bool texCoords) {
    flush();
    if (!prepareDraw(space)) return;
    pointAttributes(buffer, colours, texCoords);
    drawArrays(draws, drawCount);
}

void uploadBuffer(GLuint& buffer, const std::vector<Vertex>& vertices) {
    if (buffer == 0) emscripten_glGenBuffers(1, &buffer);
    bindArrayBuffer(buffer);
    emscripten_glBufferData(kArrayBuffer, static_cast<long>(vertices.size() * sizeof(Vertex)), vertices.data(),
                            kStaticDraw);
}

void clearBuffers(GLbitfield mask) {
    flush();
    sendScissor();
    const GLfloat* c = context.attributes.clearColour;
    if (!context.webgl.known || std::memcmp(context.webgl.clearColour, c, sizeof context.webgl.clearColour) != 0) {
        std::memcpy(context.webgl.clearColour, c, sizeof context.webgl.clearColour);
        emscripten_glClearColor(c[0], c[1], c[2], c[3]);
    }
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void setDrawingSize(int width, int height) {
    flush();
    context.drawingWidth = width;
    context.drawingHeight = height;
}

}  // namespace gl11
