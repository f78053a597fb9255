// The raster position, bitmaps and reading pixels back. A bitmap's bits are kept once in an
// atlas texture (the fonts' glyphs are static data, so each is sent once) and drawn as a quad
// of the batch at the raster position, in the raster colour, at the raster depth.
#include "pixels.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "context.hpp"
#include "draw.hpp"
#include "matrices.hpp"
#include "webgl.hpp"

namespace gl11 {

namespace {

// ---- the bitmap atlas ---------------------------------------------------------------------------

void resetAtlas() {
    BitmapAtlas& atlas = context.atlas;
    for (AtlasEntry& e : atlas.slots) e = AtlasEntry{};
    atlas.used = 0;
    atlas.copies.clear();
    atlas.shelfX = atlas.shelfY = atlas.shelfHeight = 0;
}

// The slot of a key: its entry, or the free slot where it would go.
AtlasEntry& slotFor(const GLubyte* bits, int width, int height, int rowBytes) {
    BitmapAtlas& atlas = context.atlas;
    std::uintptr_t hash = reinterpret_cast<std::uintptr_t>(bits) * 2654435761u;
    hash ^= static_cast<std::uintptr_t>(width * 31 + height) * 40503u + static_cast<std::uintptr_t>(rowBytes);
    for (int probe = 0;; ++probe) {
        AtlasEntry& e = atlas.slots[(hash + probe) & (kAtlasSlots - 1)];
        if (!e.bits || (e.bits == bits && e.width == width && e.height == height && e.rowBytes == rowBytes)) return e;
    }
}

void makeAtlasTexture() {
    BitmapAtlas& atlas = context.atlas;
    if (atlas.texture != 0) return;
    emscripten_glGenTextures(1, &atlas.texture);
    bindForUpload(atlas.texture);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kBitmapAtlasSize, kBitmapAtlasSize, 0, GL_ALPHA,
                            GL_UNSIGNED_BYTE, nullptr);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, webgl::kClampToEdge);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, webgl::kClampToEdge);
}

// A window position in the clip coordinates of the whole drawing buffer (bitmaps ignore the viewport).
void windowToClip(GLfloat x, GLfloat y, GLfloat out[2]) {
    out[0] = context.drawingWidth > 0 ? 2.0f * x / context.drawingWidth - 1.0f : 0.0f;
    out[1] = context.drawingHeight > 0 ? 2.0f * y / context.drawingHeight - 1.0f : 0.0f;
}

// A bitmap's bits as a place in the atlas texture (in texels), the texture made when first needed.
bool bitmapInAtlas(const GLubyte* bits, int width, int height, int rowBytes, int& atlasX, int& atlasY) {
    BitmapAtlas& atlas = context.atlas;
    if (width > kBitmapAtlasSize || height > kBitmapAtlasSize) return false;
    // GL reads no padding after the last row.
    const size_t size = static_cast<size_t>(rowBytes) * (height - 1) + (width + 7) / 8;
    AtlasEntry* entry = &slotFor(bits, width, height, rowBytes);
    if (entry->bits && std::memcmp(&atlas.copies[entry->copyOffset], bits, size) == 0) {
        atlasX = entry->x;
        atlasY = entry->y;
        return true;
    }
    // A new place on the shelf, a new shelf, or (full) a fresh atlas once the batch is drawn.
    if (atlas.shelfX + width + 1 > kBitmapAtlasSize) {
        atlas.shelfY += atlas.shelfHeight + 1;
        atlas.shelfX = 0;
        atlas.shelfHeight = 0;
    }
    if (atlas.shelfY + height + 1 > kBitmapAtlasSize || atlas.used == kAtlasSlotsUsable) {
        flush();
        resetAtlas();
        entry = &slotFor(bits, width, height, rowBytes);
    }
    const int x = atlas.shelfX, y = atlas.shelfY;
    atlas.shelfX += width + 1;
    if (height > atlas.shelfHeight) atlas.shelfHeight = height;
    atlas.block.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool set = bits[row * rowBytes + column / 8] & (0x80 >> (column % 8));
            atlas.block[row * width + column] = set ? 255 : 0;
        }
    }
    makeAtlasTexture();
    bindForUpload(atlas.texture);
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_ALPHA, GL_UNSIGNED_BYTE, atlas.block.data());
    if (!entry->bits) ++atlas.used;
    *entry = AtlasEntry{bits, width, height, rowBytes, x, y, atlas.copies.size()};
    atlas.copies.insert(atlas.copies.end(), bits, bits + size);
    atlasX = x;
    atlasY = y;
    return true;
}

