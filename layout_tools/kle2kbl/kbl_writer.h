// A layout file made from a KLE drawing: a key line per drawn key with its codes and
// its rectangle on the 700 x 340 picture.
#pragma once
#include <string>
#include <vector>

#include "layout_tools/kle2kbl/kle_reader.h"

struct PixelRect {
    int left, top, width, height;
};

// Places the keys in the area: a whole number of pixels per key unit, the drawing
// centred, every key short of its right and lower neighbours by a gap. A key with a
// second rectangle (an ISO Enter) gets the larger of its two. Returns the pixels per key
// unit; 0 when the drawing does not fit at a size that can still be read.
int PlaceKeys(const std::vector<KleKey>& keys, int left, int top, int width, int height,
              std::vector<PixelRect>* rects);

struct KblFile {
    std::string text;                     // the layout file
    std::vector<std::string> notTestable; // one line per key written as not testable
    std::vector<std::string> notes;       // the Windows layout taken, labels transliterated
    int keys;                             // key lines, the mouse buttons included
    int codePage;                         // of the labels
};

// 1 with the file made; 0 with the reason in *error (a rotated key, no keys, a drawing
// too large for the picture). source is the input's name for the file's first comment;
// mouse adds the three mouse buttons below the keyboard, as in the bundled layouts.
// layout is the index of the Windows layout whose codes are written, or -1 for the one
// the legends show.
int MakeKblFile(const KleDrawing& drawing, const char* source, bool mouse, int layout,
                KblFile* file, std::string* error);
