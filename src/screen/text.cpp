#include "screen/text.hpp"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/state.hpp"

namespace screen {

TextAtlas textAtlas;

const PaletteEntry textPalette[16] = {
    {0, 0, 0},      {0, 0, 170},     {0, 170, 0},     {0, 170, 170},
    {170, 0, 0},    {170, 0, 170},   {170, 85, 0},    {170, 170, 170},
    {85, 85, 85},   {85, 85, 255},   {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},  {255, 85, 255},  {255, 255, 85},  {255, 255, 255},
};

void setPaletteColour(int index) {
    if (index < 0 || index > 15) return;
    const PaletteEntry& c = textPalette[index];
    glColor3f(static_cast<float>(c.red / 255.0), static_cast<float>(c.green / 255.0),
              static_cast<float>(c.blue / 255.0));
}

CellGrid cellGrid(int layoutWidth, int layoutHeight) {
    CellGrid g;
    g.columnCount = layoutWidth / 8;
    g.rowCount = layoutHeight / 13;
    // The constants are single-precision values, the arithmetic double.
    g.columnPitch = static_cast<double>(2.666f) / g.columnCount * static_cast<double>(0.75108f);
    g.rowHeight = 2.0 / g.rowCount;
    return g;
}

RasterPosition cellRaster(const CellGrid& grid, int row, int col) {
    return {grid.columnPitch * (col - 1) - static_cast<double>(1.333f) + static_cast<double>(0.333f),
            1.0 - grid.rowHeight * row, -0.3};
}

void advanceCursor(const CellGrid& grid, int length, int& row, int& col) {
    col += length;
    if (grid.columnCount < 1) return;
    while (col > grid.columnCount) {
        col -= grid.columnCount;
        row += 1;
        if (row > grid.rowCount) row = 1;
    }
}

namespace {

// Saves the matrix of `mode` on its stack and makes it the identity; the matrix mode stays `mode`.
void pushIdentity(GLenum mode) {
    glMatrixMode(mode);
    glPushMatrix();
    glLoadIdentity();
}

constexpr int kMaxCharacters = 4096;  // longer texts go unboxed; no caller comes near

// --- glyph atlas ---------------------------------------------------------------------------------

// A text is drawn from the atlas as textured quads that set the pixels glBitmap would set: each
// glyph is placed from the floored raster position exactly as glBitmap places its bitmap, in the
// raster colour, at the raster depth.
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr int kCellsPerRow = kAtlasWidth / kCellWidth;
constexpr int kCaptureSize = 256;  // all glyphs are drawn and read back at once, in 16 x 16 slots
constexpr int kSlot = 16;
constexpr int kSlotOrigin = 4;     // raster position of a glyph inside its slot
constexpr float kBitmapEpsilon = 0.0001f;  // glBitmap floors the raster position plus this
constexpr int kRunGap = 16;  // a wider gap (two blanks) ends a run: fewer pixels for two triangles

TextAtlas& atlas = textAtlas;

// The glyph boxes read back from `shot` into the atlas texels. A glyph must keep off its slot's
// border, so that none can reach into a neighbour's slot.
bool takeGlyphs(const unsigned char* shot) {
    constexpr int kSlotsPerRow = kCaptureSize / kSlot;
    for (int c = 1; c < 256; ++c) {
        const int sx = (c % kSlotsPerRow) * kSlot, sy = (c / kSlotsPerRow) * kSlot;
        int x0 = kSlot, y0 = kSlot, x1 = -1, y1 = -1;
        for (int y = 0; y < kSlot; ++y) {
            for (int x = 0; x < kSlot; ++x) {
                if (shot[(sy + y) * kCaptureSize + sx + x] < 128) continue;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
        TextGlyph& g = atlas.glyphs[c];
        if (x1 < 0) continue;  // blank
        if (x0 == 0 || y0 == 0 || x1 == kSlot - 1 || y1 == kSlot - 1) return false;
        g.width = x1 - x0 + 1;
        g.height = y1 - y0 + 1;
        if (g.width > kCellWidth || g.height > kCellHeight) return false;
        g.x = x0 - kSlotOrigin;
        g.y = y0 - kSlotOrigin;
        const int cx = (c % kCellsPerRow) * kCellWidth, cy = (c / kCellsPerRow) * kCellHeight;
        for (int y = 0; y < g.height; ++y) {
            for (int x = 0; x < g.width; ++x) {
                const bool set = shot[(sy + y0 + y) * kCaptureSize + sx + x0 + x] >= 128;
                atlas.texels[(cy + y) * kAtlasWidth + cx + x] = set ? 255 : 0;
            }
        }
    }
    return true;
}

// Draws every glyph with glutBitmapCharacter in white into the lower-left 256 x 256 pixels of
// the back buffer and reads them back; the colour buffer is cleared before and after. (A clear
// of the whole buffer is a plain fill for llvmpipe; a scissored one would compile a shader.)
bool captureGlyphs() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] < kCaptureSize || viewport[3] < kCaptureSize) return false;
    GLfloat clearColour[4], colour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    GLint matrixMode, alignment;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPushAttrib(GL_ENABLE_BIT | GL_SCISSOR_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    pushIdentity(GL_MODELVIEW);
    pushIdentity(GL_PROJECTION);
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor3f(1.0f, 1.0f, 1.0f);

    glClear(GL_COLOR_BUFFER_BIT);
    // Mesa draws each row of bitmaps as a 512 x 32 quad: the scissor keeps it to the corner.
    glScissor(viewport[0], viewport[1], kCaptureSize, kCaptureSize);
    glEnable(GL_SCISSOR_TEST);
    constexpr int kSlotsPerRow = kCaptureSize / kSlot;
    for (int c = 1; c < 256; ++c) {
        // Pixel centres: the floored raster position is the slot's origin whatever the rounding.
        glRasterPos2f((c % kSlotsPerRow) * kSlot + kSlotOrigin + 0.5f,
                      (c / kSlotsPerRow) * kSlot + kSlotOrigin + 0.5f);
        glutBitmapCharacter(GLUT_BITMAP_8_BY_13, c);
    }
    std::vector<unsigned char> shot(kCaptureSize * kCaptureSize);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], kCaptureSize, kCaptureSize, GL_RED, GL_UNSIGNED_BYTE,
                 shot.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    const bool fits = takeGlyphs(shot.data());
    glDisable(GL_SCISSOR_TEST);
    glClear(GL_COLOR_BUFFER_BIT);

    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(matrixMode);
    glPopAttrib();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glColor4fv(colour);
    // A full block must have read back whole: a window whose pixels the server does not own
    // reads back empty, and then the bitmaps stay.
    const TextGlyph& block = atlas.glyphs[0xdb];
    return fits && atlas.glyphs['A'].width > 0 && block.width * block.height > 0;
}

// Draws the waiting runs: the strip texture bound with GL_REPLACE (the colour is the current
// colour unchanged, the alpha the glyphs'), texels below half alpha discarded, matrices mapping
// window pixels to the viewport. Everything it changes is put back afterwards.
void drawRuns() {
    if (atlas.runCount == 0) return;
    GLint viewport[4], matrixMode, texture, environment, alphaFunction;
    GLfloat alphaReference, colour[4], texCoord[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &environment);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunction);
    glGetFloatv(GL_ALPHA_TEST_REF, &alphaReference);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    GLint shading;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    const GLboolean alphaTested = glIsEnabled(GL_ALPHA_TEST);