// The raster position: the point through the matrices and the viewport, valid when inside the
// view volume; it takes the current colour as the raster colour.
void rasterPosition(GLfloat x, GLfloat y, GLfloat z) {
    AttributeState& a = context.attributes;
    GLfloat toClip[16], clip[4];
    modelViewProjection(toClip);
    const GLfloat point[4] = {x, y, z, 1.0f};
    transformPoint(toClip, point, clip);
    const GLfloat w = clip[3];
    if (!(w > 0.0f) || std::fabs(clip[0]) > w || std::fabs(clip[1]) > w || std::fabs(clip[2]) > w) {
        a.rasterValid = false;
        return;
    }
    a.rasterValid = true;
    const GLint* v = a.viewport;
    a.rasterPosition[0] = v[0] + (clip[0] / w + 1.0f) * v[2] / 2.0f;
    a.rasterPosition[1] = v[1] + (clip[1] / w + 1.0f) * v[3] / 2.0f;
    a.rasterPosition[2] = (clip[2] / w + 1.0f) / 2.0f;
    a.rasterPosition[3] = w;
    std::memcpy(a.rasterColour, a.colour, sizeof a.rasterColour);
}

}  // namespace

// Bits set draw fragments from the floored raster position less the origin (with Mesa's small
// epsilon), rows bottom first, each row padded to `alignment`.
void bitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove, GLfloat yMove,
            const GLubyte* bits, int alignment) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    if (context.inside) return setError(GL_INVALID_OPERATION);
    AttributeState& a = context.attributes;
    if (!a.rasterValid) return;
    int atlasX = 0, atlasY = 0;
    const int rowBytes = paddedRowBytes((width + 7) / 8, alignment);
    if (width > 0 && height > 0 && bits && bitmapInAtlas(bits, width, height, rowBytes, atlasX, atlasY)) {
        constexpr GLfloat kEpsilon = 0.0001f;
        const GLfloat x = std::floor(a.rasterPosition[0] + kEpsilon - xOrigin);
        const GLfloat y = std::floor(a.rasterPosition[1] + kEpsilon - yOrigin);
        GLfloat low[2], high[2];
        windowToClip(x, y, low);
        windowToClip(x + width, y + height, high);
        const GLfloat z = a.rasterPosition[2] * 2.0f - 1.0f;
        const GLfloat s0 = static_cast<GLfloat>(atlasX) / kBitmapAtlasSize;
        const GLfloat t0 = static_cast<GLfloat>(atlasY) / kBitmapAtlasSize;
        const GLfloat s1 = static_cast<GLfloat>(atlasX + width) / kBitmapAtlasSize;
        const GLfloat t1 = static_cast<GLfloat>(atlasY + height) / kBitmapAtlasSize;
        const GLfloat corners[4][4] = {{low[0], low[1], s0, t0}, {high[0], low[1], s1, t0},
                                       {high[0], high[1], s1, t1}, {low[0], high[1], s0, t1}};
        const int order[6] = {0, 1, 2, 0, 2, 3};
        Vertex* out = batchVertices(Space::window, GL_TRIANGLES, 6);
        for (int k = 0; k < 6; ++k) {
            const GLfloat* c = corners[order[k]];
            Vertex& v = out[k];
            v.position[0] = c[0];
            v.position[1] = c[1];
            v.position[2] = z;
            v.position[3] = 1.0f;
            for (int i = 0; i < 4; ++i) v.colour[i] = colourByte(a.rasterColour[i]);
            v.texCoord[0] = c[2];
            v.texCoord[1] = c[3];
            v.texCoord[2] = 0.0f;
            v.texCoord[3] = 1.0f;
        }
    }
    a.rasterPosition[0] += xMove;
    a.rasterPosition[1] += yMove;
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glRasterPos3d(GLdouble x, GLdouble y, GLdouble z) {
    const GLfloat position[3] = {static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z)};
    if (recordedOnly(Op::rasterPosition, {wordOf(position[0]), wordOf(position[1]), wordOf(position[2])})) return;
    if (context.inside) return setError(GL_INVALID_OPERATION);
    rasterPosition(position[0], position[1], position[2]);
}

