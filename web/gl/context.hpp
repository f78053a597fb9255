// The GL 1.1 subset's own state and the functions its files share. Vertices given between
// glBegin and glEnd are assembled into triangles and lines on the CPU (flat shading, quads,
// strips, wide lines) and gathered into one batch; the batch goes to WebGL in one buffer upload
// when something that changes how it would be drawn is about to change, and at the frame's swap.
// Geometry kept on the GPU (kept.hpp) is drawn from buffers of its own.
#pragma once
#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace webgl {

// ---- state --------------------------------------------------------------------------------------

struct Matrix {
    GLfloat m[16];  // column-major, as GL hands matrices over
};

constexpr int kModelViewDepth = 32;
constexpr int kProjectionDepth = 32;
constexpr int kTextureDepth = 10;
constexpr int kAttributeDepth = 16;

struct MatrixStack {
    Matrix items[kModelViewDepth];
    int top = 0;        // index of the current matrix
    int capacity = 0;   // GL's depth for this stack
};

struct TextureObject {
    GLuint webglName = 0;          // 0 until glTexImage2D or a parameter first needs it
    int width = 0, height = 0;     // of level 0
    bool alphaOnly = false;        // an ALPHA texture: texels carry only alpha
    GLenum format = GL_RGB;        // the WebGL format it is kept in
    GLenum minFilter = 0x2702, magFilter = GL_LINEAR;  // GL's defaults (nearest mipmap linear)
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLfloat border[4] = {0, 0, 0, 0};
};

// What glPushAttrib can save: everything that is not a matrix, a texture object or pixel store.
struct AttributeState {
    bool depthTest = false, cullFace = false, scissorTest = false, alphaTest = false,
         texture2D = false;                              // GL_ENABLE_BIT
    GLint scissorBox[4] = {0, 0, 0, 0};                  // GL_SCISSOR_BIT
    GLint viewport[4] = {0, 0, 0, 0};                    // GL_VIEWPORT_BIT
    GLfloat clearColour[4] = {0, 0, 0, 0};               // GL_COLOR_BUFFER_BIT
    GLenum alphaFunction = GL_ALWAYS;                    //   "
    GLfloat alphaReference = 0;                          //   "
    GLenum readBuffer = GL_BACK_LEFT;                    // GL_PIXEL_MODE_BIT
    GLenum shadeModel = GL_SMOOTH;                       // GL_LIGHTING_BIT
    GLfloat lineWidth = 1;                               // GL_LINE_BIT
    GLenum polygonFront = GL_FILL, polygonBack = GL_FILL;  // GL_POLYGON_BIT
    GLenum frontFace = GL_CCW;                           //   "
    GLuint boundTexture = 0;                             // GL_TEXTURE_BIT
    GLenum textureEnvMode = GL_MODULATE;                 //   "
    GLenum matrixMode = GL_MODELVIEW;                    // GL_TRANSFORM_BIT
    GLfloat colour[4] = {1, 1, 1, 1};                    // GL_CURRENT_BIT
    GLfloat texCoord[4] = {0, 0, 0, 1};                  //   "
    GLfloat normal[3] = {0, 0, 1};                       //   "
    GLfloat rasterPosition[4] = {0, 0, 0, 1};            //   " (window coordinates)
    GLfloat rasterColour[4] = {1, 1, 1, 1};              //   "
    bool rasterValid = true;                             //   "
};

// One vertex as the shaders take it: position (object or clip space), colour, texture coordinates.
struct Vertex {
    GLfloat position[4];
    std::uint8_t colour[4];
    GLfloat texCoord[4];
};

// How a batch's positions are to be taken.
enum class Space {
    object,  // through the projection and modelview matrices
    clip,    // already in clip space (wide lines made quads)
    window,  // bitmaps: clip space over the whole drawing buffer, from the bitmap atlas
};

struct Draw {
    GLenum mode;   // GL_TRIANGLES or GL_LINES
    int first, count;
};

// Assembled vertices and the draw calls over them: the frame's batch, or geometry being kept.
struct VertexBatch {
    std::vector<Vertex> vertices;  // capacity is kept between frames: steady frames never grow it
    std::vector<Draw> draws;
};

struct Context {
    AttributeState attributes;
    AttributeState saved[kAttributeDepth];
    GLbitfield savedMasks[kAttributeDepth];
    int savedCount = 0;

    MatrixStack modelView, projection, texture;
    MatrixStack* current = &modelView;

    GLenum error = GL_NO_ERROR;
    bool checkWebglErrors = false;       // an upload since the last glGetError may have failed
    int packAlignment = 4, unpackAlignment = 4;

    // Between glBegin and glEnd.
    bool inside = false;
    GLenum primitive = GL_POINTS;

    // The pending batch, or while geometry is being kept (kept.cpp) the kept geometry's.
    Space space = Space::object;
    int vertexCount = 0;                 // vertices in the frame's batch
    VertexBatch* keeping = nullptr;      // assembly goes here instead of the frame's batch

    int drawingWidth = 0, drawingHeight = 0;  // the canvas's drawing buffer
};

extern Context context;

// ---- small conversions ----------------------------------------------------------------------------

// GL's clamp of colours, references and border colours to [0, 1]; NaN becomes 0.
inline GLfloat clampUnit(GLfloat value) { return value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f; }

// A colour component as the byte the vertex buffers carry.
inline std::uint8_t colourByte(GLfloat value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255.0f));
}