    // x and y in pixels from the viewport's corner to -1..1; z passes unchanged.
    const GLfloat pixels[16] = {2.0f / viewport[2], 0, 0, 0, 0, 2.0f / viewport[3], 0, 0,
                                0, 0, 1, 0, -1, -1, 0, 1};
    pushIdentity(GL_TEXTURE);
    pushIdentity(GL_MODELVIEW);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixf(pixels);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, atlas.stripTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_ALPHA_TEST);
    glShadeModel(GL_FLAT);  // one colour a quad: nothing to interpolate

    const GLfloat* last = nullptr;
    glBegin(GL_QUADS);
    for (int k = 0; k < atlas.runCount; ++k) {
        const TextRun& r = atlas.runs[k];
        if (!last || std::memcmp(last, r.colour, sizeof r.colour) != 0) glColor4fv(r.colour);
        last = r.colour;
        const GLfloat u1 = static_cast<GLfloat>(r.width) / kStripWidth;
        const GLfloat v0 = static_cast<GLfloat>(k * kStripHeight) / (kTextStrips * kStripHeight);
        const GLfloat v1 = static_cast<GLfloat>(k * kStripHeight + r.height) / (kTextStrips * kStripHeight);
        const GLfloat x0 = static_cast<GLfloat>(r.x - viewport[0]), x1 = x0 + r.width;
        const GLfloat y0 = static_cast<GLfloat>(r.y - viewport[1]), y1 = y0 + r.height;
        glTexCoord2f(0.0f, v0);
        glVertex3f(x0, y0, r.z);
        glTexCoord2f(u1, v0);
        glVertex3f(x1, y0, r.z);
        glTexCoord2f(u1, v1);
        glVertex3f(x1, y1, r.z);
        glTexCoord2f(0.0f, v1);
        glVertex3f(x0, y1, r.z);
    }
    glEnd();
    atlas.runCount = 0;

    glShadeModel(shading);
    if (!alphaTested) glDisable(GL_ALPHA_TEST);
    glAlphaFunc(alphaFunction, alphaReference);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, environment);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (!textured) glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(matrixMode);
    glColor4fv(colour);
    glTexCoord4fv(texCoord);
}

