// Writes uncompressed Windows bitmap files: the build-time images of the program
// (legend squares, About pictures, keyboard pictures) are drawn by code into a
// Picture and saved with SaveBmp.
#pragma once
#include <cstdint>
#include <vector>

struct Picture {
    int width;
    int height;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, row 0 at the top
};

Picture MakePicture(int width, int height, uint32_t fill);
void FillRect(Picture* picture, int left, int top, int width, int height, uint32_t colour);
// 24 bits per pixel, bottom-up rows as Windows expects; 1 on success.
int SaveBmp(const Picture& picture, const char* path);
