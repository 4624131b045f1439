#include "layout_tools/kbdraw/keyboard_picture.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/code_pages.h"
#include "layout_tools/kbdraw/pixel_font.h"

namespace {

constexpr uint32_t kDesk = 0xD9DDE2;
constexpr uint32_t kBody = 0x34373C;
constexpr uint32_t kBodyEdge = 0x55595F;
constexpr uint32_t kCap = 0xE9EAEC;
constexpr uint32_t kCapInk = 0x15171A;
constexpr uint32_t kCombinationCap = 0xC9D8EE; // keys tested as combinations
constexpr uint32_t kMouseBody = 0x5A5E66;
constexpr uint32_t kMouseButton = 0xDADCE0;

uint32_t Shade(uint32_t colour, int percent) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int c = static_cast<int>((colour >> shift) & 0xFF) * percent / 100;
        out |= static_cast<uint32_t>(std::min(255, c)) << shift;
    }
    return out;
}

// A rectangle with its corners cut (a radius of about two pixels of the 700 x 340
// picture), given in pixels of the picture drawn at scale.
void FillRounded(Picture* picture, int left, int top, int width, int height, uint32_t colour,
                 int scale) {
    if (width < 5 * scale || height < 5 * scale) {
        FillRect(picture, left, top, width, height, colour);
        return;
    }
    const int two = 2 * scale;
    FillRect(picture, left + two, top, width - 2 * two, height, colour);
    FillRect(picture, left, top + two, width, height - 2 * two, colour);
    FillRect(picture, left + scale, top + scale, width - two, height - two, colour);
}

// Fills a rectangle given in pixels of the 700 x 340 picture, drawn at scale.
void FillScaled(Picture* picture, int left, int top, int width, int height, uint32_t colour,
                int scale) {
    FillRounded(picture, left * scale, top * scale, width * scale, height * scale, colour, scale);
}

bool IsMouseButton(const KeyRecord& key) {
    return key.keyCode == kLeftMouseCode || key.keyCode == kMiddleMouseCode ||
           key.keyCode == kRightMouseCode;
}

struct Box {
    int left, top, right, bottom;
    bool empty;
};

void Extend(Box* box, const KeyRecord& key) {
    const int right = key.left + key.width;
    const int bottom = key.top + key.height;
    if (box->empty) {
        *box = {key.left, key.top, right, bottom, false};
        return;
    }
    box->left = std::min(box->left, key.left);
    box->top = std::min(box->top, key.top);
    box->right = std::max(box->right, right);
    box->bottom = std::max(box->bottom, bottom);
}

// Rectangles outside the picture (or absurdly large) are left out of the drawing.
bool OnPicture(const KeyRecord& key) {
    return key.left >= 0 && key.top >= 0 && key.width > 0 && key.height > 0 &&
           key.left < kPictureWidth && key.top < kPictureHeight && key.width <= kPictureWidth &&
           key.height <= kPictureHeight;
}

void DrawMouse(Picture* picture, const Box& buttons, int scale) {
    // The body reaches well below the buttons, as a mouse seen from above.
    const int left = buttons.left - 6;
    const int top = buttons.top - 6;
    const int width = buttons.right - buttons.left + 12;
    const int height = (buttons.bottom - buttons.top) * 2 + 12;
    FillScaled(picture, left, top, width, height, kMouseBody, scale);
    FillScaled(picture, left + 2, top + 2, width - 4, height - 4, Shade(kMouseBody, 120), scale);
}

} // namespace

int FitLabel(const char* label, int width, int height, LabelLines* lines) {
    lines->count = 0;
    const int maxLines = std::min(3, std::max(1, height / kLineHeight));
    const int length = static_cast<int>(std::strlen(label));
    int pos = 0;
    while (pos < length && lines->count < maxLines) {
        while (pos < length && label[pos] == ' ') {
            ++pos;
        }
        if (pos >= length) {
            break;
        }
        // Take whole words while they fit.
        int best = -1;
        for (int end = pos; end <= length; ++end) {
            if (end == length || label[end] == ' ') {
                if (TextWidth(label + pos, end - pos, 1) > width) {
                    break;
                }
                best = end;
            }
        }
        // Words that find no line are left out; a word wider than the box is cut.
        if (best < 0) {
            int n = length - pos;
            while (n > 0 && TextWidth(label + pos, n, 1) > width) {
                --n;
            }
            if (n == 0) {
                break;
            }
            best = pos + n;
        }
        const int n = std::min(best - pos, 63);
        std::memcpy(lines->text[lines->count], label + pos, static_cast<size_t>(n));
        lines->text[lines->count][n] = '\0';
        // Trailing blanks of a line take no room.
        for (int k = n - 1; k >= 0 && lines->text[lines->count][k] == ' '; --k) {
            lines->text[lines->count][k] = '\0';
        }
        ++lines->count;
        pos = best;
    }
    return lines->count;
}

