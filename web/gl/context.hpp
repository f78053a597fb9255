// The GL 1.1 subset's one state: every value the subset keeps lives in `context`, grouped by the
// file that owns it, each with its initial value here. startContext (window.hpp) makes it afresh.
// Also the small conversions between GL's values and what WebGL is sent.
#pragma once
#include <GL/gl.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "calls.hpp"

namespace gl11 {

// ---- matrices (matrices.cpp) ----------------------------------------------------------------------

struct Matrix {
    GLfloat m[16];  // column-major, as GL hands matrices over
};
constexpr Matrix kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

constexpr int kModelViewDepth = 32;
constexpr int kProjectionDepth = 32;
constexpr int kTextureDepth = 10;

struct MatrixStack {
    Matrix items[kModelViewDepth] = {kIdentity};  // items[0..top]; a new stack holds the identity
    int top = 0;                                  // index of the current matrix
    int capacity = kModelViewDepth;               // GL's depth for this stack
};

// ---- attributes (state.cpp) -----------------------------------------------------------------------

constexpr int kAttributeDepth = 16;

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

// ---- vertices and the batch (vertices.cpp, draw.cpp) ---------------------------------------------

// One vertex as the shaders take it: position, colour, texture coordinates.
struct Vertex {
    GLfloat position[4];
    std::uint8_t colour[4];
    GLfloat texCoord[4];
};

// How a draw's positions are to be taken.
enum class Space {
    object,  // through the projection and modelview matrices (kept geometry)
    clip,    // clip coordinates through the viewport (the batch: assembled under the matrices)
    window,  // bitmaps: clip coordinates over the whole drawing buffer, from the bitmap atlas
    wideLines,  // kept line segments as quads' corners, widened in the vertex shader (kept.cpp)
};

struct Draw {
    GLenum mode;  // GL_TRIANGLES or GL_LINES
    int first, count;
};

// Assembled vertices and the draws over them: the frame's batch, or geometry being kept.
struct VertexBatch {
    std::vector<Vertex> vertices;  // capacity is kept between frames: steady frames never grow it
    std::vector<Draw> draws;
};

// ---- WebGL and its programs (draw.cpp) -----------------------------------------------------------

// What WebGL was last told, so that only changes are sent.
struct WebglShadow {
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

// A linked program, its uniforms' locations and the values they were last given (NaN: never).
struct Program {
    int key = -1;                        // the shader bits it was made for (-1: a free slot)
    GLuint name = 0;                     // 0: its shaders did not compile or link; nothing draws with it
    unsigned lastUsed = 0;               // the cache's clock when a draw last used it
    GLint transform = -1, textureMatrix = -1, sampler = -1, border = -1, texelCount = -1,
          clampAxes = -1, repeatAxes = -1, alphaReference = -1, viewportSize = -1, lineWidth = -1;
    GLfloat sentTransform[16], sentTextureMatrix[16], sentBorder[4], sentTexelCount[2], sentClampAxes[2],
        sentRepeatAxes[2], sentAlphaReference[1], sentViewportSize[2], sentLineWidth[1];
};

constexpr int kMaxPrograms = 48;

struct ProgramCache {
    Program programs[kMaxPrograms];      // the least recently used goes when all are taken
    int count = 0;                       // slots in use
    unsigned clock = 0;                  // counts the draws
};

// ---- textures (textures.cpp) -----------------------------------------------------------------------

struct TextureObject {
    GLuint webglName = 0;          // 0 until glTexImage2D or a parameter first needs it
    int width = 0, height = 0;     // of level 0
    bool alphaOnly = false;        // an ALPHA texture: texels carry only alpha
    GLenum format = GL_RGB;        // the WebGL format it is kept in
    GLenum minFilter = 0x2702, magFilter = GL_LINEAR;  // GL's defaults (nearest mipmap linear)
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
    GLfloat border[4] = {0, 0, 0, 0};
};

struct TextureTable {
    std::vector<TextureObject> objects = std::vector<TextureObject>(1);  // by GL name; 0 is the default
    GLuint nextName = 1;                 // glGenTextures' next name
    std::vector<GLubyte> converted;      // pixels converted for an upload; capacity is kept
};

// ---- bitmaps (pixels.cpp) ----------------------------------------------------------------------------

// A bitmap in the atlas, found by the caller's pointer and sizes; the copy of its bits tells
// changed data at the same place apart.
struct AtlasEntry {
    const GLubyte* bits = nullptr;   // null: a free slot
    int width = 0, height = 0, rowBytes = 0;
    int x = 0, y = 0;                // texel of the bitmap's first (bottom) row
    std::size_t copyOffset = 0;      // its bits in BitmapAtlas::copies
};

constexpr int kBitmapAtlasSize = 512;               // texels a side
constexpr int kAtlasSlots = 4096;                   // a power of two
constexpr int kAtlasSlotsUsable = kAtlasSlots / 2;  // probes stay short

// Each glBitmap's bits, kept once in an alpha texture (the fonts' glyphs are static data).
struct BitmapAtlas {
    GLuint texture = 0;              // made with the first bitmap
    AtlasEntry slots[kAtlasSlots];   // open addressing by hashed key
    int used = 0;
    std::vector<GLubyte> copies;     // the entries' bits; capacity is kept
    std::vector<GLubyte> block;      // one bitmap as alpha texels, for its upload
    int shelfX = 0, shelfY = 0, shelfHeight = 0;  // the free place on the current shelf
};

// ---- display lists and kept geometry (lists.cpp, kept.cpp) -------------------------------------

constexpr int kMaxCallDepth = 64;  // GL's limit on lists calling lists

struct ListTable {
    std::vector<CallList> lists = std::vector<CallList>(1);  // by name; 0 unused
    GLuint compiling = 0;            // the list being compiled, 0 = none
    GLenum mode = GL_COMPILE;        // its mode
    CallList recorded;               // what it has recorded so far
};

// Geometry captured once and drawn from the kept vertices' buffer (see kept.hpp).
// A few neighbouring primitives of a kept draw and a ball holding them (object coordinates), so
// that a pass can leave them out when they lie wholly beyond the near or the far plane.
struct KeptPiece {
    Draw primitives;
    GLfloat centre[3];
    GLfloat radius;
};

struct KeptGeometry {
    CallList calls;                  // what was captured, replayed when the buffer cannot serve
    bool assembled = false;          // false: always replayed (colours or coordinates on only some vertices)
    std::vector<Draw> draws;         // its triangles and thin lines in KeptStore::vertices
    std::vector<Draw> wideDraws;     // its lines as wide lines' corners (Space::wideLines), likewise
    std::vector<KeptPiece> pieces;   // `draws` cut into pieces, in order
    std::vector<KeptPiece> widePieces;  // `wideDraws` likewise
    bool fills = false, lines = false;  // it holds filled primitives, line primitives
    bool colours = false;            // colours given before the first vertex: the buffer's are used
    bool texCoords = false;          // texture coordinates given likewise
    int lastColour = -1;             // the commands that leave the current values behind (-1: none)
    int lastTexCoord = -1;
    int lastNormal = -1;
};

struct KeptStore {
    std::vector<KeptGeometry> kept = std::vector<KeptGeometry>(1);  // by number; 0 unused
    int capturing = 0;               // the geometry whose calls are being captured, 0 = none
    std::vector<Vertex> vertices;    // every kept geometry's, in one WebGL buffer ...
    GLuint buffer = 0;               // ... this one
    std::size_t uploaded = 0;        // vertices the buffer holds; fewer: sent again before a draw
    VertexBatch assembly;            // scratch for assembling captured calls
    std::vector<Draw> inDepth;       // scratch: the pieces a pass draws, joined into runs
};

// ---- the context ---------------------------------------------------------------------------------

struct Context {
    unsigned serial = 0;                 // which context this is: each startContext counts one more
    int drawingWidth = 0, drawingHeight = 0;  // the canvas's drawing buffer

