// Compile-time proof that the stroke font tables hold together: the glyph records tile the data
// table exactly, every index entry points at the start of a record, and every point is sound.
#include "stroke/strokefont.hpp"

namespace stroke {
namespace {

// Points of the record at `position`, or 0 when the record would run past the table.
constexpr int recordPoints(int position) {
    const int n = strokeEntry(position);
    if (n < 1 || position + 3 * n > kStrokeGlyphDataSize) return 0;
    return n;
}

// The record starts at its first point with a move, uses only pens 1 and 2, and keeps every
// point inside the box (y may reach down to the descender).
constexpr bool recordIsSound(int position) {
    const int n = recordPoints(position);
    if (n < 2) return false;  // a glyph draws at least one line
    for (int j = 1; j <= n; ++j) {
        const int pen = strokeEntry(position + 3 * j - 2);
        const int x = strokeEntry(position + 3 * j - 1);
        const int y = strokeEntry(position + 3 * j);
        if (pen != kPenMove && pen != kPenDraw) return false;
        if (j == 1 && pen != kPenMove) return false;
        if (x < -kGlyphBoxHalf || x > kGlyphBoxHalf) return false;
        if (y < kGlyphDescender || y > kGlyphBoxHalf) return false;
    }
    return true;
}

// Walking record by record from position 1 ends exactly after the last entry.
constexpr bool recordsTileTheTable() {
    int position = 1;
    while (position <= kStrokeGlyphDataSize) {
        if (!recordIsSound(position)) return false;
        position += 1 + 3 * recordPoints(position);
    }
    return position == kStrokeGlyphDataSize + 1;
}

// True when a record starts at `position` on the walk from position 1.
constexpr bool isRecordStart(int target) {
    for (int position = 1; position <= kStrokeGlyphDataSize;
         position += 1 + 3 * recordPoints(position)) {
        if (recordPoints(position) == 0) return false;
        if (position == target) return true;
    }
    return false;
}

constexpr bool indexPointsAtRecords() {
    for (int code = 0; code < 256; ++code) {
        const int g = strokeGlyphIndex[code];
        if (g != 0 && !isRecordStart(g)) return false;
    }
    return true;
}

// Exactly the signs * + , - . /, the digits and the letters have glyphs; a small letter shares its
// capital's glyph, no two other characters share one, and no record is left unused.
constexpr bool hasGlyph(int code) {
    return (code >= '*' && code <= '9') || (code >= 'A' && code <= 'Z') ||
           (code >= 'a' && code <= 'z');
}

constexpr bool indexCoversTheCharacterSet() {
    for (int code = 0; code < 256; ++code) {
        if ((strokeGlyphIndex[code] != 0) != hasGlyph(code)) return false;
        if (code >= 'a' && code <= 'z' && strokeGlyphIndex[code] != strokeGlyphIndex[code - 32])
            return false;
        for (int other = 0; other < code && code < 'a'; ++other)
            if (strokeGlyphIndex[code] != 0 && strokeGlyphIndex[other] == strokeGlyphIndex[code])
                return false;
    }
    int records = 0;
    for (int position = 1; position <= kStrokeGlyphDataSize && recordPoints(position) > 0;
         position += 1 + 3 * recordPoints(position))
        ++records;
    return records == 6 + 10 + 26;
}

static_assert(recordsTileTheTable(), "glyph records must tile the data table exactly");
static_assert(indexPointsAtRecords(), "every index entry must point at a glyph record");
static_assert(indexCoversTheCharacterSet(), "glyphs for * + , - . / 0-9 A-Z, a-z as capitals");

}  // namespace
}  // namespace stroke