// Lays the run's glyphs into strip `k` unless it holds them already.
void fillStrip(int k, const TextRunGlyphs& run) {
    TextStrip& s = atlas.strips[k];
    bool same = s.count == run.count;
    for (int g = 0; same && g < run.count; ++g) {
        same = s.glyph[g] == run.glyph[g] && s.x[g] == run.x[g] - run.x0 && s.y[g] == run.y[g] - run.y0;
    }
    if (same) return;
    unsigned char* texels = atlas.stripTexels;
    const int width = run.x1 - run.x0, height = run.y1 - run.y0;
    std::memset(texels, 0, sizeof atlas.stripTexels);
    s.count = run.count;
    for (int g = 0; g < run.count; ++g) {
        s.glyph[g] = run.glyph[g];
        s.x[g] = run.x[g] - run.x0;
        s.y[g] = run.y[g] - run.y0;
        const TextGlyph& shape = atlas.glyphs[run.glyph[g]];
        const int cx = (run.glyph[g] % kCellsPerRow) * kCellWidth;
        const int cy = (run.glyph[g] / kCellsPerRow) * kCellHeight;
        for (int y = 0; y < shape.height; ++y) {
            for (int x = 0; x < shape.width; ++x) {
                texels[(s.y[g] + y) * width + s.x[g] + x] |= atlas.texels[(cy + y) * kAtlasWidth + cx + x];
            }
        }
    }
    GLint bound, alignment;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glBindTexture(GL_TEXTURE_2D, atlas.stripTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, k * kStripHeight, width, height, GL_ALPHA, GL_UNSIGNED_BYTE,
                    texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, bound);
}

// Queues a finished run for drawing, in the raster colour and at the depth glBitmap's quad gets.
void queueRun(TextRunGlyphs& run, const GLfloat colour[4], GLfloat z) {
    if (run.count == 0) return;
    if (atlas.runCount == kTextStrips) drawRuns();  // strips are reused; GL keeps what was drawn from them
    const int k = atlas.runCount++;
    fillStrip(k, run);
    TextRun& r = atlas.runs[k];
    std::memcpy(r.colour, colour, sizeof r.colour);
    r.z = z;
    r.x = run.x0;
    r.y = run.y0;
    r.width = run.x1 - run.x0;
    r.height = run.y1 - run.y0;
    run.count = 0;
}

// Queues the characters from the current raster position, placed as glBitmap would place them:
// a NUL draws nothing and does not advance, as glutBitmapCharacter skips it.
void queueAtlasCharacters(const char* text, int length) {
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return;  // GL draws no bitmap either
    GLfloat raster[4], colour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    const int y = static_cast<int>(std::floor(raster[1] + kBitmapEpsilon));
    // glBitmap's quad takes the raster depth back to -1..1 this way; the same value gives the
    // same depth through the viewport.
    const GLfloat z = raster[2] * 2.0f - 1.0f;
    GLfloat x = raster[0];
    TextRunGlyphs& run = atlas.gathering;
    for (int k = 0; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if (c == 0) continue;
        const TextGlyph& g = atlas.glyphs[c];
        if (g.width > 0) {
            const int gx = static_cast<int>(std::floor(x + kBitmapEpsilon)) + g.x, gy = y + g.y;
            const int x0 = std::min(run.x0, gx), x1 = std::max(run.x1, gx + g.width);
            const int y0 = std::min(run.y0, gy), y1 = std::max(run.y1, gy + g.height);
            if (run.count > 0 && (run.count == kTextRunGlyphs || gx - run.x1 > kRunGap ||
                                  x1 - x0 > kStripWidth || y1 - y0 > kStripHeight)) {
                queueRun(run, colour, z);
            }
            if (run.count == 0) {
                run.x0 = gx;
                run.x1 = gx + g.width;
                run.y0 = gy;
                run.y1 = gy + g.height;
            } else {
                run.x0 = std::min(run.x0, gx);
                run.x1 = std::max(run.x1, gx + g.width);
                run.y0 = std::min(run.y0, gy);
                run.y1 = std::max(run.y1, gy + g.height);
            }
            run.glyph[run.count] = c;
            run.x[run.count] = gx;
            run.y[run.count] = gy;
            ++run.count;
        }
        x += g.advance;
    }
    queueRun(run, colour, z);
}

// Quads are clipped to the viewport, bitmaps only to the window: with a viewport that leaves part
// of the window out, the texts keep the bitmaps.
bool viewportCoversWindow() {
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return v[0] <= 0 && v[1] <= 0 && v[0] + v[2] >= glutGet(GLUT_WINDOW_WIDTH) &&
           v[1] + v[3] >= glutGet(GLUT_WINDOW_HEIGHT);
}

