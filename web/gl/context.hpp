// The GL 1.1 subset's own state and the functions its files share. Vertices given between
// glBegin and glEnd are assembled into triangles and lines on the CPU (flat shading, quads,
// strips, wide lines) and gathered into one batch; the batch goes to WebGL in one buffer upload
// when something that changes how it would be drawn is about to change, and at the frame's swap.
#pragma once
#include <GL/gl.h>

#include <cstdint>

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

struct Context {
    AttributeState a;
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

    // The pending batch.
    Space space = Space::object;
    int drawCount = 0;
    int vertexCount = 0;

    int drawingWidth = 0, drawingHeight = 0;  // the canvas's drawing buffer
};

extern Context context;

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

// The product projection x modelview, and a point through it.
void modelViewProjection(GLfloat out[16]);
void transformPoint(const GLfloat m[16], const GLfloat in[4], GLfloat out[4]);

// Display lists: the calls a list records. recording() stores the call in the list being
// compiled and returns true (the call is then not executed); outside glNewList it returns false.
enum class Op : std::uint8_t {
    begin, end, vertex, colour, texCoord, normal, lineWidth, shadeModel, enable, disable,
    callList, matrixMode, loadIdentity, pushMatrix, popMatrix, rotate, translate, bindTexture,
};
bool recording(Op op, GLfloat a = 0, GLfloat b = 0, GLfloat c = 0, GLfloat d = 0);

// Texture objects by GL name (0: the default texture).
TextureObject& textureObject(GLuint name);
TextureObject* boundTextureObject();

// The bitmap atlas: a glBitmap's bits as a place in the atlas texture (in texels).
bool bitmapInAtlas(const GLubyte* bits, int width, int height, int rowBytes, int& atlasX, int& atlasY);
GLuint bitmapAtlasTexture();
constexpr int kBitmapAtlasSize = 512;

// Every matrix stack back to one identity matrix (when the context is made).
void resetMatrices();

// The state of a fresh context for a drawing buffer of the given size (the GLUT layer calls it
// once the WebGL context exists), and the buffer's size after the canvas was resized.
void startContext(int width, int height);
void setDrawingSize(int width, int height);

}  // namespace webgl
