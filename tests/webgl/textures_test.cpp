// Texture uploads: each GL format converted to the WebGL format the texture is kept in, rows
// read with the unpack alignment, and what a texture's state makes the shader do.
#include <algorithm>
#include <vector>

#include "webgl_fixture.hpp"

namespace {

using webgltest::WebglTest;

struct FormatCase {
    const char* name;
    GLint internalFormat;
    GLenum format;
    int alignment;
    std::vector<GLubyte> pixels;     // a 2 x 2 image
    GLenum kept;                     // the WebGL format
    std::vector<GLubyte> texels;     // as WebGL receives them, rows packed
};

const FormatCase kFormatCases[] = {
    {"RGB as it is, rows padded to 4", GL_RGB, GL_RGB, 4, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}, GL_RGB,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    {"RGB rows unpadded", 3, GL_RGB, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, GL_RGB,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
    {"RGBA from RGB gets opaque alpha", GL_RGBA, GL_RGB, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, GL_RGBA,
     {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}},
    {"RGB from LUMINANCE repeats it", GL_RGB8, GL_LUMINANCE, 4, {1, 2, 0, 0, 3, 4, 0, 0}, GL_RGB,
     {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4}},
    {"LUMINANCE from RGB takes red", 1, GL_RGB, 4, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}, GL_LUMINANCE,
     {1, 4, 7, 10}},
    {"RGB from ALPHA is black", GL_RGB, GL_ALPHA, 1, {1, 2, 3, 4}, GL_RGB, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"ALPHA from RGBA takes alpha", GL_ALPHA8, GL_RGBA, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
     GL_ALPHA, {4, 8, 12, 16}},
    {"ALPHA from RGB is opaque", GL_ALPHA, GL_RGB, 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, GL_ALPHA,
     {255, 255, 255, 255}},
};

class Formats : public WebglTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Formats, ReachWebglConverted) {
    const FormatCase& c = GetParam();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, c.alignment);
    glTexImage2D(GL_TEXTURE_2D, 0, c.internalFormat, 2, 2, 0, c.format, GL_UNSIGNED_BYTE, c.pixels.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const stub::Texture& t = stub::state.textures[gl11::boundTextureObject().webglName];
    EXPECT_EQ(t.format, c.kept);
    EXPECT_EQ(t.texels, c.texels);
    // A sub-image is converted the same way, into the place it names.
    glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 1, 1, c.format, GL_UNSIGNED_BYTE, c.pixels.data());
    const size_t size = c.texels.size() / 4;
    EXPECT_TRUE(std::equal(t.texels.end() - size, t.texels.end(), c.texels.begin())) << "the first pixel at (1, 1)";
}

INSTANTIATE_TEST_SUITE_P(Uploads, Formats, ::testing::ValuesIn(kFormatCases));

TEST_F(WebglTest, UploadsThisSubsetDoesNotTakeAreErrors) {
    const GLubyte pixels[16] = {};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_FLOAT, pixels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8192, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE)) << "above the largest texture";
    GLuint fresh = 0;
    glGenTextures(1, &fresh);
    glBindTexture(GL_TEXTURE_2D, fresh);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION)) << "no image to replace";
}

}  // namespace