void glRasterPos2f(GLfloat x, GLfloat y) { glRasterPos3d(x, y, 0.0); }

// Recorded with a copy of the bits as the pixel store lays them out now.
void glBitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove,
              GLfloat yMove, const GLubyte* bits) {
    const int alignment = context.unpackAlignment;
    const int lastRow = (width + 7) / 8;  // GL reads no padding after the last row
    const int bytes = bits && width > 0 && height > 0 ? paddedRowBytes(lastRow, alignment) * (height - 1) + lastRow : 0;
    if (recordedOnly(Op::bitmap, {wordOf(width), wordOf(height), wordOf(xOrigin), wordOf(yOrigin), wordOf(xMove),
                                  wordOf(yMove), wordOf(alignment)}, bits, bytes)) {
        return;
    }
    bitmap(width, height, xOrigin, yOrigin, xMove, yMove, bits, alignment);
}

void glReadBuffer(GLenum mode) {
    if (recordedOnly(Op::readBuffer, {wordOf(mode)})) return;
    switch (mode) {
        case GL_FRONT_LEFT: case GL_BACK_LEFT: case GL_FRONT: case GL_BACK: case GL_FRONT_AND_BACK:
            context.attributes.readBuffer = mode;
            break;
        default: setError(GL_INVALID_ENUM);
    }
}

// WebGL reads RGBA bytes; they are converted to the format and type asked for, rows bottom
// first, each padded to the pack alignment. Pixels outside the drawing buffer are left as they are.
void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                  GLvoid* pixels) {
    if (width < 0 || height < 0) return setError(GL_INVALID_VALUE);
    const int count = components(format);
    if (count == 0 || (type != GL_UNSIGNED_BYTE && type != GL_FLOAT)) return setError(GL_INVALID_ENUM);
    if (context.inside) return setError(GL_INVALID_OPERATION);
    flush();
    const int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    const int x1 = x + width > context.drawingWidth ? context.drawingWidth : x + width;
    const int y1 = y + height > context.drawingHeight ? context.drawingHeight : y + height;
    if (x1 <= x0 || y1 <= y0) return;
    const int readWidth = x1 - x0, readHeight = y1 - y0;
    std::vector<GLubyte>& rgba = context.readBack;
    rgba.resize(static_cast<size_t>(readWidth) * readHeight * 4);
    emscripten_glReadPixels(x0, y0, readWidth, readHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const int size = type == GL_FLOAT ? 4 : 1;
    const int align = context.packAlignment;
    const size_t rowBytes = static_cast<size_t>(paddedRowBytes(width * count * size, align));
    auto* out = static_cast<GLubyte*>(pixels);
    for (int row = 0; row < readHeight; ++row) {
        GLubyte* line = out + static_cast<size_t>(y0 - y + row) * rowBytes +
                        static_cast<size_t>(x0 - x) * count * size;
        const GLubyte* source = &rgba[static_cast<size_t>(row) * readWidth * 4];
        for (int column = 0; column < readWidth; ++column) {
            const GLubyte* p = source + column * 4;
            GLubyte values[4];
            switch (format) {
                case GL_RED: values[0] = p[0]; break;
                case GL_ALPHA: values[0] = p[3]; break;
                case GL_LUMINANCE: {
                    const int sum = p[0] + p[1] + p[2];
                    values[0] = static_cast<GLubyte>(sum > 255 ? 255 : sum);
                    break;
                }
                default: std::memcpy(values, p, 4); break;
            }
            for (int k = 0; k < count; ++k) {
                if (type == GL_FLOAT) {
                    const GLfloat value = values[k] / 255.0f;
                    std::memcpy(line + (column * count + k) * 4, &value, 4);
                } else {
                    line[column * count + k] = values[k];
                }
            }
        }
    }
}

}  // extern "C"
