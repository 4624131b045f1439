// Drawing of keyboard pictures for layout files: the keyboard body, a keycap with its
// label for every key rectangle, and a mouse around the mouse-button rectangles.
#pragma once
#include <string>

#include "base/bmp_writer.h"
#include "layout/key_table.h"

constexpr int kPictureWidth = 700;
constexpr int kPictureHeight = 340;
constexpr int kDoubleScale = 2;

// The label split into at most three centred lines that fit a box of the given inner
// size; words that do not fit are cut. Returns the number of lines.
struct LabelLines {
    char text[3][64];
    int count;
};
int FitLabel(const char* label, int width, int height, LabelLines* lines);

// A raised keycap at the rectangle with the label centred on it; cap and ink colours
// 0x00RRGGBB. The rectangle is in pixels of the picture drawn at scale 1; at scale 2
// everything, the label's font too, is twice the size.
void DrawKeycap(Picture* picture, int left, int top, int width, int height, const char* label,
                uint32_t cap, uint32_t ink, int scale = 1);

// A label of the layout, written in the code page (1252 or 932), as the picture's font
// draws it: ASCII and the Western letters the font has as they are, every other
// character transliterated (kana in romaji, "Henkan" for 変換).
std::string PictureText(const char* label, int codePage);

// The whole 700 x 340 picture of a key table (closed by its end record), whose labels
// are in the code page; at scale 2 the same picture at 1400 x 680, for screens whose
// display scale shows the picture larger than 1.25 times.
Picture DrawLayoutPicture(const KeyRecord* table, int codePage, int scale = 1);

// The name of the larger picture beside "<name>.bmp": "<name>@2x.bmp".
std::string DoublePictureName(const std::string& picturePath);
