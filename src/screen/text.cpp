#include "screen/text.hpp"

#include <GL/freeglut.h>

#include <cmath>
#include <cstring>

#include "model/state.hpp"

namespace screen {

const PaletteEntry textPalette[16] = {
    {0, 0, 0},      {0, 0, 170},     {0, 170, 0},     {0, 170, 170},
    {170, 0, 0},    {170, 0, 170},   {170, 85, 0},    {170, 170, 170},
    {85, 85, 85},   {85, 85, 255},   {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},  {255, 85, 255},  {255, 255, 85},  {255, 255, 255},
};

void SetPalColor(int index) {
    if (index < 0 || index > 15) return;
    const PaletteEntry& c = textPalette[index];
    glColor3f(static_cast<float>(c.red / 255.0), static_cast<float>(c.green / 255.0),
              static_cast<float>(c.blue / 255.0));
}

CellGrid cellGrid(int layoutWidth, int layoutHeight) {
    CellGrid g;
    g.cellCols = layoutWidth / 8;
    g.cellRows = layoutHeight / 13;
    // The constants are single-precision values, the arithmetic double.
    g.charW = static_cast<double>(2.666f) / g.cellCols * static_cast<double>(0.75108f);
    g.rowH = 2.0 / g.cellRows;
    return g;
}

RasterPosition cellRaster(const CellGrid& grid, int row, int col) {
    return {grid.charW * (col - 1) - static_cast<double>(1.333f) + static_cast<double>(0.333f),
            1.0 - grid.rowH * row, -0.3};
}

void advanceCursor(const CellGrid& grid, int length, int& row, int& col) {
    col += length;
    if (grid.cellCols < 1) return;
    while (col > grid.cellCols) {
        col -= grid.cellCols;
        row += 1;
        if (row > grid.cellRows) row = 1;
    }
}

namespace {

constexpr int kMaxCharacters = 4096;  // longer texts go unboxed; no caller comes near

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

void PrntOrth(int length, const char* text, int& row, int& col, int color, int backColor,
              int iFont, int fileRow) {
    (void)fileRow;
    if (iFont != 1) return;  // only screen output exists in this program
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();

    const CellGrid grid = cellGrid(model::state.ISCRNHV[1], model::state.ISCRNHV[2]);
    const RasterPosition p = cellRaster(grid, row, col);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (backColor >= 0) SetPalColor(backColor);
    SetPalColor(color);
    glRasterPos3d(p.x, p.y, p.z);
    if (length > 0 && length <= kMaxCharacters) {
        GLint saved[4];
        scissorToCharacters(length, saved);
        drawBitmapCharacters(text, length);
        restoreScissor(saved);
    } else if (length > 0) {
        drawBitmapCharacters(text, length);
    }
    // No flush per text: the frame's buffer swap delivers it (see frame::displayFrame).

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    advanceCursor(grid, length, row, col);
}

void drawScreenText(const ScreenText& text) {
    int row = text.row;
    int col = text.col;
    PrntOrth(text.length, text.buffer.c_str(), row, col, text.colour, 0, 1, 0);
}

}  // namespace screen