    AttributeState attributes;           // the current attributes
    AttributeState saved[kAttributeDepth];  // glPushAttrib's stack ...
    GLbitfield savedMasks[kAttributeDepth] = {};  // ... and the mask of each
    int savedCount = 0;

    MatrixStack modelView;               // the three matrix stacks; attributes.matrixMode picks one
    MatrixStack projection{{kIdentity}, 0, kProjectionDepth};
    MatrixStack texture{{kIdentity}, 0, kTextureDepth};

    GLenum error = GL_NO_ERROR;          // the first error not yet read by glGetError
    bool checkWebglErrors = false;       // an upload since the last glGetError may have failed
    int packAlignment = 4, unpackAlignment = 4;  // the pixel store

    bool inside = false;                 // between glBegin and glEnd
    GLenum primitive = GL_POINTS;        // glBegin's mode
    std::vector<Vertex> primitiveVertices;  // the vertices since glBegin; capacity is kept

    VertexBatch batch;                   // the frame's pending vertices, drawn at the next flush
    Space batchSpace = Space::clip;      // how they are drawn
    VertexBatch* keeping = nullptr;      // assembly goes here instead of the batch (kept.cpp)

    WebglShadow webgl;                   // what WebGL was last told
    ProgramCache programs;               // the shaders chosen by state
    TextureTable textures;               // texture objects by GL name
    BitmapAtlas atlas;                   // glBitmap's bits as texels
    std::vector<GLubyte> readBack;       // glReadPixels' RGBA bytes; capacity is kept
    ListTable lists;                     // display lists by name
    KeptStore kept;                      // geometry kept on the GPU
    int playDepth = 0;                   // nesting of recorded calls being played back
};

extern Context context;

// Records an error unless one is already waiting to be read.
void setError(GLenum error);

// The object of the bound texture (glBindTexture makes the object of every name it binds).
inline TextureObject& boundTextureObject() { return context.textures.objects[context.attributes.boundTexture]; }

// ---- small conversions ---------------------------------------------------------------------------------

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

// Bytes of a w x h image of `format` unsigned bytes, rows padded to `alignment`; GL reads no
// padding after the last row.
inline int imageBytes(int width, int height, GLenum format, int alignment) {
    return paddedRowBytes(width * components(format), alignment) * (height - 1) + width * components(format);
}

}  // namespace gl11
