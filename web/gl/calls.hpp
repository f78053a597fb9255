// Recorded calls: how a display list (and geometry being kept, kept.hpp) holds the GL calls it
// compiles. Every call GL compiles into a list has an Op; its arguments travel as 32-bit words
// (floats, enums, masks, sizes) made by wordOf, larger data (matrices, images, bitmaps) as a copy
// of the bytes beside the list's commands.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace gl11 {

enum class Op : std::uint8_t {
    begin, end, vertex, colour, texCoord, normal, lineWidth, shadeModel, enable, disable, callList,
    matrixMode, loadIdentity, loadMatrix, multiplyMatrix, pushMatrix, popMatrix, rotate, translate,
    ortho, bindTexture, texParameter, texBorderColour, texEnv, texImage, texSubImage, clearColour,
    clear, alphaFunction, scissor, viewport, polygonMode, frontFace, pushAttributes, popAttributes,
    rasterPosition, bitmap, readBuffer, drawKept,
};

// The calls between glBegin and glEnd and the current values they set: what kept geometry holds.
inline bool isVertexCall(Op op) {
    return op == Op::begin || op == Op::end || op == Op::vertex || op == Op::colour || op == Op::texCoord ||
           op == Op::normal;
}

union Word {
    GLfloat f;
    GLint i;
    GLuint u;
};
inline Word wordOf(GLint value) { Word w; w.i = value; return w; }
inline Word wordOf(GLuint value) { Word w; w.u = value; return w; }
inline Word wordOf(GLfloat value) { Word w; w.f = value; return w; }

constexpr int kCommandWords = 9;  // glTexImage2D's eight arguments and the unpack alignment

struct Command {
    Op op;
    Word words[kCommandWords];
    std::uint32_t dataOffset, dataBytes;  // the command's data in its list's `data`
};

struct CallList {
    std::vector<Command> commands;
    std::vector<std::uint8_t> data;  // matrices, images and bitmaps the commands carry
};

// Offers a call to the display list being compiled and to the geometry being kept: records it
// where it belongs and says whether that was all. True: the call is recorded only and must not
// run now (GL_COMPILE, or a vertex call being kept); false: it runs now (no list is compiling,
// GL_COMPILE_AND_EXECUTE, or recorded calls are being played back, which are never recorded again).
bool recordedOnly(Op op, std::initializer_list<Word> words = {}, const void* data = nullptr, int dataBytes = 0);
// Appends a call to a list, with a copy of its data: what recordedOnly records with.
void appendCall(CallList& list, Op op, std::initializer_list<Word> words = {}, const void* data = nullptr,
                int dataBytes = 0);

}  // namespace gl11
