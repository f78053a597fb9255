// A recording stand-in for WebGL under the browser's GL subset, built natively: it implements
// every emscripten_gl* call of web/gl/webgl.hpp, keeps buffers, textures and uniforms as WebGL
// would, and at each draw takes the vertices it draws through the vertex shader's arithmetic
// (position by the transform, texture coordinates by the texture matrix when compiled in), so a
// test reads back the triangles and lines actually drawn. It allocates nothing once warmed up.
#pragma once
#include <GL/gl.h>

#include <string>
#include <vector>

namespace stub {

// One vertex as drawn: what the attributes gave and where the transform put it.
struct DrawnVertex {
    GLfloat position[4];  // the position attribute
    GLfloat clip[4];      // transform x position
    GLfloat colour[4];    // 0..1
    GLfloat texCoord[4];  // after the texture matrix when the program has one
};

// One glDrawArrays and the state it drew with.
struct DrawCall {
    GLenum mode;
    int first, count;     // into stub::state.drawn
    GLuint program, texture;
    bool depthTest, cullFace, scissorTest;
    GLint viewport[4];
};

struct Program {
    std::string source;  // vertex and fragment sources as given, for their #defines
    std::vector<std::string> uniformNames;  // location = index
    std::vector<std::vector<GLfloat>> uniformValues;
};

struct Texture {
    int width = 0, height = 0;
    GLenum format = 0;
    std::vector<unsigned char> texels;  // tightly packed rows, bottom first
    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
};

struct State {
    std::vector<std::vector<unsigned char>> buffers{1};  // by name
    std::vector<Texture> textures{1};
    std::vector<Program> programs{1};
    std::vector<std::string> shaderSources{1};
    GLuint arrayBuffer = 0, texture = 0, program = 0;
    struct Pointer { GLuint buffer; GLint size; GLenum type; bool normalised; GLsizei stride; size_t offset; };
    Pointer pointers[3] = {};
    bool arrays[3] = {};
    GLfloat constants[3][4] = {};
    bool depthTest = false, cullFace = false, scissorTest = false;
    GLint viewport[4] = {}, unpackAlignment = 4;
    GLfloat clearColour[4] = {};

    std::vector<DrawCall> draws;         // since the last reset
    std::vector<DrawnVertex> drawn;
    std::vector<const char*> calls;      // every call's name since the last reset
    std::vector<GLbitfield> clears;
    bool failCompile = false, failLink = false;
    std::string lastLog;                 // what the subset last logged
    std::vector<std::string> pageFailures;  // "code: detail" of each failure the page was told
    std::vector<unsigned char> screen;   // RGBA rows glReadPixels reads from (width = screenWidth)
    int screenWidth = 0;
};
extern State state;

// Forgets the calls and draws (objects stay: the subset keeps them across its contexts).
void clearRecord();
// How many times a call was made since the last reset.
int count(const char* name);
// The vertices of every triangle (or line) drawn since the last reset, in order, by mode.
std::vector<DrawnVertex> drawnOf(GLenum mode);

}  // namespace stub
