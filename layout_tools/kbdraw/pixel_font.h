// A small bitmap font for the build-time pictures: printable ASCII and the letters and
// signs of code page 1252 that European keycaps show unshifted (Ä, ß, é, ², §, ...),
// glyphs up to 5 pixels wide and 8 high (row 7 holds the descenders), spaced by their
// own width.
#pragma once
#include "base/bmp_writer.h"

constexpr int kGlyphHeight = 8;
constexpr int kLineHeight = 9; // glyph height plus one pixel between lines

// Pixel width of one character (a byte of code page 1252) at scale 1, without the gap
// after it; 0 when the font has no glyph for it.
int GlyphWidth(char c);
// Pixel width of the first n characters (the gaps between them included) at scale.
int TextWidth(const char* text, int n, int scale);
// Draws the first n characters with their top-left corner at x, y; each font pixel
// becomes a scale x scale square. Pixels outside the picture are left out.
void DrawText(Picture* picture, int x, int y, const char* text, int n, int scale, uint32_t colour);
