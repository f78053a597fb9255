/* The one type freeglut's bitmap font data file (fg_font_data.c, taken from Debian's freeglut
 * source package at build time) needs: the build compiles that file alone against this header
 * instead of freeglut's own internals. */
#ifndef ORVEX_WEB_FONT_SHIM_H
#define ORVEX_WEB_FONT_SHIM_H

#include <GL/gl.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tagSFG_Font SFG_Font;
struct tagSFG_Font {
    char* Name;                  /* the X font it was made from */
    int Quantity;                /* characters in the font */
    int Height;                  /* line height in pixels */
    const GLubyte** Characters;  /* per character: width, then the rows, bottom first */
    float xorig, yorig;          /* the glyphs' origin */
};

extern SFG_Font fgFontFixed8x13, fgFontFixed9x15, fgFontHelvetica10, fgFontHelvetica12,
    fgFontHelvetica18, fgFontTimesRoman10, fgFontTimesRoman24;

#ifdef __cplusplus
}
#endif

#endif
