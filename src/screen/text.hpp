// Screen text at character cells: the window is a grid of 8 x 13 pixel cells computed from the
// layout size ISCRNHV, drawn with GLUT's 8 x 13 bitmap font in one of 16 palette colours.
#pragma once

#include "platform/fields.hpp"

namespace screen {

struct PaletteEntry {
    int red, green, blue;  // 0..255
};

// The 16-colour text palette, indexed 0..15.
extern const PaletteEntry textPalette[16];

// Sets the current GL colour to palette entry `index`; an index outside 0..15 changes nothing.
void SetPalColor(int index);

// Colour of the centre Lat/Lon lines and of the cross-hair's inner ends.
constexpr int overlayColour = 15;

// Cell geometry of the layout size, in normalised device coordinates.
struct CellGrid {
    int cellCols;    // columns of 8 pixels
    int cellRows;    // rows of 13 pixels
    double charW;    // column pitch
    double rowH;     // row height
};
CellGrid cellGrid(int layoutWidth, int layoutHeight);

// Raster position of the first character at (row, col), rows and columns counted from 1.
struct RasterPosition {
    double x, y, z;
};
RasterPosition cellRaster(const CellGrid& grid, int row, int col);

// Cursor advance after `length` characters: wraps past the last column and the last row.
void advanceCursor(const CellGrid& grid, int length, int& row, int& col);

// Draws the first `length` characters of `text` at the cursor (row, col) in palette colour
// `color` and advances the cursor. Model-view and projection matrices are restored afterwards;
// the matrix mode is left at the projection matrix. Every caller passes iFont 1 and fileRow 0.
void PrntOrth(int length, const char* text, int& row, int& col, int color, int backColor,
              int iFont, int fileRow);

// Builds the glyph atlas once, from GLUT's own bitmaps drawn into the lower-left 256 x 256
// pixels of the back buffer and read back; from then on PrntOrth draws textured quads that set
// the same pixels. False, and the bitmaps stay, when the viewport is smaller or nothing read back.
bool buildTextAtlas();

// Whether PrntOrth draws from the atlas (once built) or with GLUT's bitmaps.
void useTextAtlas(bool on);

// The texts between the two calls are drawn together at endTextPass, in their order: one batch
// of quads instead of one per text. Nothing may draw in between.
void beginTextPass();
void endTextPass();

constexpr int kTextBufferLength = 80;  // every screen text is formatted into 80 characters

// One screen text ready for PrntOrth: the first `length` characters of `buffer` at (row, col).
struct ScreenText {
    fields::TextLine buffer;  // kTextBufferLength characters, blank padded
    int length = 0;           // characters printed from the buffer
    int row = 0;              // character cell of the first character, counted from 1
    int col = 0;
    int colour = 0;           // textPalette entry
};

// Draws one screen text; every text starts at its own cell (PrntOrth's cursor is not carried on).
void drawScreenText(const ScreenText& text);

}  // namespace screen
