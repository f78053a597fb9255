// GL state that only GL can tell: screen text leaves the matrices as it found them, the overlay
// projection, the texture set-up and its matrix, and the error check.
#include <GL/freeglut.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl_fixture.hpp"
#include "screen/glcheck.hpp"
#include "screen/text.hpp"
#include "model/state.hpp"
#include "platform/memory.hpp"
#include "startup/textures.hpp"

namespace {

class StartupGl : public gltest::WindowTest {};

void matrices(double modelView[16], double projection[16], double texture[16]) {
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_TEXTURE_MATRIX, texture);
}

TEST_F(StartupGl, ScreenTextRestoresBothMatricesBitForBit) {
    glMatrixMode(GL_MODELVIEW);
    glRotated(33.3, 0.2, 0.7, 0.1);
    glTranslated(1.5, -2.25, 3.0);
    glMatrixMode(GL_PROJECTION);
    glFrustum(-1.1, 0.9, -0.7, 1.3, 2.0, 50.0);
    double mv[16], pr[16], tx[16], mv2[16], pr2[16], tx2[16];
    matrices(mv, pr, tx);
    int row = 30, col = 120;
    screen::printAtCursor(20, "Twenty characters!!!", row, col, 12, 0, 1, 0);
    matrices(mv2, pr2, tx2);
    EXPECT_EQ(std::memcmp(mv, mv2, sizeof mv), 0);
    EXPECT_EQ(std::memcmp(pr, pr2, sizeof pr), 0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(row, 31);  // the cursor wrapped past column 128
    EXPECT_EQ(col, 12);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(StartupGl, ScreenTextLandsInItsCellInItsColour) {
    int row = 30, col = 1;
    screen::printAtCursor(4, "\xdb\xdb##", row, col, 12, 0, 1, 0);
    const auto pixels = gltest::readPixels();
    auto at = [&](int x, int y) { return pixels.data() + 3 * (y * gltest::kWindowWidth + x); };
    // Row 30's baseline sits 30 rows of 2/59 below the top edge of the viewport.
    const int baseline = static_cast<int>((1.0 - 2.0 * 30 / 59 + 1.0) / 2.0 * gltest::kWindowHeight);
    int lit = 0;
    for (int y = baseline - 3; y < baseline + 13; ++y) {
        for (int x = 0; x < 32; ++x) {
            const unsigned char* p = at(x, y);
            if (p[0] | p[1] | p[2]) {
                ++lit;
                EXPECT_EQ(p[0], 255);
                EXPECT_EQ(p[1], 85);
                EXPECT_EQ(p[2], 85);
            }
        }
    }
    EXPECT_GT(lit, 20);
    for (int y = 0; y < gltest::kWindowHeight; ++y) {  // nothing outside the text's cells
        for (int x = 40; x < gltest::kWindowWidth; ++x) ASSERT_EQ(at(x, y)[0], 0) << x << "," << y;
    }
}

// Neither the scissor box that keeps the rasteriser to a text's cells nor the glyph atlas may cost
// a pixel: each text is drawn by printAtCursor (bitmaps, the atlas on its own, the atlas in a text pass)
// and again by plain GLUT calls at the same raster position, and the colours and depths must
// match. Afterwards the scissor test is off, the box as it was, and the texture state untouched.
TEST_F(StartupGl, ScreenTextKeepsEveryPixelOfThePlainCharacters) {
    enum Path { kBitmaps, kAtlas, kAtlasPass };
    struct Case {
        int row, col;
        std::string text;
        Path path;
        int viewportWidth = gltest::kWindowWidth;
    };
    std::string everyGlyph;
    for (int c = 1; c < 256; ++c) everyGlyph += static_cast<char>(c);
    const Case cases[] = {
        {30, 1, "\xdb\xdb##gjpqy|_Q", kBitmaps},                   // full blocks, descenders
        {1, 1, "\xdb\xdb\xdb top edge", kBitmaps},                 // first row, against the top
        {59, 20, "bottom\xdb\xdb\xdb", kBitmaps},                   // last row, against the bottom
        {20, 1, everyGlyph.substr(0, 120), kBitmaps},                // runs past the right edge
        {10, 3, everyGlyph.substr(120), kBitmaps},                   // NUL-free but with high characters
        {40, 2, std::string("line\nfeed\0nul", 13), kBitmaps},     // the character-by-character path
        {1, 1, "\xdb\xdb\xdb top edge", kAtlas},
        {59, 20, "bottom\xdb\xdb\xdb", kAtlasPass},
        {20, 1, everyGlyph.substr(0, 120), kAtlasPass},
        {10, 3, everyGlyph.substr(120), kAtlas},
        {40, 2, std::string("line\nfeed\0nul", 13), kAtlasPass},  // a NUL neither draws nor moves
        {30, 1, everyGlyph.substr(60, 40), kAtlasPass, 100},  // bitmaps also land beyond the viewport
    };
    auto depths = [] {
        std::vector<GLuint> depth(gltest::kWindowWidth * gltest::kWindowHeight);
        glReadPixels(0, 0, gltest::kWindowWidth, gltest::kWindowHeight, GL_DEPTH_COMPONENT,
                     GL_UNSIGNED_INT, depth.data());
        return depth;
    };
    ASSERT_TRUE(screen::buildTextAtlas());
    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, own);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glEnable(GL_DEPTH_TEST);
    glScissor(3, 5, 200, 100);
    for (const Case& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, c.viewportWidth, gltest::kWindowHeight);
        screen::useTextAtlas(c.path != kBitmaps);
        if (c.path == kAtlasPass) screen::beginTextPass();
        int row = c.row, col = c.col;
        screen::printAtCursor(static_cast<int>(c.text.size()), c.text.data(), row, col, 14, 0, 1, 0);
        if (c.path == kAtlasPass) screen::endTextPass();
        const auto boxed = gltest::readPixels();
        const auto boxedDepth = depths();
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        GLint box[4], bound = 0, environment = 0;
        glGetIntegerv(GL_SCISSOR_BOX, box);
        EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{3, 5, 200, 100}));
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
        EXPECT_EQ(bound, static_cast<GLint>(own));
        EXPECT_EQ(environment, GL_DECAL);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D) || glIsEnabled(GL_ALPHA_TEST));

        // The fixture's matrices are identities, and printAtCursor leaves them so.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const screen::CellGrid grid = screen::cellGrid(model::state.layoutSize[1], model::state.layoutSize[2]);
        const screen::RasterPosition p = screen::cellRaster(grid, c.row, c.col);
        screen::setPaletteColour(14);
        glRasterPos3d(p.x, p.y, p.z);
        for (char ch : c.text) glutBitmapCharacter(GLUT_BITMAP_8_BY_13, static_cast<unsigned char>(ch));
        const auto plain = gltest::readPixels();
        EXPECT_TRUE(boxed == plain) << "row " << c.row << ", column " << c.col << ", path " << c.path;
        EXPECT_TRUE(boxedDepth == depths()) << "row " << c.row << ", column " << c.col;
        EXPECT_NE(std::count(plain.begin(), plain.end(), 255), 0) << "nothing drawn";
    }
    screen::useTextAtlas(false);
    glViewport(0, 0, gltest::kWindowWidth, gltest::kWindowHeight);
    glDeleteTextures(1, &own);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // A negative length draws nothing (it once reached a memcpy as a huge size).
    glClear(GL_COLOR_BUFFER_BIT);
    int row = 30, col = 1;
    screen::printAtCursor(-3, "abc", row, col, 14, 0, 1, 0);
    const auto none = gltest::readPixels();
    EXPECT_EQ(std::count(none.begin(), none.end(), 0), static_cast<long>(none.size()));
}

