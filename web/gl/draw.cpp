// The batch and its way to WebGL: vertices gathered in one array, drawn by a few small shaders
// chosen by the state (texturing, the texture environment, alpha textures, GL_CLAMP's border,
// a texture matrix, the alpha test's function, bitmaps), one buffer upload per flush. WebGL's
// own state, each program's uniforms and the attribute pointers are sent only when they change.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "context.hpp"
#include "webgl.hpp"

namespace webgl {

Context context;

namespace {

VertexBatch frameBatch;

// What WebGL was last told, so that only changes are sent.
struct WebglState {
    bool known = false;                  // false until the first draw: then everything is sent
    bool depthTest = false, cullFace = false, scissorTest = false;
    GLenum frontFace = GL_CCW;
    GLint scissor[4] = {-1, -1, -1, -1};
    GLint viewport[4] = {-1, -1, -1, -1};
    GLfloat clearColour[4] = {-1, -1, -1, -1};
    GLuint texture = 0;
    GLuint program = 0;
    GLuint boundBuffer = 0;              // the array buffer binding
    GLuint streamBuffer = 0;             // the batch's buffer, refilled at each flush
    GLuint pointersInto = 0;             // the buffer the attribute pointers point into
    bool colourArray = true, texCoordArray = true;  // attribute arrays 1 and 2 enabled
    GLfloat constantColour[4] = {-1, -1, -1, -1};   // their values while disabled
    GLfloat constantTexCoord[4] = {-1, -1, -1, -1};
};
WebglState webglState;

constexpr GLfloat kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// ---- shaders ------------------------------------------------------------------------------------

// A program is chosen by these bits and, above them, the alpha test's function (0: no test).
enum ShaderBits {
    kTextured = 1,       // sample the bound texture
    kReplace = 2,        // GL_REPLACE or GL_DECAL rather than GL_MODULATE
    kAlphaTexture = 4,   // an ALPHA texture
    kWrapEmulated = 8,   // GL_CLAMP's border or a repeat WebGL cannot do
    kTextureMatrix = 16, // texture coordinates through a texture matrix that is not the identity
    kBitmap = 32,        // bitmap fragments: drawn where the atlas has bits
    kAlphaFunctionShift = 6,
};
constexpr int kMaxPrograms = 48;

// A linked program, its uniforms' locations and the values they were last given (NaN: never).
struct Program {
    int key = -1;
    GLuint name = 0;
    GLint transform = -1, textureMatrix = -1, sampler = -1, border = -1, texelCount = -1,
          clampAxes = -1, repeatAxes = -1, alphaReference = -1;
    GLfloat sentTransform[16], sentTextureMatrix[16], sentBorder[4], sentTexelCount[2], sentClampAxes[2],
        sentRepeatAxes[2], sentAlphaReference[1];
};
Program programs[kMaxPrograms];
int programCount = 0;

// Both shaders interpolate only what the fragment uses: s, t and q (r has no use without 3D
// textures), and where a texel's colour replaces the fragment's, the colour's alpha alone. Each
// varying component is work for every pixel in a software rasteriser.
const char kVaryings[] = R"(
#if defined(TEXTURED) && defined(REPLACE) && !defined(ALPHA_TEXTURE)
#define ALPHA_ONLY
varying float fragmentAlpha;
#else
varying vec4 fragmentColour;
#endif
varying vec3 fragmentTexCoord;
)";

const char kVertexSource[] = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec4 texCoord;
uniform mat4 transform;
uniform mat4 textureMatrix;
void main() {
    gl_Position = transform * position;
#ifdef ALPHA_ONLY
    fragmentAlpha = colour.a;
#else
    fragmentColour = colour;
#endif
#ifdef TEXTURE_MATRIX
    fragmentTexCoord = (textureMatrix * texCoord).xyw;
#else
    fragmentTexCoord = texCoord.xyw;
#endif
}
)";

const char kFragmentPrecision[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
)";

