#include "webgl_stub.hpp"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "../../web/gl/webgl.hpp"

namespace stub {

State state;

void clearRecord() {
    state.draws.clear();
    state.drawn.clear();
    state.calls.clear();
    state.clears.clear();
    state.draws.reserve(4096);
    state.drawn.reserve(1 << 18);
    state.calls.reserve(1 << 16);
    state.clears.reserve(64);
}

int count(const char* name) {
    int n = 0;
    for (const char* call : state.calls) n += std::strcmp(call, name) == 0;
    return n;
}

std::vector<DrawnVertex> drawnOf(GLenum mode) {
    std::vector<DrawnVertex> out;
    for (const DrawCall& d : state.draws) {
        if (d.mode == mode) out.insert(out.end(), state.drawn.begin() + d.first, state.drawn.begin() + d.first + d.count);
    }
    return out;
}

namespace {

void log(const char* name) { state.calls.push_back(name); }

const std::vector<GLfloat>* uniform(const char* name) {
    Program& p = state.programs[state.program];
    for (size_t k = 0; k < p.uniformNames.size(); ++k) {
        if (p.uniformNames[k] == name) return &p.uniformValues[k];
    }
    return nullptr;
}

void multiply(const GLfloat* m, const GLfloat in[4], GLfloat out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
    }
}

// An attribute of vertex `index` as four floats, from its array or its constant value.
void attribute(int which, int index, GLfloat out[4]) {
    if (!state.arrays[which]) return (void)std::memcpy(out, state.constants[which], sizeof(GLfloat) * 4);
    const State::Pointer& p = state.pointers[which];
    const unsigned char* at = state.buffers[p.buffer].data() + p.offset + static_cast<size_t>(index) * p.stride;
    for (int k = 0; k < 4; ++k) {
        if (k >= p.size) {
            out[k] = k == 3 ? 1.0f : 0.0f;
        } else if (p.type == GL_FLOAT) {
            std::memcpy(&out[k], at + 4 * k, 4);
        } else {
            out[k] = p.normalised ? at[k] / 255.0f : at[k];
        }
    }
}

// The wide-line vertex shader's corner: the segment cut at the near plane, widened across its
// minor axis; `own` is the transformed position, texCoord the other end and the side.
void widen(const GLfloat texCoord[4], GLfloat own[4]) {
    const GLfloat end[4] = {texCoord[0], texCoord[1], texCoord[2], 1.0f};
    GLfloat other[4];
    multiply(uniform("transform")->data(), end, other);
    const GLfloat* size = uniform("viewportSize")->data();
    const GLfloat width = (*uniform("lineWidth"))[0];
    const GLfloat dOwn = own[2] + own[3], dOther = other[2] + other[3], t = dOwn / (dOwn - dOther);
    GLfloat cut[4];
    for (int i = 0; i < 4; ++i) cut[i] = own[i] + t * (other[i] - own[i]);
    if (dOwn < 0) std::memcpy(own, cut, sizeof cut);
    if (dOther < 0) std::memcpy(other, cut, sizeof cut);
    const GLfloat dx = (other[0] / other[3] - own[0] / own[3]) * size[0];
    const GLfloat dy = (other[1] / other[3] - own[1] / own[3]) * size[1];
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    own[0] += xMajor ? 0 : texCoord[3] * width / size[0] * own[3];
    own[1] += xMajor ? texCoord[3] * width / size[1] * own[3] : 0;
    if ((dOwn < 0 && dOther < 0) || own[3] <= 0 || other[3] <= 0) own[0] = own[1] = own[2] = 2, own[3] = 1;
}

// Stores rows of `format` pixels (rows padded to the unpack alignment) tightly packed.
void storeRows(Texture& t, int x, int y, int width, int height, GLenum format, const void* pixels) {
    const int bytes = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
    const int stride = (width * bytes + state.unpackAlignment - 1) / state.unpackAlignment * state.unpackAlignment;
    for (int row = 0; row < height && pixels; ++row) {
        std::memcpy(&t.texels[(static_cast<size_t>(y + row) * t.width + x) * bytes],
                    static_cast<const unsigned char*>(pixels) + static_cast<size_t>(row) * stride, width * bytes);
    }
}

}  // namespace

}  // namespace stub

using stub::state;

