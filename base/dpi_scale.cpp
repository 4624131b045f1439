#include "base/dpi_scale.h"

#include <cstdint>

int MulDivRound(int a, int b, int c) {
    return c > 0 ? static_cast<int>((static_cast<int64_t>(a) * b + c / 2) / c) : 0;
}

int ScaleToDpi(int pixels, int dpi) {
    return MulDivRound(pixels, dpi, kBaseDpi);
}