const char kFragmentSource[] = R"(
uniform sampler2D sampler;
uniform vec4 border;
uniform vec2 texelCount;
uniform vec2 clampAxes;
uniform vec2 repeatAxes;
uniform float alphaReference;
void main() {
#ifdef ALPHA_ONLY
    vec4 colour = vec4(0.0, 0.0, 0.0, fragmentAlpha);  // its rgb is the texel's below
#else
    vec4 colour = fragmentColour;
#endif
#ifdef BITMAP
    if (texture2D(sampler, fragmentTexCoord.xy).a < 0.5) discard;
#endif
#ifdef TEXTURED
    vec2 st = fragmentTexCoord.xy / fragmentTexCoord.z;
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

// The text of a shader that is not accepted goes to the browser's console.
void reportFailure(const char* what, const char* log) { emscripten_log(kLogError, "GL subset: %s: %s", what, log); }

// A shader's text: the program's #defines, the fragment shader's precision, the varyings, its source.
GLuint compile(GLenum type, const char* defines, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* texts[4] = {defines, type == kFragmentShader ? kFragmentPrecision : "", kVaryings, source};
    emscripten_glShaderSource(shader, 4, texts, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, kCompileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        reportFailure("shader does not compile", log);
    }
    return shader;
}

// The #defines of a program's key, one a line.
void definesFor(int key, char* out, size_t size) {
    const int used = std::snprintf(out, size, "%s%s%s%s%s%s", key & kTextured ? "#define TEXTURED\n" : "",
                                   key & kReplace ? "#define REPLACE\n" : "",
                                   key & kAlphaTexture ? "#define ALPHA_TEXTURE\n" : "",
                                   key & kWrapEmulated ? "#define WRAP_EMULATED\n" : "",
                                   key & kTextureMatrix ? "#define TEXTURE_MATRIX\n" : "",
                                   key & kBitmap ? "#define BITMAP\n" : "");
    const int alphaFunction = key >> kAlphaFunctionShift;
    if (alphaFunction != 0) std::snprintf(out + used, size - used, "#define ALPHA_FUNCTION %d\n", alphaFunction);
}

void link(Program& p, int key) {
    char defines[256];
    definesFor(key, defines, sizeof defines);
    p.key = key;
    p.name = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.name, compile(kVertexShader, defines, kVertexSource));
    emscripten_glAttachShader(p.name, compile(kFragmentShader, defines, kFragmentSource));
    emscripten_glBindAttribLocation(p.name, 0, "position");
    emscripten_glBindAttribLocation(p.name, 1, "colour");
    emscripten_glBindAttribLocation(p.name, 2, "texCoord");
    emscripten_glLinkProgram(p.name);
    GLint ok = 0;
    emscripten_glGetProgramiv(p.name, kLinkStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
        reportFailure("program does not link", log);
    }
    p.transform = emscripten_glGetUniformLocation(p.name, "transform");
    p.textureMatrix = emscripten_glGetUniformLocation(p.name, "textureMatrix");
    p.sampler = emscripten_glGetUniformLocation(p.name, "sampler");
    p.border = emscripten_glGetUniformLocation(p.name, "border");
    p.texelCount = emscripten_glGetUniformLocation(p.name, "texelCount");
    p.clampAxes = emscripten_glGetUniformLocation(p.name, "clampAxes");
    p.repeatAxes = emscripten_glGetUniformLocation(p.name, "repeatAxes");
    p.alphaReference = emscripten_glGetUniformLocation(p.name, "alphaReference");
    // Every sent value starts as NaN, which no value equals, so each uniform is sent on first use.
    GLfloat* sent[] = {p.sentTransform, p.sentTextureMatrix, p.sentBorder, p.sentTexelCount, p.sentClampAxes,
                       p.sentRepeatAxes, p.sentAlphaReference};
    const int sizes[] = {16, 16, 4, 2, 2, 2, 1};
    for (int k = 0; k < 7; ++k) {
        for (int i = 0; i < sizes[k]; ++i) sent[k][i] = NAN;
    }
    // The sampler always reads texture unit 0.
    emscripten_glUseProgram(p.name);
    webglState.program = p.name;
    emscripten_glUniform1i(p.sampler, 0);
}

