// Draws the main window's images at build time: the six 8 x 8 legend squares, the
// legend of the chatter mark and the program icon (16 to 256 pixels). Usage: make_images <output
// folder>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/bmp_writer.h"

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
// the "tested OK" and "being pressed" colours, designed on a grid of 32 x 32 units.
// Colours are 0xAARRGGBB.
struct IconPart {
    int x, y, width, height; // grid units
    uint32_t colour;
};

std::vector<IconPart> IconParts() {
    const uint32_t body = 0xFF404850;
    const uint32_t key = 0xFFE8E8E8;
    std::vector<IconPart> parts = {{1, 7, 30, 19, body}, {2, 6, 28, 21, body}}; // rounded
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 6; ++col) {
            parts.push_back({3 + row + col * 4, 8 + row * 5, 3, 4, key}); // staggered rows
        }
    }
    parts.push_back({8, 23, 16, 2, key}); // space bar
    parts.push_back({7, 8, 3, 4, 0xFF00FF00});
    parts.push_back({20, 13, 3, 4, 0xFFFF0000});
    return parts;
}

// Length of [a0, a1) inside [b0, b1).
double Overlap(double a0, double a1, double b0, double b1) {
    return std::max(std::min(a1, b1) - std::max(a0, b0), 0.0);
}

// The icon at size x size pixels: each part covers a pixel by the share of the pixel's
// area that it covers, so that the edges of sizes that are no multiple of 32 are smooth.
// Pixels are 0xAARRGGBB; alpha 0 is transparent.
Picture DrawIcon(int size) {
    std::vector<double> rgba(static_cast<size_t>(size) * size * 4, 0.0); // premultiplied
    const double unit = size / 32.0;
    for (const IconPart& part : IconParts()) {
        const double x0 = part.x * unit, x1 = (part.x + part.width) * unit;
        const double y0 = part.y * unit, y1 = (part.y + part.height) * unit;
        for (int y = static_cast<int>(y0); y < size && y < y1; ++y) {
            for (int x = static_cast<int>(x0); x < size && x < x1; ++x) {
                const double a = Overlap(x, x + 1, x0, x1) * Overlap(y, y + 1, y0, y1);
                double* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
                for (int c = 0; c < 3; ++c) { // "over": the part on top of what lies below
                    p[c] = ((part.colour >> (16 - 8 * c)) & 0xFF) / 255.0 * a + p[c] * (1 - a);
                }
                p[3] = a + p[3] * (1 - a);
            }
        }
    }
    Picture icon = MakePicture(size, size, 0);
    for (size_t i = 0; i < icon.pixels.size(); ++i) {
        const double* p = &rgba[i * 4];
        uint32_t pixel = static_cast<uint32_t>(p[3] * 255 + 0.5) << 24;
        for (int c = 0; c < 3; ++c) {
            const double straight = p[3] > 0 ? p[c] / p[3] : 0.0;
            pixel |= static_cast<uint32_t>(straight * 255 + 0.5) << (16 - 8 * c);
        }
        icon.pixels[i] = pixel;
    }
    return icon;
}

// The sizes Windows asks for at 100 to 200 % display scale: small icons 16 to 32,
// large ones 32 to 64, and 256 for Explorer's largest views.
const int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

uint32_t MaskRowBytes(int size) {
    return ((static_cast<uint32_t>(size) + 31) / 32) * 4;
}
uint32_t ImageBytes(int size) {
    const uint32_t s = static_cast<uint32_t>(size);
    return 40 + s * s * 4 + MaskRowBytes(size) * s;
}

// One image of the icon file: a header, 32 bits per pixel with alpha, then the AND mask
// that older systems use for transparency.
void PutIconImage(FILE* f, const Picture& icon) {
    const uint32_t size = static_cast<uint32_t>(icon.width);
    Put32(f, 40); // BITMAPINFOHEADER; the height counts colour and mask rows
    Put32(f, size);
    Put32(f, size * 2);
    Put16(f, 1);
    Put16(f, 32);
    Put32(f, 0);
    Put32(f, ImageBytes(icon.width) - 40);
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
        std::vector<uint8_t> row(MaskRowBytes(icon.width), 0);
        for (int x = 0; x < icon.width; ++x) {
            if ((icon.pixels[static_cast<size_t>(y) * icon.width + x] >> 24) == 0) {
                row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); // transparent
            }
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
}

// An icon file with an entry for every size of kIconSizes.
int SaveIcon(const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        return 0;
    }
    const int count = static_cast<int>(sizeof kIconSizes / sizeof kIconSizes[0]);
    Put16(f, 0); // ICONDIR
    Put16(f, 1); // icon
    Put16(f, static_cast<uint32_t>(count));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(count);
    for (int size : kIconSizes) {              // ICONDIRENTRY
        std::fputc(size == 256 ? 0 : size, f); // 0 stands for 256
        std::fputc(size == 256 ? 0 : size, f);
        std::fputc(0, f); // no palette
        std::fputc(0, f);
        Put16(f, 1);  // planes
        Put16(f, 32); // bits per pixel
        Put32(f, ImageBytes(size));
        Put32(f, offset);
        offset += ImageBytes(size);
    }
    for (int size : kIconSizes) {
        PutIconImage(f, DrawIcon(size));
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
    if (!SaveIcon(path)) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
