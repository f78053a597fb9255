// Screen text at character cells: the window is a grid of 8 x 13 pixel cells computed from the
// layout size layoutSize, drawn with GLUT's 8 x 13 bitmap font in one of 16 palette colours.
#pragma once

#include "platform/fields.hpp"

namespace screen {

struct PaletteEntry {
    int red, green, blue;  // 0..255
};

// The 16-colour text palette, indexed 0..15.
extern const PaletteEntry textPalette[16];

// Sets the current GL colour to palette entry `index`; an index outside 0..15 changes nothing.
void setPaletteColour(int index);

// Colour of the centre Lat/Lon lines and of the cross-hair's inner ends.
constexpr int overlayColour = 15;

// Cell geometry of the layout size, in normalised device coordinates.
struct CellGrid {
    int columnCount;     // columns of 8 pixels
    int rowCount;        // rows of 13 pixels
    double columnPitch;  // from one column to the next
    double rowHeight;
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
// `colour` and advances the cursor. Model-view and projection matrices are restored afterwards;
// the matrix mode is left at the projection matrix. Every caller passes font 1 and fileRow 0.
void printAtCursor(int length, const char* text, int& row, int& col, int colour, int backgroundColour,
              int font, int fileRow);

// The glyph atlas: each glyph of GLUT's 8 x 13 bitmap font as GLUT's own glBitmap draws it, read
// back once into 32 x 8 cells of 8 x 16 texels. llvmpipe pays far more per triangle than per
// pixel, so a quad per glyph would cost more than the bitmaps did: the glyphs of a text are laid
// side by side into a strip of one alpha texture (64 strips of 512 x 16 texels, 512 KiB) and
// each run of them is one quad. A strip is rewritten only when its glyphs change.
constexpr int kAtlasWidth = 256;
constexpr int kAtlasHeight = 128;
constexpr int kStripWidth = 512;
constexpr int kStripHeight = 16;
constexpr int kTextStrips = 64;
constexpr int kTextRunGlyphs = 64;

struct TextGlyph {
    int x = 0, y = 0;           // the set pixels' box from the floored raster position
    int width = 0, height = 0;  // 0 for a glyph without set pixels
    float advance = 0.0f;       // the font's own advance of the raster position
};

// Glyphs of one run, in window pixels while it is gathered.
struct TextRunGlyphs {
    int count = 0;
    unsigned char glyph[kTextRunGlyphs];
    int x[kTextRunGlyphs], y[kTextRunGlyphs];
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // box of the run's set pixels
};

// What a strip of the texture holds, glyphs placed from its corner (count -1: nothing yet).
struct TextStrip {
    int count = -1;
    unsigned char glyph[kTextRunGlyphs];
    int x[kTextRunGlyphs], y[kTextRunGlyphs];
};

// A run waiting to be drawn from the strip of the same index, in window pixels.
struct TextRun {
    float colour[4];
    float z;
    int x, y, width, height;
};

struct TextAtlas {
    unsigned int stripTexture = 0;  // GL name of the strip texture
    bool built = false;
    bool inUse = false;
    TextGlyph glyphs[256];
    unsigned char texels[kAtlasWidth * kAtlasHeight];
    TextStrip strips[kTextStrips];
    // A text pass gathers the runs of all its texts and draws them in one batch, in the order the
    // texts came, so where texts overlap the depth test keeps the pixels of drawing one by one.
    bool passOpen = false;
    bool passCoversWindow = false;  // the viewport covers the window: quads clip as bitmaps do
    int runCount = 0;
    TextRun runs[kTextStrips];
    TextRunGlyphs gathering;                              // the run being gathered
    unsigned char stripTexels[kStripWidth * kStripHeight];  // a strip being laid out
};
extern TextAtlas textAtlas;

// Builds the glyph atlas once, from GLUT's own bitmaps drawn into the lower-left 256 x 256
// pixels of the back buffer and read back; from then on printAtCursor draws textured quads that set
// the same pixels. False, and the bitmaps stay, when the viewport is smaller or nothing read back.
bool buildTextAtlas();

// Whether printAtCursor draws from the atlas (once built) or with GLUT's bitmaps.
void useTextAtlas(bool on);

// The texts between the two calls are drawn together at endTextPass, in their order: one batch
// of quads instead of one per text. Nothing may draw in between.
void beginTextPass();
void endTextPass();

constexpr int kTextBufferLength = 80;  // every screen text is formatted into 80 characters

// One screen text ready for printAtCursor: the first `length` characters of `buffer` at (row, col).
struct ScreenText {
    fields::TextLine buffer;  // kTextBufferLength characters, blank padded
    int length = 0;           // characters printed from the buffer
    int row = 0;              // character cell of the first character, counted from 1
    int col = 0;
    int colour = 0;           // textPalette entry
};

// Draws one screen text; every text starts at its own cell (printAtCursor's cursor is not carried on).
void drawScreenText(const ScreenText& text);

}  // namespace screen