Program& program(int key) {
    for (int k = 0; k < programCount; ++k) {
        if (programs[k].key == key) return programs[k];
    }
    Program& p = programCount < kMaxPrograms ? programs[programCount++] : programs[kMaxPrograms - 1];
    link(p, key);
    return p;
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
    if (webglState.known && sent == on) return;
    sent = on;
    if (on) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

void sendViewport(const GLint v[4]) {
    if (webglState.known && std::memcmp(webglState.viewport, v, sizeof webglState.viewport) == 0) return;
    std::memcpy(webglState.viewport, v, sizeof webglState.viewport);
    emscripten_glViewport(v[0], v[1], v[2], v[3]);
}

void sendScissor() {
    const AttributeState& state = context.attributes;
    sendCapability(GL_SCISSOR_TEST, state.scissorTest, webglState.scissorTest);
    if (state.scissorTest &&
        (!webglState.known || std::memcmp(webglState.scissor, state.scissorBox, sizeof state.scissorBox) != 0)) {
        std::memcpy(webglState.scissor, state.scissorBox, sizeof state.scissorBox);
        emscripten_glScissor(state.scissorBox[0], state.scissorBox[1], state.scissorBox[2], state.scissorBox[3]);
    }
}

void bindWebglTexture(GLuint name) {
    if (webglState.known && webglState.texture == name) return;
    webglState.texture = name;
    emscripten_glBindTexture(GL_TEXTURE_2D, name);
}

void bindArrayBuffer(GLuint name) {
    if (webglState.boundBuffer == name) return;
    webglState.boundBuffer = name;
    emscripten_glBindBuffer(kArrayBuffer, name);
}

// The texture a draw samples: the bound one when texturing is on and it is complete.
const TextureObject* sampledTexture() {
    if (!context.attributes.texture2D) return nullptr;
    const TextureObject* texture = boundTextureObject();
    const bool complete = texture->webglName != 0 && texture->width > 0 &&
                          (texture->minFilter == GL_NEAREST || texture->minFilter == GL_LINEAR);
    return complete ? texture : nullptr;
}

// Everything a draw in `space` needs but its vertices: WebGL's state, the program and its
// uniforms, from the current GL state.
void prepareDraw(Space space) {
    const AttributeState& state = context.attributes;
    sendCapability(GL_DEPTH_TEST, state.depthTest, webglState.depthTest);
    sendCapability(GL_CULL_FACE, state.cullFace, webglState.cullFace);
    if (!webglState.known || webglState.frontFace != state.frontFace) {
        webglState.frontFace = state.frontFace;
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
        bindWebglTexture(bitmapAtlasTexture());
    } else {
        sendViewport(state.viewport);
        texture = sampledTexture();
    }
    GLfloat clampAxes[2] = {0, 0}, repeatAxes[2] = {0, 0};
    if (texture) {
        key |= kTextured;
        if (state.textureEnvMode != GL_MODULATE) key |= kReplace;
        if (texture->alphaOnly) key |= kAlphaTexture;
        if (!textureMatrixIsIdentity()) key |= kTextureMatrix;
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
    if (webglState.program != p.name) {
        webglState.program = p.name;
        emscripten_glUseProgram(p.name);
    }
    if (space == Space::object) {
        GLfloat toClip[16];
        modelViewProjection(toClip);
        sendMatrix(p.transform, p.sentTransform, toClip);
    } else {
        sendMatrix(p.transform, p.sentTransform, kIdentity);
    }
    if (key & kTextureMatrix) sendMatrix(p.textureMatrix, p.sentTextureMatrix, context.texture.items[context.texture.top].m);
    if (key & kWrapEmulated) {
        const GLfloat texelCount[2] = {static_cast<GLfloat>(texture->width), static_cast<GLfloat>(texture->height)};
        sendVector(p.border, p.sentBorder, texture->border, 4);
        sendVector(p.texelCount, p.sentTexelCount, texelCount, 2);
        sendVector(p.clampAxes, p.sentClampAxes, clampAxes, 2);
        sendVector(p.repeatAxes, p.sentRepeatAxes, repeatAxes, 2);
    }
    if (key >> kAlphaFunctionShift) sendVector(p.alphaReference, p.sentAlphaReference, &state.alphaReference, 1);
    webglState.known = true;
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
    if (webglState.streamBuffer == 0) {
        emscripten_glGenBuffers(1, &webglState.streamBuffer);
        emscripten_glEnableVertexAttribArray(0);
        emscripten_glEnableVertexAttribArray(1);
        emscripten_glEnableVertexAttribArray(2);
    }
    if (buffer == 0) buffer = webglState.streamBuffer;
    bindArrayBuffer(buffer);
    if (webglState.pointersInto != buffer) {
        webglState.pointersInto = buffer;
        emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, position)));
        emscripten_glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, colour)));
        emscripten_glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                         reinterpret_cast<void*>(offsetof(Vertex, texCoord)));
    }
    enableArray(1, colours, webglState.colourArray);
    enableArray(2, texCoords, webglState.texCoordArray);
    if (!colours) {
        GLfloat colour[4];
        for (int k = 0; k < 4; ++k) colour[k] = colourByte(context.attributes.colour[k]) / 255.0f;
        if (changed(webglState.constantColour, colour, 4)) emscripten_glVertexAttrib4fv(1, colour);
    }
    if (!texCoords && changed(webglState.constantTexCoord, context.attributes.texCoord, 4)) {
        emscripten_glVertexAttrib4fv(2, context.attributes.texCoord);
    }
}