inline bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Bytes a pixel of `format` takes as unsigned bytes; 0 for a format this subset does not take.
inline int components(GLenum format) {
    switch (format) {
        case GL_RED: case GL_ALPHA: case GL_LUMINANCE: return 1;
        case GL_RGB: return 3;
        case GL_RGBA: return 4;
        default: return 0;
    }
}

// A row of `rowBytes` bytes padded to the pixel store's `alignment`.
inline int paddedRowBytes(int rowBytes, int alignment) { return (rowBytes + alignment - 1) / alignment * alignment; }

// ---- shared functions ---------------------------------------------------------------------------

// Records an error unless one is already waiting to be read.
void setError(GLenum error);
// Draws the pending batch, if any.
void flush();
// Called before a state change that alters how pending vertices would be drawn.
inline void beforeChange() {
    if (context.vertexCount > 0) flush();
}

// Reserves room for `count` vertices of `mode` in `space` and returns where to write them.
Vertex* batchVertices(Space space, GLenum mode, int count);

// glClear's work: the pending batch first, then the clear with the scissor box.
void clearBuffers(GLbitfield mask);
// Binds a texture in WebGL for an upload (the draw code keeps track of WebGL's binding).
void bindForUpload(GLuint webglName);
// Draws vertices already in a WebGL buffer (kept geometry) with the current state and matrices.
// `colours`/`texCoords`: whether the buffer's own are used, else the current colour/coordinates.
void drawBuffer(GLuint buffer, const Draw* draws, int drawCount, bool colours, bool texCoords);
// A new WebGL buffer holding the vertices, for geometry drawn many times.
GLuint keepInBuffer(const std::vector<Vertex>& vertices);

// The product projection x modelview, and a point through it.
void modelViewProjection(GLfloat out[16]);
void transformPoint(const GLfloat m[16], const GLfloat in[4], GLfloat out[4]);

// Display lists: every call GL compiles into a list has an Op. A call first offers itself to
// record(); it returns true when the call is only to be recorded (GL_COMPILE), false when it is to
// run as well (GL_COMPILE_AND_EXECUTE) or no list is being compiled. Arguments travel as 32-bit
// words (floats, enums, masks); larger data (matrices, images, bitmaps) goes with `data`.
enum class Op : std::uint8_t {
    begin, end, vertex, colour, texCoord, normal, lineWidth, shadeModel, enable, disable, callList,
    matrixMode, loadIdentity, loadMatrix, multiplyMatrix, pushMatrix, popMatrix, rotate, translate,
    ortho, bindTexture, texParameter, texBorderColour, texEnv, texImage, texSubImage, clearColour,
    clear, alphaFunction, scissor, viewport, polygonMode, frontFace, pushAttributes, popAttributes,
    rasterPosition, bitmap, readBuffer, drawKept,
};
union Word {
    GLfloat f;
    GLint i;
    GLuint u;
};
constexpr int kCommandWords = 9;
inline Word wordOf(GLint value) { Word w; w.i = value; return w; }
inline Word wordOf(GLuint value) { Word w; w.u = value; return w; }
inline Word wordOf(GLfloat value) { Word w; w.f = value; return w; }
bool record(Op op, const Word* words, int wordCount, const void* data = nullptr, int dataBytes = 0);
bool record(Op op, GLfloat a = 0, GLfloat b = 0, GLfloat c = 0, GLfloat d = 0);
bool recordWords(Op op, GLuint a, GLuint b = 0, GLuint c = 0, GLuint d = 0);
// Lists are replayed through the GL entry points; while one plays, nothing is recorded again.
bool replaying();

// The pixel-taking calls, with the unpack alignment given rather than taken from the pixel store
// (a list replays its data with the alignment it was recorded with).
void texImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
              GLenum format, GLenum type, const GLvoid* pixels, int alignment);
void texSubImage(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                 GLenum type, const GLvoid* pixels, int alignment);
void bitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove,
            GLfloat yMove, const GLubyte* bits, int alignment);
// Matrix calls with single-precision arguments, as lists keep them.
void multiplyCurrentMatrix(const GLfloat m[16]);
void setMatrixMode(GLenum mode);
void ortho(GLfloat left, GLfloat right, GLfloat bottom, GLfloat top, GLfloat near, GLfloat far);
// Bytes of a w x h image of `format` unsigned bytes, rows padded to `alignment`.
inline int imageBytes(int width, int height, GLenum format, int alignment) {
    return paddedRowBytes(width * components(format), alignment) * (height - 1) + width * components(format);
}

// Texture objects by GL name (0: the default texture).
TextureObject& textureObject(GLuint name);
TextureObject* boundTextureObject();

// The bitmap atlas: a glBitmap's bits as a place in the atlas texture (in texels).
bool bitmapInAtlas(const GLubyte* bits, int width, int height, int rowBytes, int& atlasX, int& atlasY);
GLuint bitmapAtlasTexture();
constexpr int kBitmapAtlasSize = 512;

// Every matrix stack back to one identity matrix (when the context is made).
void resetMatrices();
// Whether the current texture matrix is the identity (the shader then skips it).
bool textureMatrixIsIdentity();

// The state of a fresh context for a drawing buffer of the given size (the GLUT layer calls it
// once the WebGL context exists), and the buffer's size after the canvas was resized.
void startContext(int width, int height);
void setDrawingSize(int width, int height);

}  // namespace webgl
