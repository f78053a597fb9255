// The WebGL 1 calls the GL subset is built on, by emscripten's own aliases (emscripten_glXxx),
// so that the GL 1.1 names stay free for the subset itself, and the page's failure hook. Nothing
// else of the browser is used by web/gl/ (but web/gl/browser/, the hook's JavaScript), so a
// native build can put a recording stand-in behind these declarations. Declared here rather than
// through GLES2/gl2.h, whose GL 1.1 names and constants would clash with our GL/gl.h.
#pragma once
#include <GL/gl.h>

extern "C" {
void emscripten_glActiveTexture(GLenum texture);
void emscripten_glAttachShader(GLuint program, GLuint shader);
void emscripten_glBindAttribLocation(GLuint program, GLuint index, const char* name);
void emscripten_glBindBuffer(GLenum target, GLuint buffer);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glBufferData(GLenum target, long size, const void* data, GLenum usage);
void emscripten_glClear(GLbitfield mask);
void emscripten_glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void emscripten_glCompileShader(GLuint shader);
GLuint emscripten_glCreateProgram(void);
GLuint emscripten_glCreateShader(GLenum type);
void emscripten_glCullFace(GLenum mode);
void emscripten_glDeleteProgram(GLuint program);
void emscripten_glDeleteShader(GLuint shader);
void emscripten_glDisable(GLenum capability);
void emscripten_glDisableVertexAttribArray(GLuint index);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glEnable(GLenum capability);
void emscripten_glEnableVertexAttribArray(GLuint index);
void emscripten_glFlush(void);
void emscripten_glFrontFace(GLenum mode);
void emscripten_glGenBuffers(GLsizei count, GLuint* buffers);
void emscripten_glGenTextures(GLsizei count, GLuint* textures);
GLenum emscripten_glGetError(void);
void emscripten_glGetIntegerv(GLenum name, GLint* values);
void emscripten_glGetProgramInfoLog(GLuint program, GLsizei size, GLsizei* length, char* log);
void emscripten_glGetProgramiv(GLuint program, GLenum name, GLint* value);
void emscripten_glGetShaderInfoLog(GLuint shader, GLsizei size, GLsizei* length, char* log);
void emscripten_glGetShaderiv(GLuint shader, GLenum name, GLint* value);
GLint emscripten_glGetUniformLocation(GLuint program, const char* name);
void emscripten_glLineWidth(GLfloat width);
void emscripten_glLinkProgram(GLuint program);
void emscripten_glPixelStorei(GLenum name, GLint value);
void emscripten_glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, void* pixels);
void emscripten_glScissor(GLint x, GLint y, GLsizei width, GLsizei height);
void emscripten_glShaderSource(GLuint shader, GLsizei count, const char* const* source,
                               const GLint* length);
void emscripten_glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width,
                             GLsizei height, GLint border, GLenum format, GLenum type,
                             const void* pixels);
void emscripten_glTexParameteri(GLenum target, GLenum name, GLint value);
void emscripten_glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width,
                                GLsizei height, GLenum format, GLenum type, const void* pixels);
void emscripten_glUniform1i(GLint location, GLint value);
void emscripten_glUniform1f(GLint location, GLfloat value);
void emscripten_glUniform2f(GLint location, GLfloat x, GLfloat y);
void emscripten_glUniform4fv(GLint location, GLsizei count, const GLfloat* values);
void emscripten_glUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose,
                                   const GLfloat* values);
void emscripten_glUseProgram(GLuint program);
void emscripten_glVertexAttrib4fv(GLuint index, const GLfloat* values);
void emscripten_glVertexAttribPointer(GLuint index, GLint size, GLenum type, GLboolean normalised,
                                      GLsizei stride, const void* offset);
void emscripten_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);

// The browser console's log, as emscripten's own header declares it.
void emscripten_log(int flags, const char* format, ...);

// Tells the page of a failure it must explain (Module.orvexPage.failed(code, detail), when the
// page has that hook); web/gl/browser/page.cpp defines it for the browser.
void orvexPageFailed(const char* code, const char* detail);
}

// WebGL names that GL 1.1 lacks (the GL subset itself is namespace gl11).
namespace webgl {
constexpr int kLogError = 4;  // emscripten_log's EM_LOG_ERROR
constexpr GLenum kArrayBuffer = 0x8892;
constexpr GLenum kStreamDraw = 0x88E0;
constexpr GLenum kStaticDraw = 0x88E4;
constexpr GLenum kFragmentShader = 0x8B30;
constexpr GLenum kVertexShader = 0x8B31;
constexpr GLenum kCompileStatus = 0x8B81;
constexpr GLenum kLinkStatus = 0x8B82;
constexpr GLenum kClampToEdge = 0x812F;
constexpr GLenum kTexture0 = 0x84C0;
constexpr GLenum kUnpackFlipY = 0x9240;
}  // namespace webgl