// The characters in GLUT's 8 x 13 bitmap font from the raster position on. A run without NUL or
// line feed goes to GLUT in one string: the same glBitmap per character, with the font's pixel
// store set up once instead of once a character.
void drawBitmapCharacters(const char* text, int length) {
    char run[256];
    bool plain = length < static_cast<int>(sizeof run);
    for (int k = 0; plain && k < length; ++k) plain = text[k] != '\0' && text[k] != '\n';
    if (!plain) {
        for (int k = 0; k < length; ++k) {
            glutBitmapCharacter(GLUT_BITMAP_8_BY_13, static_cast<unsigned char>(text[k]));
        }
        return;
    }
    std::memcpy(run, text, length);
    run[length] = '\0';
    glutBitmapString(GLUT_BITMAP_8_BY_13, reinterpret_cast<const unsigned char*>(run));
}

// Mesa gathers a run of bitmap characters and draws it as one 512 x 32 pixel textured quad. A
// scissor box around the characters' own cells (8 pixels a character, 14 high from 3 below the
// baseline, a pixel to spare all round) spares the rasteriser the rest of that quad; every pixel
// a character can set lies inside it. `saved` receives the box to put back afterwards.
void scissorToCharacters(int length, GLint saved[4]) {
    glGetIntegerv(GL_SCISSOR_BOX, saved);
    GLfloat raster[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    const int x = static_cast<int>(std::floor(raster[0]));
    const int y = static_cast<int>(std::floor(raster[1]));
    glScissor(x - 1, y - 4, 8 * length + 2, 16);
    glEnable(GL_SCISSOR_TEST);
}

void restoreScissor(const GLint saved[4]) {
    glDisable(GL_SCISSOR_TEST);
    glScissor(saved[0], saved[1], saved[2], saved[3]);
}

}  // namespace

void printAtCursor(int length, const char* text, int& row, int& col, int colour, int backgroundColour,
              int font, int fileRow) {
    (void)fileRow;
    if (font != 1) return;   // only screen output exists in this program
    pushIdentity(GL_MODELVIEW);
    pushIdentity(GL_PROJECTION);

    const CellGrid grid = cellGrid(model::state.layoutSize[1], model::state.layoutSize[2]);
    const RasterPosition p = cellRaster(grid, row, col);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (backgroundColour >= 0) setPaletteColour(backgroundColour);
    setPaletteColour(colour);
    glRasterPos3d(p.x, p.y, p.z);
    const bool quads = atlas.passOpen ? atlas.passCoversWindow : viewportCoversWindow();
    if (length > 0 && atlas.inUse && quads) {
        queueAtlasCharacters(text, length);
    } else if (length > 0 && length <= kMaxCharacters) {
        drawRuns();  // what the pass gathered goes first
        GLint saved[4];
        scissorToCharacters(length, saved);
        drawBitmapCharacters(text, length);
        restoreScissor(saved);
    } else if (length > 0) {
        drawRuns();
        drawBitmapCharacters(text, length);
    }
    // No flush per text: the frame's buffer swap delivers it (see frame::displayFrame).

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    if (!atlas.passOpen) drawRuns();
    advanceCursor(grid, length, row, col);
}

bool buildTextAtlas() {
    if (atlas.built) {
        atlas.inUse = true;
        return true;
    }
    for (TextGlyph& g : atlas.glyphs) g = TextGlyph{};
    std::memset(atlas.texels, 0, sizeof atlas.texels);
    if (!captureGlyphs()) return false;
    for (int c = 1; c < 256; ++c) {
        atlas.glyphs[c].advance = static_cast<float>(glutBitmapWidth(GLUT_BITMAP_8_BY_13, c));
    }
    GLint bound;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGenTextures(1, &atlas.stripTexture);
    glBindTexture(GL_TEXTURE_2D, atlas.stripTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Every sample falls inside the texture; repeating is the cheapest wrap to compute.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, kStripWidth, kTextStrips * kStripHeight, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, bound);
    for (TextStrip& strip : atlas.strips) strip.count = -1;
    atlas.built = atlas.inUse = true;
    return true;
}

void useTextAtlas(bool on) { atlas.inUse = on && atlas.built; }

void beginTextPass() {
    atlas.passOpen = true;
    atlas.passCoversWindow = atlas.inUse && viewportCoversWindow();  // asked once a pass
}

void endTextPass() {
    atlas.passOpen = false;
    drawRuns();
}

void drawScreenText(const ScreenText& text) {
    int row = text.row;
    int col = text.col;
    printAtCursor(text.length, text.buffer.c_str(), row, col, text.colour, 0, 1, 0);
}

}  // namespace screen