TEST_F(StartupGl, OverlayProjectionReplacesAllThreeMatrices) {
    glMatrixMode(GL_TEXTURE);
    glScaled(0.5, 0.25, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glTranslated(3, 4, 5);
    screen::setUpOverlay(0);
    double mv[16], pr[16], tx[16];
    matrices(mv, pr, tx);
    for (int k = 0; k < 16; ++k) {
        const double identity = (k % 5 == 0) ? 1.0 : 0.0;
        EXPECT_EQ(mv[k], identity) << k;
        EXPECT_EQ(tx[k], identity) << k;
    }
    EXPECT_FLOAT_EQ(pr[0], static_cast<float>(1.0 / 1.333));
    EXPECT_FLOAT_EQ(pr[5], 1.0f);
    EXPECT_FLOAT_EQ(pr[10], 1.0f);  // near 1, far -1: depth is not inverted
    EXPECT_FLOAT_EQ(pr[14], 0.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
}

TEST_F(StartupGl, GlErrorCheckReportsAProvokedErrorOnceThenNothing) {
    glEnable(0x7FFF);  // not a capability: GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    int code = -1;
    screen::checkGlErrors(698, code);
    int again = -1;
    screen::checkGlErrors(698, again);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(code, GL_INVALID_ENUM);
    EXPECT_EQ(again, 0);
    EXPECT_EQ(out, " CheckGL:@Line 698 GlErr=     500 hex\n");
}

// A 1000 x 500 picture in a 1024 x 512 texture: the texture matrix scales onto the picture, the
// picture sits in the lower-left corner, and the spare texels the filter reaches across each edge
// hold the picture's neighbours there: first and last column, top and bottom row, their corners.
TEST_F(StartupGl, UploadPlacesThePictureAndItsMatrixBecomesCurrent) {
    const int w = 1000, h = 500, i = 1;
    startup::Picture image;
    image.width = w, image.height = h, image.bytes = 3LL * w * h;
    image.glWidth = 1024, image.glHeight = 512, image.glBytes = 3LL * 1024 * 512;
    image.extentDegrees = {{-180.0, 180.0, -90.0, 90.0}};
    // Every pixel tells its column and row: x and y modulo 256, and x once more in steps of 4.
    auto colour = [](int x, int y) {
        return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                           static_cast<std::uint8_t>(x / 4)};
    };
    auto* picture = static_cast<std::uint8_t*>(memory::allocatePicture(static_cast<size_t>(image.bytes)));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) std::memcpy(picture + 3 * (y * w + x), colour(x, y).data(), 3);
    }
    image.buffer = picture;
    GLuint name;
    glGenTextures(1, &name);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    startup::setTextureParameters();
    startup::uploadImage(i, image);
    EXPECT_EQ(image.buffer, nullptr);  // released once GL holds it
    startup::loadTextureMatrix(i);

    double tx[16];
    glGetDoublev(GL_TEXTURE_MATRIX, tx);
    EXPECT_DOUBLE_EQ(tx[0], 0.9765625);
    EXPECT_DOUBLE_EQ(tx[5], 0.9765625);
    EXPECT_EQ(std::memcmp(model::state.textureMatrixWork, model::state.textureMatrices[i].slot, sizeof tx), 0);
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(env, GL_DECAL);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 512);

    std::vector<std::uint8_t> texels(3u * 1024 * 512);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    auto texel = [&](int x, int y) { return texels.data() + 3 * (y * 1024 + x); };
    const int cases[][4] = {  // texel x, y: picture x, y
        {999, 0, 999, 0},      {5, 499, 5, 499},      // bottom row first, as in the picture
        {1000, 123, 0, 123},   {1023, 123, 999, 123}, // right of the date line and left of it
        {321, 500, 321, 499},  {321, 511, 321, 0},    // above the north pole, below the south pole
        {1000, 500, 0, 499},   {1023, 500, 999, 499}, {1000, 511, 0, 0}, {1023, 511, 999, 0}};
    for (const auto& c : cases) {
        const auto expected = colour(c[2], c[3]);
        EXPECT_EQ(std::memcmp(texel(c[0], c[1]), expected.data(), 3), 0) << c[0] << "," << c[1];
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDeleteTextures(1, &name);
}

}  // namespace
