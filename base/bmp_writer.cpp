#include "base/bmp_writer.h"

#include <cstdio>

Picture MakePicture(int width, int height, uint32_t fill) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), fill);
    return p;
}

void FillRect(Picture* picture, int left, int top, int width, int height, uint32_t colour) {
    for (int y = top; y < top + height; ++y) {
        if (y < 0 || y >= picture->height) {
            continue;
        }
        for (int x = left; x < left + width; ++x) {
            if (x >= 0 && x < picture->width) {
                picture->pixels[static_cast<size_t>(y) * picture->width + x] = colour;
            }
        }
    }
}

static void Put16(FILE* f, uint32_t v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
static void Put32(FILE* f, uint32_t v) {
    Put16(f, v & 0xFFFF);
    Put16(f, v >> 16);
}

int SaveBmp(const Picture& picture, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        return 0;
    }
    const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(picture.height);
    std::fputc('B', f);
    std::fputc('M', f);
    Put32(f, 14 + 40 + imageBytes);
    Put32(f, 0);
    Put32(f, 14 + 40);
    Put32(f, 40); // BITMAPINFOHEADER
    Put32(f, static_cast<uint32_t>(picture.width));
    Put32(f, static_cast<uint32_t>(picture.height));
    Put16(f, 1);
    Put16(f, 24);
    Put32(f, 0); // BI_RGB
    Put32(f, imageBytes);
    Put32(f, 2835); // 72 dpi
    Put32(f, 2835);
    Put32(f, 0);
    Put32(f, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int x = 0; x < picture.width; ++x) {
            uint32_t c = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            std::fputc(static_cast<int>(c & 0xFF), f);         // blue
            std::fputc(static_cast<int>((c >> 8) & 0xFF), f);  // green
            std::fputc(static_cast<int>((c >> 16) & 0xFF), f); // red
            written += 3;
        }
        for (; written < rowBytes; ++written) {
            std::fputc(0, f);
        }
    }
    return std::fclose(f) == 0 ? 1 : 0;
}