extern "C" {

void emscripten_log(int, const char* format, ...) {
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    state.lastLog = text;
}

void orvexPageFailed(const char* code, const char* detail) {
    state.pageFailures.push_back(std::string(code) + ": " + detail);
}

void emscripten_glActiveTexture(GLenum) { stub::log("ActiveTexture"); }
void emscripten_glAttachShader(GLuint program, GLuint shader) {
    stub::log("AttachShader");
    state.programs[program].source += state.shaderSources[shader];
}
void emscripten_glBindAttribLocation(GLuint, GLuint, const char*) { stub::log("BindAttribLocation"); }
void emscripten_glBindBuffer(GLenum, GLuint buffer) {
    stub::log("BindBuffer");
    state.arrayBuffer = buffer;
}
void emscripten_glBindTexture(GLenum, GLuint texture) {
    stub::log("BindTexture");
    state.texture = texture;
}
void emscripten_glBufferData(GLenum, long size, const void* data, GLenum) {
    stub::log("BufferData");
    const auto* bytes = static_cast<const unsigned char*>(data);
    state.buffers[state.arrayBuffer].assign(bytes, bytes + size);
}
void emscripten_glClear(GLbitfield mask) {
    stub::log("Clear");
    state.clears.push_back(mask);
}
void emscripten_glClearColor(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    stub::log("ClearColor");
    const GLfloat c[4] = {r, g, b, a};
    std::memcpy(state.clearColour, c, sizeof c);
}
void emscripten_glCompileShader(GLuint) { stub::log("CompileShader"); }
GLuint emscripten_glCreateProgram(void) {
    stub::log("CreateProgram");
    state.programs.emplace_back();
    return static_cast<GLuint>(state.programs.size() - 1);
}
GLuint emscripten_glCreateShader(GLenum) {
    stub::log("CreateShader");
    state.shaderSources.emplace_back();
    return static_cast<GLuint>(state.shaderSources.size() - 1);
}
void emscripten_glCullFace(GLenum) { stub::log("CullFace"); }
void emscripten_glDeleteProgram(GLuint) { stub::log("DeleteProgram"); }
void emscripten_glDeleteShader(GLuint) { stub::log("DeleteShader"); }
void emscripten_glDisable(GLenum capability) {
    stub::log("Disable");
    if (capability == GL_DEPTH_TEST) state.depthTest = false;
    if (capability == GL_CULL_FACE) state.cullFace = false;
    if (capability == GL_SCISSOR_TEST) state.scissorTest = false;
}
void emscripten_glDisableVertexAttribArray(GLuint index) {
    stub::log("DisableVertexAttribArray");
    state.arrays[index] = false;
}
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    stub::log("DrawArrays");
    stub::DrawCall d{mode, static_cast<int>(state.drawn.size()), count, state.program, state.texture,
                     state.depthTest, state.cullFace, state.scissorTest, {}};
    std::memcpy(d.viewport, state.viewport, sizeof d.viewport);
    const std::vector<GLfloat>* transform = stub::uniform("transform");
    const std::vector<GLfloat>* textureMatrix = stub::uniform("textureMatrix");
    const std::string& source = state.programs[state.program].source;
    const bool hasTextureMatrix = source.find("#define TEXTURE_MATRIX") != std::string::npos;
    const bool wideLine = source.find("#define WIDE_LINE") != std::string::npos;
    for (int k = first; k < first + count; ++k) {
        stub::DrawnVertex v;
        GLfloat texCoord[4];
        stub::attribute(0, k, v.position);
        stub::attribute(1, k, v.colour);
        stub::attribute(2, k, texCoord);
        stub::multiply(transform->data(), v.position, v.clip);
        if (wideLine) stub::widen(texCoord, v.clip);
        if (hasTextureMatrix) {
            stub::multiply(textureMatrix->data(), texCoord, v.texCoord);
        } else {
            std::memcpy(v.texCoord, texCoord, sizeof texCoord);
        }
        state.drawn.push_back(v);
    }
    state.draws.push_back(d);
}
void emscripten_glEnable(GLenum capability) {
    stub::log("Enable");
    if (capability == GL_DEPTH_TEST) state.depthTest = true;
    if (capability == GL_CULL_FACE) state.cullFace = true;
    if (capability == GL_SCISSOR_TEST) state.scissorTest = true;
}
void emscripten_glEnableVertexAttribArray(GLuint index) {
    stub::log("EnableVertexAttribArray");
    state.arrays[index] = true;
}
void emscripten_glFlush(void) { stub::log("Flush"); }
void emscripten_glFrontFace(GLenum) { stub::log("FrontFace"); }
void emscripten_glGenBuffers(GLsizei count, GLuint* buffers) {
    stub::log("GenBuffers");
    for (GLsizei k = 0; k < count; ++k) {
        state.buffers.emplace_back();
        buffers[k] = static_cast<GLuint>(state.buffers.size() - 1);
    }
}
void emscripten_glGenTextures(GLsizei count, GLuint* textures) {
    stub::log("GenTextures");
    for (GLsizei k = 0; k < count; ++k) {
        state.textures.emplace_back();
        textures[k] = static_cast<GLuint>(state.textures.size() - 1);
    }
}
GLenum emscripten_glGetError(void) {
    stub::log("GetError");
    return GL_NO_ERROR;
}
void emscripten_glGetIntegerv(GLenum name, GLint* values) {
    stub::log("GetIntegerv");
    if (name == GL_MAX_TEXTURE_SIZE) values[0] = 4096;
}
void emscripten_glGetProgramInfoLog(GLuint, GLsizei size, GLsizei*, char* log) {
    std::snprintf(log, size, "%s", "stub: link refused");
}
void emscripten_glGetProgramiv(GLuint, GLenum, GLint* value) { *value = state.failLink ? 0 : 1; }
void emscripten_glGetShaderInfoLog(GLuint, GLsizei size, GLsizei*, char* log) {
    std::snprintf(log, size, "%s", "stub: compile refused");
}
void emscripten_glGetShaderiv(GLuint, GLenum, GLint* value) { *value = state.failCompile ? 0 : 1; }
GLint emscripten_glGetUniformLocation(GLuint program, const char* name) {
    stub::Program& p = state.programs[program];
    p.uniformNames.emplace_back(name);
    p.uniformValues.emplace_back(16, 0.0f);
    return static_cast<GLint>(p.uniformNames.size() - 1);
}
void emscripten_glLineWidth(GLfloat) { stub::log("LineWidth"); }
void emscripten_glLinkProgram(GLuint) { stub::log("LinkProgram"); }
void emscripten_glPixelStorei(GLenum name, GLint value) {
    stub::log("PixelStorei");
    if (name == GL_UNPACK_ALIGNMENT) state.unpackAlignment = value;
}
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum, GLenum, void* pixels) {
    stub::log("ReadPixels");
    for (int row = 0; row < height; ++row) {
        std::memcpy(static_cast<unsigned char*>(pixels) + static_cast<size_t>(row) * width * 4,
                    &state.screen[(static_cast<size_t>(y + row) * state.screenWidth + x) * 4], width * 4);
    }
}
void emscripten_glScissor(GLint, GLint, GLsizei, GLsizei) { stub::log("Scissor"); }
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* source, const GLint*) {
    stub::log("ShaderSource");
    for (GLsizei k = 0; k < count; ++k) state.shaderSources[shader] += source[k];
}
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei width, GLsizei height, GLint, GLenum format, GLenum,
                             const void* pixels) {
    stub::log("TexImage2D");
    stub::Texture& t = state.textures[state.texture];
    t.width = width;
    t.height = height;
    t.format = format;
    t.texels.assign(static_cast<size_t>(width) * height * (format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1), 0);
    stub::storeRows(t, 0, 0, width, height, format, pixels);
}
void emscripten_glTexParameteri(GLenum, GLenum name, GLint value) {
    stub::log("TexParameteri");
    stub::Texture& t = state.textures[state.texture];
    if (name == GL_TEXTURE_MIN_FILTER) t.minFilter = value;
    if (name == GL_TEXTURE_MAG_FILTER) t.magFilter = value;
    if (name == GL_TEXTURE_WRAP_S) t.wrapS = value;
    if (name == GL_TEXTURE_WRAP_T) t.wrapT = value;
}
void emscripten_glTexSubImage2D(GLenum, GLint, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                                GLenum, const void* pixels) {
    stub::log("TexSubImage2D");
    stub::storeRows(state.textures[state.texture], x, y, width, height, format, pixels);
}
void emscripten_glUniform1i(GLint location, GLint value) {
    stub::log("Uniform");
    state.programs[state.program].uniformValues[location][0] = static_cast<GLfloat>(value);
}
void emscripten_glUniform1f(GLint location, GLfloat value) {
    stub::log("Uniform");
    state.programs[state.program].uniformValues[location][0] = value;
}
void emscripten_glUniform2f(GLint location, GLfloat x, GLfloat y) {
    stub::log("Uniform");
    std::vector<GLfloat>& u = state.programs[state.program].uniformValues[location];
    u[0] = x;
    u[1] = y;
}
void emscripten_glUniform4fv(GLint location, GLsizei, const GLfloat* values) {
    stub::log("Uniform");
    std::memcpy(state.programs[state.program].uniformValues[location].data(), values, 4 * sizeof(GLfloat));
}
void emscripten_glUniformMatrix4fv(GLint location, GLsizei, GLboolean, const GLfloat* values) {
    stub::log("Uniform");
    std::memcpy(state.programs[state.program].uniformValues[location].data(), values, 16 * sizeof(GLfloat));
}
void emscripten_glUseProgram(GLuint program) {
    stub::log("UseProgram");
    state.program = program;
}
void emscripten_glVertexAttrib4fv(GLuint index, const GLfloat* values) {
    stub::log("VertexAttrib4fv");
    std::memcpy(state.constants[index], values, 4 * sizeof(GLfloat));
}
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalised, GLsizei stride,
                                      const void* offset) {
    stub::log("VertexAttribPointer");
    state.pointers[index] = {state.arrayBuffer, size, type, normalised != 0, stride,
                             reinterpret_cast<size_t>(offset)};
}
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    stub::log("Viewport");
    const GLint v[4] = {x, y, width, height};
    std::memcpy(state.viewport, v, sizeof v);
}

}  // extern "C"
