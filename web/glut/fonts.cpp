// GLUT's bitmap fonts over glBitmap, from freeglut's own font data (compiled at build time from
// Debian's source package): each character is one glBitmap of the font's height, advancing by
// its width, with rows one byte aligned.
#include <GL/freeglut.h>

#include "fontshim/fg_internal.h"

namespace {

const SFG_Font* fontById(void* id) {
    switch (reinterpret_cast<long>(id)) {
        case 0x0002: return &fgFontFixed9x15;
        case 0x0003: return &fgFontFixed8x13;
        case 0x0004: return &fgFontTimesRoman10;
        case 0x0005: return &fgFontTimesRoman24;
        case 0x0006: return &fgFontHelvetica10;
        case 0x0007: return &fgFontHelvetica12;
        case 0x0008: return &fgFontHelvetica18;
        default: return nullptr;
    }
}

void drawCharacter(const SFG_Font* font, unsigned char c) {
    const GLubyte* face = font->Characters[c];
    glBitmap(face[0], font->Height, font->xorig, font->yorig, static_cast<float>(face[0]), 0.0f, face + 1);
}

// The glyph rows are byte aligned: the unpack alignment is 1 while they are drawn.
struct ByteAlignedRows {
    GLint saved = 4;
    ByteAlignedRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~ByteAlignedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved); }
};

}  // namespace

extern "C" {

void glutBitmapCharacter(void* fontId, int character) {
    const SFG_Font* font = fontById(fontId);
    if (!font || character < 1 || character >= 256) return;
    ByteAlignedRows rows;
    drawCharacter(font, static_cast<unsigned char>(character));
}

// A line feed goes back to where the string started, one line lower.
void glutBitmapString(void* fontId, const unsigned char* string) {
    const SFG_Font* font = fontById(fontId);
    if (!font || !string || !*string) return;
    ByteAlignedRows rows;
    float x = 0.0f;
    for (unsigned char c; (c = *string++) != 0;) {
        if (c == '\n') {
            glBitmap(0, 0, 0, 0, -x, static_cast<float>(-font->Height), nullptr);
            x = 0.0f;
        } else {
            drawCharacter(font, c);
            x += static_cast<float>(font->Characters[c][0]);
        }
    }
}

int glutBitmapWidth(void* fontId, int character) {
    const SFG_Font* font = fontById(fontId);
    if (!font || character <= 0 || character >= 256) return 0;
    return font->Characters[character][0];
}

// The longest line's width.
int glutBitmapLength(void* fontId, const unsigned char* string) {
    const SFG_Font* font = fontById(fontId);
    if (!font || !string) return 0;
    int longest = 0, line = 0;
    for (unsigned char c; (c = *string++) != 0;) {
        if (c == '\n') {
            if (line > longest) longest = line;
            line = 0;
        } else {
            line += font->Characters[c][0];
        }
    }
    return line > longest ? line : longest;
}

int glutBitmapHeight(void* fontId) {
    const SFG_Font* font = fontById(fontId);
    return font ? font->Height : 0;
}

}  // extern "C"
