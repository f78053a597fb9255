// The batch and its way to WebGL: vertices gathered in one array, drawn by a few small shaders
// chosen by the state (texturing, the texture environment, alpha textures, GL_CLAMP's border,
// the alpha test, bitmaps), one buffer upload per flush. WebGL's own state is set only where it
// differs from what was last set.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <emscripten/emscripten.h>

#include "context.hpp"
#include "webgl.hpp"

namespace webgl {

Context context;

namespace {

std::vector<Vertex> batch;
std::vector<Draw> draws;

// What WebGL was last told, so that only changes are sent.
struct WebglState {
    bool known = false;
    bool depthTest = false, cullFace = false, scissorTest = false;
    GLenum frontFace = GL_CCW;
    GLint scissor[4] = {-1, -1, -1, -1};
    GLint viewport[4] = {-1, -1, -1, -1};
    GLfloat clearColour[4] = {-1, -1, -1, -1};
    GLuint texture = 0;
    GLuint program = 0;
    GLuint buffer = 0;
};
WebglState webglState;

// ---- shaders ------------------------------------------------------------------------------------

enum ShaderBits {
    kTextured = 1,      // sample the bound texture
    kReplace = 2,       // GL_REPLACE or GL_DECAL rather than GL_MODULATE
    kAlphaTexture = 4,  // an ALPHA texture
    kWrapEmulated = 8,  // GL_CLAMP's border or a repeat WebGL cannot do
    kAlphaTest = 16,
    kBitmap = 32,       // bitmap fragments: drawn where the atlas has bits
    kShaderCount = 64,
};

struct Program {
    GLuint name = 0;
    GLint transform = -1, textureMatrix = -1, sampler = -1, border = -1, texelCount = -1,
          clampAxes = -1, repeatAxes = -1, alphaFunction = -1, alphaReference = -1;
};
Program programs[kShaderCount];

const char kVertexSource[] = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec4 texCoord;
uniform mat4 transform;
uniform mat4 textureMatrix;
varying vec4 fragmentColour;
varying vec4 fragmentTexCoord;
void main() {
    gl_Position = transform * position;
    fragmentColour = colour;
    fragmentTexCoord = textureMatrix * texCoord;
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
uniform int alphaFunction;
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
#ifdef ALPHA_TEST
    float a = colour.a, r = alphaReference;
    bool pass = alphaFunction == 7 || (alphaFunction == 1 && a < r) || (alphaFunction == 2 && a == r) ||
                (alphaFunction == 3 && a <= r) || (alphaFunction == 4 && a > r) ||
                (alphaFunction == 5 && a != r) || (alphaFunction == 6 && a >= r);
    if (!pass) discard;
#endif
    gl_FragColor = colour;
}
)";

GLuint compile(GLenum type, const std::string& source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, kCompileStatus, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        emscripten_log(EM_LOG_ERROR, "GL subset: shader does not compile: %s", log);
    }
    return shader;
}

Program& program(int bits) {
    Program& p = programs[bits];
    if (p.name != 0) return p;
    std::string defines;
    if (bits & kTextured) defines += "#define TEXTURED\n";
    if (bits & kReplace) defines += "#define REPLACE\n";
    if (bits & kAlphaTexture) defines += "#define ALPHA_TEXTURE\n";
    if (bits & kWrapEmulated) defines += "#define WRAP_EMULATED\n";
    if (bits & kAlphaTest) defines += "#define ALPHA_TEST\n";
    if (bits & kBitmap) defines += "#define BITMAP\n";
    p.name = emscripten_glCreateProgram();
    emscripten_glAttachShader(p.name, compile(kVertexShader, kVertexSource));
    emscripten_glAttachShader(p.name, compile(kFragmentShader, defines + kFragmentSource));
    emscripten_glBindAttribLocation(p.name, 0, "position");
    emscripten_glBindAttribLocation(p.name, 1, "colour");
    emscripten_glBindAttribLocation(p.name, 2, "texCoord");
    emscripten_glLinkProgram(p.name);
    p.transform = emscripten_glGetUniformLocation(p.name, "transform");
    p.textureMatrix = emscripten_glGetUniformLocation(p.name, "textureMatrix");
    p.sampler = emscripten_glGetUniformLocation(p.name, "sampler");
    p.border = emscripten_glGetUniformLocation(p.name, "border");
    p.texelCount = emscripten_glGetUniformLocation(p.name, "texelCount");
    p.clampAxes = emscripten_glGetUniformLocation(p.name, "clampAxes");
    p.repeatAxes = emscripten_glGetUniformLocation(p.name, "repeatAxes");
    p.alphaFunction = emscripten_glGetUniformLocation(p.name, "alphaFunction");
    p.alphaReference = emscripten_glGetUniformLocation(p.name, "alphaReference");
    return p;
}

