// Draws the main window's images at build time: the six 8 x 8 legend squares, the
// legend of the chatter mark and the program icon. Usage: make_images <output folder>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/bmp/bmp_writer.h"

namespace {

struct LegendSquare {
    const char* file;
    uint32_t colour; // 0x00RRGGBB, the hatch colour of the status it explains
};

const LegendSquare kLegend[] = {
    {"legend_tested_ok.bmp", 0x00FF00},     {"legend_being_pressed.bmp", 0xFF0000},
    {"legend_not_testable.bmp", 0xFFBF35},  {"legend_key_failure.bmp", 0x0000FF},
    {"legend_under_pressed.bmp", 0x008000}, {"legend_over_pressed.bmp", 0x800080},
};

// The mark around a key that chattered: a thick frame in a colour no status uses, on
// white as an untouched key.
Picture DrawChatterLegend() {
    const uint32_t mark = 0xFF00FF;
    Picture square = MakePicture(8, 8, 0xFFFFFF);
    FillRect(&square, 0, 0, 8, 2, mark);
    FillRect(&square, 0, 6, 8, 2, mark);
    FillRect(&square, 0, 0, 2, 8, mark);
    FillRect(&square, 6, 0, 2, 8, mark);
    return square;
}

void Put16(FILE* f, uint32_t v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void Put32(FILE* f, uint32_t v) {
    Put16(f, v & 0xFFFF);
    Put16(f, v >> 16);
}

// A keyboard seen from above: a dark body with rows of light keys, two of them in
// the "tested OK" and "being pressed" colours. Pixels are 0xAARRGGBB; alpha 0 is
// transparent.
Picture DrawIcon() {
    const uint32_t body = 0xFF404850;
    const uint32_t key = 0xFFE8E8E8;
    Picture icon = MakePicture(32, 32, 0x00000000);
    FillRect(&icon, 1, 7, 30, 19, body);
    FillRect(&icon, 2, 6, 28, 21, body); // rounded corners
    for (int row = 0; row < 3; ++row) {
        int offset = row; // staggered rows as on a real keyboard
        for (int col = 0; col < 6; ++col) {
            FillRect(&icon, 3 + offset + col * 4, 8 + row * 5, 3, 4, key);
        }
    }
    FillRect(&icon, 8, 23, 16, 2, key); // space bar
    FillRect(&icon, 7, 8, 3, 4, 0xFF00FF00);
    FillRect(&icon, 20, 13, 3, 4, 0xFFFF0000);
    return icon;
}

// An icon file with one 32 x 32 entry of 32 bits per pixel with alpha, followed by
// the AND mask that older systems use for transparency.
int SaveIcon(const Picture& icon, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        return 0;
    }
    const uint32_t size = static_cast<uint32_t>(icon.width);
    const uint32_t maskRowBytes = ((size + 31) / 32) * 4;
    const uint32_t imageBytes = size * size * 4 + maskRowBytes * size;
    Put16(f, 0);                           // ICONDIR
    Put16(f, 1);                           // icon
    Put16(f, 1);                           // one image
    std::fputc(static_cast<int>(size), f); // ICONDIRENTRY
    std::fputc(static_cast<int>(size), f);
    std::fputc(0, f); // no palette
    std::fputc(0, f);
    Put16(f, 1);  // planes
    Put16(f, 32); // bits per pixel
    Put32(f, 40 + imageBytes);
    Put32(f, 6 + 16);
    Put32(f, 40); // BITMAPINFOHEADER; the height counts colour and mask rows
    Put32(f, size);
    Put32(f, size * 2);
    Put16(f, 1);
    Put16(f, 32);
    Put32(f, 0);
    Put32(f, imageBytes);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, 0);
    Put32(f, 0);
    for (int y = icon.height - 1; y >= 0; --y) {
        for (int x = 0; x < icon.width; ++x) {
            Put32(f, icon.pixels[static_cast<size_t>(y) * icon.width + x]); // B G R A
        }
    }
    for (int y = icon.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRowBytes, 0);
        for (int x = 0; x < icon.width; ++x) {
            if ((icon.pixels[static_cast<size_t>(y) * icon.width + x] >> 24) == 0) {
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); // transparent
            }
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_images <output folder>\n");
        return 2;
    }
    char path[1024];
    for (const LegendSquare& square : kLegend) {
        std::snprintf(path, sizeof path, "%s/%s", argv[1], square.file);
        if (!SaveBmp(MakePicture(8, 8, square.colour), path)) {
            std::fprintf(stderr, "make_images: cannot write %s\n", path);
            return 1;
        }
    }
    std::snprintf(path, sizeof path, "%s/legend_chatter.bmp", argv[1]);
    if (!SaveBmp(DrawChatterLegend(), path)) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path);
        return 1;
    }
    std::snprintf(path, sizeof path, "%s/clavoro.ico", argv[1]);
    if (!SaveIcon(DrawIcon(), path)) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
