// Draws the two pictures of the About box: the product picture (a keyboard being
// tested, with the program's name) and the logo. Both 279 x 225, true colour.
//   about_images <product.bmp> <logo.bmp>
#include <cstdio>
#include <cstring>

#include "base/bmp_writer.h"
#include "layout_tools/kbdraw/keyboard_picture.h"
#include "layout_tools/kbdraw/pixel_font.h"

namespace {

constexpr int kWidth = 279;
constexpr int kHeight = 225;

uint32_t Blend(uint32_t a, uint32_t b, int step, int steps) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        out |= static_cast<uint32_t>(ca + (cb - ca) * step / steps) << shift;
    }
    return out;
}

void VerticalGradient(Picture* p, uint32_t top, uint32_t bottom) {
    for (int y = 0; y < p->height; ++y) {
        FillRect(p, 0, y, p->width, 1, Blend(top, bottom, y, p->height - 1));
    }
}

void CentredText(Picture* p, int y, const char* text, int scale, uint32_t colour) {
    const int n = static_cast<int>(std::strlen(text));
    DrawText(p, (p->width - TextWidth(text, n, scale)) / 2, y, text, n, scale, colour);
}

// Diagonal cross-hatch over a key, in the colours the program uses for key states.
void Hatch(Picture* p, int left, int top, int width, int height, uint32_t colour) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((x + y) % 6 == 0 || (x - y + 600) % 6 == 0) {
                FillRect(p, left + x, top + y, 1, 1, colour);
            }
        }
    }
}

Picture ProductPicture() {
    Picture p = MakePicture(kWidth, kHeight, 0);
    VerticalGradient(&p, 0x1E2A3A, 0x4A6078);
    // A small keyboard: four rows of caps on a dark body, some already tested.
    const int unit = 17;
    const int left = 20;
    const int top = 24;
    FillRect(&p, left - 6, top - 6, 14 * unit + 12 - 2, 4 * unit + 12 - 2, 0x2A2D31);
    const char* rows[4] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM", ""};
    const int offsets[4] = {unit / 2, unit * 3 / 4, unit * 5 / 4, 0};
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; rows[r][k] != '\0'; ++k) {
            const char label[2] = {rows[r][k], '\0'};
            const int x = left + offsets[r] + k * unit;
            const int y = top + r * unit;
            DrawKeycap(&p, x, y, unit - 1, unit - 1, label, 0xE9EAEC, 0x15171A);
            if (r * 10 + k < 14) {
                Hatch(&p, x, y, unit - 1, unit - 1, 0x00D000);
            } else if (r * 10 + k == 14) {
                Hatch(&p, x, y, unit - 1, unit - 1, 0xFF0000);
            }
        }
    }
    DrawKeycap(&p, left + 3 * unit, top + 3 * unit, 6 * unit - 1, unit - 1, "", 0xE9EAEC, 0x15171A);
    // A mouse to the right.
    FillRect(&p, 238, 40, 26, 44, 0x5A5E66);
    FillRect(&p, 240, 42, 10, 16, 0xDADCE0);
    FillRect(&p, 252, 42, 10, 16, 0xDADCE0);
    Hatch(&p, 240, 42, 10, 16, 0x00D000);

    CentredText(&p, 118, "Clavoro", 4, 0xFFFFFF);
    CentredText(&p, 158, "Keyboard test", 2, 0xC8D6E8);
    CentredText(&p, 190, "for repair benches and", 1, 0xC8D6E8);
    CentredText(&p, 201, "production lines", 1, 0xC8D6E8);
    return p;
}

Picture LogoPicture() {
    Picture p = MakePicture(kWidth, kHeight, 0xFFFFFF);
    VerticalGradient(&p, 0xFFFFFF, 0xE4EAF2);
    // Three bars in the colours of a tested, a held and a failed key.
    FillRect(&p, 60, 40, 50, 12, 0x00C000);
    FillRect(&p, 115, 40, 50, 12, 0xE00000);
    FillRect(&p, 170, 40, 50, 12, 0x0030E0);
    CentredText(&p, 70, "ORVANE", 5, 0x1E2A3A);
    CentredText(&p, 125, "Clavoro", 3, 0x2F4A6E);
    CentredText(&p, 170, "Version 3.2", 1, 0x2F4A6E);
    return p;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: about_images <product.bmp> <logo.bmp>\n");
        return 2;
    }
    if (!SaveBmp(ProductPicture(), argv[1]) || !SaveBmp(LogoPicture(), argv[2])) {
        std::fprintf(stderr, "about_images: cannot write the pictures\n");
        return 1;
    }
    return 0;
}
