// Reading of keyboard-layout-editor (KLE) drawings: the JSON file the editor saves, or
// the text of its Raw data tab, which leaves out the outer brackets and the quotes
// around property names.
#pragma once
#include <string>
#include <vector>

constexpr int kKleLabels = 12;

// One key of the drawing, in key units (y grows downwards).
struct KleKey {
    double x, y, width, height;
    // The second rectangle (the upper part of an ISO Enter), placed relative to x, y; a
    // key without one has x2 = y2 = 0 and the size of the first.
    double x2, y2, width2, height2;
    double rotation;                // degrees; 0 for an upright key
    std::string labels[kKleLabels]; // without markup, "" where the key has none
    int row;                        // 1 for the first row of the drawing
    int position;                   // 1 for the first key of its row
};

struct KleDrawing {
    std::vector<KleKey> keys; // decals (drawn, but no key) are left out
    std::string name;         // the name in the drawing's metadata, or ""
};

struct KleError {
    int line;   // where a JSON error lies in the text (1-based); 0 for a drawing that
    int column; // is valid JSON but no list of rows
    std::string text;
};

// 1 when the text is a drawing; 0 with the error filled in.
int ReadKle(const std::string& text, KleDrawing* drawing, KleError* error);

// A label without its HTML markup: tags left out (a line break becomes a blank), the
// usual entities decoded, blanks at the ends removed.
std::string CleanLabel(const std::string& label);