void drawArrays(const Draw* draws, int count) {
    for (int k = 0; k < count; ++k) emscripten_glDrawArrays(draws[k].mode, draws[k].first, draws[k].count);
}

}  // namespace

void bindForUpload(GLuint webglName) { bindWebglTexture(webglName); }

Vertex* batchVertices(Space space, GLenum mode, int count) {
    VertexBatch& batch = context.keeping ? *context.keeping : frameBatch;
    if (!context.keeping) {
        if (context.vertexCount > 0 && context.space != space) flush();
        context.space = space;
    }
    const int first = static_cast<int>(batch.vertices.size());
    batch.vertices.resize(first + count);
    if (!batch.draws.empty() && batch.draws.back().mode == mode &&
        batch.draws.back().first + batch.draws.back().count == first) {
        batch.draws.back().count += count;
    } else {
        batch.draws.push_back({mode, first, count});
    }
    if (!context.keeping) context.vertexCount = static_cast<int>(batch.vertices.size());
    return &batch.vertices[first];
}

void flush() {
    if (frameBatch.vertices.empty()) return;
    prepareDraw(context.space);
    pointAttributes(0, true, true);
    emscripten_glBufferData(kArrayBuffer, static_cast<long>(frameBatch.vertices.size() * sizeof(Vertex)),
                            frameBatch.vertices.data(), kStreamDraw);
    drawArrays(frameBatch.draws.data(), static_cast<int>(frameBatch.draws.size()));
    frameBatch.vertices.clear();
    frameBatch.draws.clear();
    context.vertexCount = 0;
}

void drawBuffer(GLuint buffer, const Draw* draws, int drawCount, bool colours, bool texCoords) {
    flush();
    prepareDraw(Space::object);
    pointAttributes(buffer, colours, texCoords);
    drawArrays(draws, drawCount);
}

GLuint keepInBuffer(const std::vector<Vertex>& vertices) {
    GLuint name = 0;
    emscripten_glGenBuffers(1, &name);
    bindArrayBuffer(name);
    emscripten_glBufferData(kArrayBuffer, static_cast<long>(vertices.size() * sizeof(Vertex)), vertices.data(),
                            kStaticDraw);
    return name;
}

void clearBuffers(GLbitfield mask) {
    flush();
    sendScissor();
    const GLfloat* c = context.attributes.clearColour;
    if (!webglState.known || std::memcmp(webglState.clearColour, c, sizeof webglState.clearColour) != 0) {
        std::memcpy(webglState.clearColour, c, sizeof webglState.clearColour);
        emscripten_glClearColor(c[0], c[1], c[2], c[3]);
    }
    emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
}

void setDrawingSize(int width, int height) {
    flush();
    context.drawingWidth = width;
    context.drawingHeight = height;
}

void startContext(int width, int height) {
    context = Context{};
    webglState = WebglState{};
    for (Program& p : programs) p = Program{};
    programCount = 0;
    resetMatrices();
    setDrawingSize(width, height);
    const GLint whole[4] = {0, 0, width, height};
    std::memcpy(context.attributes.viewport, whole, sizeof whole);
    std::memcpy(context.attributes.scissorBox, whole, sizeof whole);
}

}  // namespace webgl
