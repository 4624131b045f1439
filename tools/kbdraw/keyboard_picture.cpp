#include "tools/kbdraw/keyboard_picture.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "tools/common/code_pages.h"
#include "tools/kbdraw/pixel_font.h"

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

// A rectangle with its four corner pixels cut (a radius of about two pixels).
void FillRounded(Picture* picture, int left, int top, int width, int height, uint32_t colour) {
    if (width < 5 || height < 5) {
        FillRect(picture, left, top, width, height, colour);
        return;
    }
    FillRect(picture, left + 2, top, width - 4, height, colour);
    FillRect(picture, left, top + 2, width, height - 4, colour);
    FillRect(picture, left + 1, top + 1, width - 2, height - 2, colour);
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

void DrawMouse(Picture* picture, const Box& buttons) {
    // The body reaches well below the buttons, as a mouse seen from above.
    const int left = buttons.left - 6;
    const int top = buttons.top - 6;
    const int width = buttons.right - buttons.left + 12;
    const int height = (buttons.bottom - buttons.top) * 2 + 12;
    FillRounded(picture, left, top, width, height, kMouseBody);
    FillRounded(picture, left + 2, top + 2, width - 4, height - 4, Shade(kMouseBody, 120));
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
                uint32_t cap, uint32_t ink) {
    // A darker skirt below a lighter top face gives the cap some depth.
    FillRounded(picture, left, top, width, height, Shade(cap, 62));
    FillRounded(picture, left + 1, top + 1, width - 2, height - 3, Shade(cap, 85));
    FillRounded(picture, left + 3, top + 2, width - 6, height - 6, cap);

    // The label keeps clear of the cap's edge; a label that would otherwise be broken
    // over lines may run out to the skirt.
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
    int y = top + 2 + (height - 6 - textHeight) / 2;
    for (int i = 0; i < lines.count; ++i) {
        const int n = static_cast<int>(std::strlen(lines.text[i]));
        const int w = TextWidth(lines.text[i], n, 1);
        DrawText(picture, left + (width - w) / 2, y, lines.text[i], n, 1, ink);
        y += kLineHeight;
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

Picture DrawLayoutPicture(const KeyRecord* table, int codePage) {
    Picture picture = MakePicture(kPictureWidth, kPictureHeight, kDesk);

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
        FillRounded(&picture, keys.left - margin, keys.top - margin,
                    keys.right - keys.left + 2 * margin, keys.bottom - keys.top + 2 * margin,
                    kBodyEdge);
        FillRounded(&picture, keys.left - margin + 2, keys.top - margin + 2,
                    keys.right - keys.left + 2 * margin - 4,
                    keys.bottom - keys.top + 2 * margin - 4, kBody);
    }
    if (!mouse.empty) {
        DrawMouse(&picture, mouse);
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
                   PictureText(key.label, codePage).c_str(), cap, kCapInk);
    }
    return picture;
}