// ---- WebGL state --------------------------------------------------------------------------------

void setCapability(GLenum capability, bool on, bool& known) {
    if (webglState.known && known == on) return;
    known = on;
    if (on) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

void setViewport(const GLint v[4]) {
    if (webglState.known && std::memcmp(webglState.viewport, v, sizeof webglState.viewport) == 0) return;
    std::memcpy(webglState.viewport, v, sizeof webglState.viewport);
    emscripten_glViewport(v[0], v[1], v[2], v[3]);
}

void setScissor() {
    const AttributeState& a = context.a;
    setCapability(GL_SCISSOR_TEST, a.scissorTest, webglState.scissorTest);
    if (a.scissorTest && (!webglState.known || std::memcmp(webglState.scissor, a.scissorBox, sizeof a.scissorBox) != 0)) {
        std::memcpy(webglState.scissor, a.scissorBox, sizeof a.scissorBox);
        emscripten_glScissor(a.scissorBox[0], a.scissorBox[1], a.scissorBox[2], a.scissorBox[3]);
    }
}

void bindWebglTexture(GLuint name) {
    if (webglState.known && webglState.texture == name) return;
    webglState.texture = name;
    emscripten_glBindTexture(GL_TEXTURE_2D, name);
}

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// ---- retained vertex buffers --------------------------------------------------------------------

// Large batches often repeat frame after frame unchanged (the sphere, the grid: their matrices are
// uniforms), so the last few are kept in buffers of their own and a batch equal to one of them is
// drawn from it without sending its vertices again.
constexpr size_t kRetainAtLeast = 2048;  // vertices; smaller batches go through the stream buffer
constexpr int kRetainedBuffers = 4;

struct RetainedBuffer {
    GLuint name = 0;
    std::vector<Vertex> vertices;  // what the buffer holds
    unsigned lastUsed = 0;
};
RetainedBuffer retained[kRetainedBuffers];
unsigned flushCount = 0;

// Binds a buffer holding the batch's vertices, sent now unless a retained buffer has them already.
void bindBatchVertices() {
    ++flushCount;
    const size_t bytes = batch.size() * sizeof(Vertex);
    if (batch.size() < kRetainAtLeast) {
        emscripten_glBindBuffer(kArrayBuffer, webglState.buffer);
        emscripten_glBufferData(kArrayBuffer, static_cast<long>(bytes), batch.data(), kStreamDraw);
        return;
    }
    RetainedBuffer* oldest = &retained[0];
    for (RetainedBuffer& r : retained) {
        if (r.vertices.size() == batch.size() && std::memcmp(r.vertices.data(), batch.data(), bytes) == 0) {
            r.lastUsed = flushCount;
            emscripten_glBindBuffer(kArrayBuffer, r.name);
            return;
        }
        if (r.lastUsed < oldest->lastUsed) oldest = &r;
    }
    if (oldest->name == 0) emscripten_glGenBuffers(1, &oldest->name);
    oldest->vertices = batch;
    oldest->lastUsed = flushCount;
    emscripten_glBindBuffer(kArrayBuffer, oldest->name);
    emscripten_glBufferData(kArrayBuffer, static_cast<long>(bytes), batch.data(), kStaticDraw);
}

}  // namespace

// For the texture and pixel files: WebGL's binding, which they change when uploading.
void bindForUpload(GLuint webglName) { bindWebglTexture(webglName); }

Vertex* batchVertices(Space space, GLenum mode, int count) {
    if (context.vertexCount > 0 && context.space != space) flush();
    context.space = space;
    const int first = static_cast<int>(batch.size());
    batch.resize(first + count);
    if (!draws.empty() && draws.back().mode == mode && draws.back().first + draws.back().count == first) {
        draws.back().count += count;
    } else {
        draws.push_back({mode, first, count});
    }
    context.vertexCount = static_cast<int>(batch.size());
    return &batch[first];
}

