#include "startup/textures.hpp"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/bmp.hpp"
#include "model/state.hpp"
#include "platform/console.hpp"
#include "platform/fields.hpp"
#include "platform/memory.hpp"

namespace startup {

void textureMatrix(long long pictureWidth, long long pictureHeight, long long glWidth,
                   long long glHeight, const Table<double, 4>& extent, double m[16]) {
    for (int k = 0; k < 16; ++k) m[k] = 0.0;
    const double west = extent[1], east = extent[2], south = extent[3], north = extent[4];
    // Element (r, c) sits at position r + 4(c - 1), counted from 1.
    m[0] = static_cast<double>(pictureWidth) / static_cast<double>(glWidth) * 360.0 / (east - west);
    m[12] = -(west + 180.0) / 360.0;
    m[5] = static_cast<double>(pictureHeight) / static_cast<double>(glHeight) * 180.0 / (north - south);
    m[13] = -(south + 90.0) / 180.0;
    m[10] = 1.0;
    m[15] = 1.0;
}

void formatSizeLine(char* out, int outSize, const model::NameField& name, long long width,
                    long long height, long long glWidth, long long glHeight) {
    fields::TextLine line;
    line.ch(' ').chars(name.text, model::kNameLength).ch(':').i(width, 10).str(" by").i(height, 7);
    line.str(" OpenGL:").ch(':').i(glWidth, 10).str(" by").i(glHeight, 7);
    std::snprintf(out, static_cast<std::size_t>(outSize), "%s", line.c_str());
}

void importAll(PictureSet& pictures) {
    model::State& s = model::state;
    for (int i = 1; i <= s.imageCount; ++i) {
        int width = 0, height = 0, bytesPerPixel = 0;
        image::BmpPicture file;
        image::openBmp(s.imageFiles[i].text, s.fileUnit, file, width, height, bytesPerPixel);
        const long long glWidth = fitPowerOfTwo(width);
        const long long glHeight = fitPowerOfTwo(height);
        Picture& picture = pictures[i];
        picture.extentDegrees = {{-180.0, 180.0, -90.0, 90.0}};  // every picture covers the whole globe
        picture.width = width;
        picture.height = height;
        picture.bytes = static_cast<long long>(width) * height * 3;
        picture.glWidth = glWidth;
        picture.glHeight = glHeight;
        picture.glBytes = glWidth * glHeight * 3;  // sizes are 64-bit: no wrap for hostile headers

        char line[128];
        formatSizeLine(line, sizeof line, s.imageFiles[i], width, height, glWidth, glHeight);
        console::writeLine(line);

        // The reader's own checks run before the buffer is allocated, so a header that claims
        // more than its file holds never costs the memory it claims.
        image::checkBmpSize(file, width, height);
        // The picture's own sizes passed the reader's checks; its power-of-two texture may not.
        if (!image::textureFits(width, height)) console::stop(console::Failure::imageTooLarge, "Module BmpSupp(L112) BmpImpor: Halt.");
        // GL receives only the picture (see uploadImage), so only the picture is held here.
        picture.buffer = static_cast<std::uint8_t*>(memory::allocatePicture(static_cast<std::size_t>(picture.bytes)));
        if (!picture.buffer) console::ioFailure(console::Failure::outOfMemory, "cannot allocate the picture buffer of", s.imageFiles[i].text);
        int status = 0;
        image::readBmpPixels(file, picture.bytes, picture.buffer, 1, status);
    }
}

void setTextureParameters() {
    static const GLfloat border[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
}

// The sphere samples with repeat wrapping and a linear filter, which blends texels from beyond
// each edge of the picture into its outermost half texel: past the right edge and in the
// texture's last column (reached from the left edge), above the top row and in the texture's
// last row (reached from the bottom row). Those texels get the picture's true neighbours across
// each edge: the map wraps round in longitude, and each pole row meets itself. Where one spare
// column or row is both, the first column and the top row win.
static void fillSeams(const std::uint8_t* picture, GLsizei width, GLsizei height, GLsizei glWidth,
                      GLsizei glHeight) {
    auto pixel = [&](GLsizei x, GLsizei y) {
        return picture + 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(x));
    };
    auto sourceColumn = [&](GLsizei x) { return x < width ? x : x == width ? 0 : width - 1; };
    auto sourceRow = [&](GLsizei y) { return y < height ? y : y == height ? height - 1 : 0; };
    // Spare rows and columns: the one just past the picture and the texture's last, when distinct.
    const GLsizei rows[] = {height < glHeight ? height : -1, glHeight - 1 > height ? glHeight - 1 : -1};
    const GLsizei columns[] = {width < glWidth ? width : -1, glWidth - 1 > width ? glWidth - 1 : -1};
    for (GLsizei y : rows) {
        if (y < 0) continue;
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, width, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel(0, sourceRow(y)));
    }
    if (width >= glWidth) return;
    // A spare column runs the texture's full height, so its corners with the spare rows match too.
    auto* column = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(glHeight) * 3));
    if (!column) return;
    for (GLsizei x : columns) {
        if (x < 0) continue;
        for (GLsizei y = 0; y < glHeight; ++y) {
            std::memcpy(column + 3 * static_cast<std::size_t>(y), pixel(sourceColumn(x), sourceRow(y)), 3);
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, 0, 1, glHeight, GL_RGB, GL_UNSIGNED_BYTE, column);
    }
    std::free(column);
}

void uploadImage(int i, Picture& image) {
    model::State& s = model::state;
    const GLsizei width = static_cast<GLsizei>(image.width), height = static_cast<GLsizei>(image.height);
    const std::uint8_t* picture = image.buffer;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows are tightly packed, 3 x width bytes
    // The first upload only gives the texture its power-of-two size: the texels beyond the
    // picture are never mapped, so no bytes are sent for them.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, static_cast<GLsizei>(image.glWidth), static_cast<GLsizei>(image.glHeight), 0,
                 GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    textureMatrix(image.width, image.height, image.glWidth, image.glHeight, image.extentDegrees, s.textureMatrices[i].slot);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, picture);
    if (picture && width > 0 && height > 0) {
        fillSeams(picture, width, height, static_cast<GLsizei>(image.glWidth), static_cast<GLsizei>(image.glHeight));
    }
    // GL holds its own copy now; the picture is never read again.
    memory::releasePicture(image.buffer);
    image.buffer = nullptr;
}

void loadTextureMatrix(int i) {
    model::State& s = model::state;
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    std::memcpy(s.textureMatrixWork, s.textureMatrices[i].slot, sizeof s.textureMatrixWork);
    glMultMatrixd(s.textureMatrixWork);
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace startup