void DrawKeycap(Picture* picture, int left, int top, int width, int height, const char* label,
                uint32_t cap, uint32_t ink, int scale) {
    // A darker skirt below a lighter top face gives the cap some depth.
    FillScaled(picture, left, top, width, height, Shade(cap, 62), scale);
    FillScaled(picture, left + 1, top + 1, width - 2, height - 3, Shade(cap, 85), scale);
    FillScaled(picture, left + 3, top + 2, width - 6, height - 6, cap, scale);

    // The label keeps clear of the cap's edge; a label that would otherwise be broken
    // over lines may run out to the skirt. Lines are fitted at scale 1, so that both
    // sizes of a picture break a label alike.
    LabelLines lines;
    const int innerHeight = height - 6;
    FitLabel(label, width - 6, innerHeight, &lines);
    if (lines.count > 1 || TextWidth(label, static_cast<int>(std::strlen(label)), 1) > width - 6) {
        LabelLines wide;
        FitLabel(label, width - 2, innerHeight, &wide);
        if (wide.count == 1 && std::strcmp(wide.text[0], label) == 0) {
            lines = wide;
        }
    }
    if (lines.count == 0) {
        return;
    }
    const int textHeight = lines.count * kLineHeight - 1;
    int y = (top + 2) * scale + (height - 6 - textHeight) * scale / 2;
    for (int i = 0; i < lines.count; ++i) {
        const int n = static_cast<int>(std::strlen(lines.text[i]));
        const int w = TextWidth(lines.text[i], n, 1);
        DrawText(picture, left * scale + (width - w) * scale / 2, y, lines.text[i], n, scale, ink);
        y += kLineHeight * scale;
    }
}

std::string PictureText(const char* label, int codePage) {
    const std::vector<uint32_t> text = DecodeText(label, codePage);
    std::string out;
    for (size_t i = 0; i < text.size();) {
        std::string western;
        if (EncodeChar(text[i], kWestern, &western) && GlyphWidth(western[0]) > 0) {
            out += western;
            ++i;
        } else {
            i += Transliterate(text, i, &out);
        }
    }
    return out;
}

std::string DoublePictureName(const std::string& picturePath) {
    const size_t n = picturePath.size();
    if (n > 4 && picturePath.compare(n - 4, 4, ".bmp") == 0) {
        return picturePath.substr(0, n - 4) + "@2x.bmp";
    }
    return picturePath + "@2x";
}

Picture DrawLayoutPicture(const KeyRecord* table, int codePage, int scale) {
    Picture picture = MakePicture(kPictureWidth * scale, kPictureHeight * scale, kDesk);

    Box keys = {0, 0, 0, 0, true};
    Box mouse = {0, 0, 0, 0, true};
    for (int i = 0; table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& key = table[i];
        if (!OnPicture(key)) {
            continue;
        }
        if (IsMouseButton(key)) {
            Extend(&mouse, key);
        } else if (key.keyCode != kModifiedCode) {
            Extend(&keys, key);
        }
    }
    if (!keys.empty) {
        const int margin = 7;
        FillScaled(&picture, keys.left - margin, keys.top - margin,
                   keys.right - keys.left + 2 * margin, keys.bottom - keys.top + 2 * margin,
                   kBodyEdge, scale);
        FillScaled(&picture, keys.left - margin + 2, keys.top - margin + 2,
                   keys.right - keys.left + 2 * margin - 4, keys.bottom - keys.top + 2 * margin - 4,
                   kBody, scale);
    }
    if (!mouse.empty) {
        DrawMouse(&picture, mouse, scale);
    }
    for (int i = 0; table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& key = table[i];
        if (!OnPicture(key)) {
            continue;
        }
        uint32_t cap = kCap;
        if (IsMouseButton(key)) {
            cap = kMouseButton;
        } else if (key.keyCode == kModifiedCode || key.keyCode == kCompoundCode) {
            cap = kCombinationCap;
        }
        DrawKeycap(&picture, key.left, key.top, key.width, key.height,
                   PictureText(key.label, codePage).c_str(), cap, kCapInk, scale);
    }
    return picture;
}