void flush() {
    if (batch.empty()) return;
    const AttributeState& a = context.a;
    setCapability(GL_DEPTH_TEST, a.depthTest, webglState.depthTest);
    setCapability(GL_CULL_FACE, a.cullFace, webglState.cullFace);
    if (!webglState.known || webglState.frontFace != a.frontFace) {
        webglState.frontFace = a.frontFace;
        emscripten_glFrontFace(a.frontFace);
    }
    setScissor();

    // Bitmaps are clipped to the window only, everything else to the viewport.
    int bits = 0;
    const TextureObject* texture = nullptr;
    if (context.space == Space::window) {
        const GLint whole[4] = {0, 0, context.drawingWidth, context.drawingHeight};
        setViewport(whole);
        bits |= kBitmap;
        bindWebglTexture(bitmapAtlasTexture());
    } else {
        setViewport(a.viewport);
        texture = a.texture2D ? boundTextureObject() : nullptr;
        const bool complete = texture && texture->webglName != 0 && texture->width > 0 &&
                              (texture->minFilter == GL_NEAREST || texture->minFilter == GL_LINEAR);
        if (!complete) texture = nullptr;
    }
    bool clampS = false, clampT = false, repeatS = false, repeatT = false;
    if (texture) {
        bits |= kTextured;
        if (a.textureEnvMode != GL_MODULATE) bits |= kReplace;
        if (texture->alphaOnly) bits |= kAlphaTexture;
        const bool powerOfTwo = isPowerOfTwo(texture->width) && isPowerOfTwo(texture->height);
        const bool linear = texture->magFilter == GL_LINEAR || texture->minFilter == GL_LINEAR;
        clampS = texture->wrapS == GL_CLAMP && linear;
        clampT = texture->wrapT == GL_CLAMP && linear;
        repeatS = texture->wrapS == GL_REPEAT && !powerOfTwo;
        repeatT = texture->wrapT == GL_REPEAT && !powerOfTwo;
        if (clampS || clampT || repeatS || repeatT) bits |= kWrapEmulated;
        bindWebglTexture(texture->webglName);
    }
    if (a.alphaTest) bits |= kAlphaTest;

    Program& p = program(bits);
    if (!webglState.known || webglState.program != p.name) {
        webglState.program = p.name;
        emscripten_glUseProgram(p.name);
    }
    static const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (context.space == Space::object) {
        GLfloat toClip[16];
        modelViewProjection(toClip);
        emscripten_glUniformMatrix4fv(p.transform, 1, GL_FALSE, toClip);
    } else {
        emscripten_glUniformMatrix4fv(p.transform, 1, GL_FALSE, identity);
    }
    const bool textureMatrix = texture != nullptr;
    emscripten_glUniformMatrix4fv(p.textureMatrix, 1, GL_FALSE,
                                  textureMatrix ? context.texture.items[context.texture.top].m : identity);
    emscripten_glUniform1i(p.sampler, 0);
    if (bits & kWrapEmulated) {
        emscripten_glUniform4fv(p.border, 1, texture->border);
        emscripten_glUniform2f(p.texelCount, static_cast<GLfloat>(texture->width),
                               static_cast<GLfloat>(texture->height));
        emscripten_glUniform2f(p.clampAxes, clampS ? 1.0f : 0.0f, clampT ? 1.0f : 0.0f);
        emscripten_glUniform2f(p.repeatAxes, repeatS ? 1.0f : 0.0f, repeatT ? 1.0f : 0.0f);
    }
    if (bits & kAlphaTest) {
        emscripten_glUniform1i(p.alphaFunction, static_cast<GLint>(a.alphaFunction - GL_NEVER));
        emscripten_glUniform1f(p.alphaReference, a.alphaReference);
    }

    if (webglState.buffer == 0) {
        emscripten_glGenBuffers(1, &webglState.buffer);
        emscripten_glEnableVertexAttribArray(0);
        emscripten_glEnableVertexAttribArray(1);
        emscripten_glEnableVertexAttribArray(2);
    }
    bindBatchVertices();
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                     reinterpret_cast<void*>(offsetof(Vertex, position)));
    emscripten_glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                                     reinterpret_cast<void*>(offsetof(Vertex, colour)));
    emscripten_glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                                     reinterpret_cast<void*>(offsetof(Vertex, texCoord)));
    webglState.known = true;
    for (const Draw& d : draws) emscripten_glDrawArrays(d.mode, d.first, d.count);
    batch.clear();
    draws.clear();
    context.vertexCount = 0;
}

// glClear: the scissor box applies, the viewport does not.
void clearBuffers(GLbitfield mask) {
    flush();
    setScissor();
    const GLfloat* c = context.a.clearColour;
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
    resetMatrices();
    setDrawingSize(width, height);
    const GLint whole[4] = {0, 0, width, height};
    std::memcpy(context.a.viewport, whole, sizeof whole);
    std::memcpy(context.a.scissorBox, whole, sizeof whole);
}

}  // namespace webgl
