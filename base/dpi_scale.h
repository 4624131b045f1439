// Figures of a window drawn at 96 dpi, at another display scale.
#pragma once

constexpr int kBaseDpi = 96;

// A pixel figure of the 96-dpi window at dpi, rounded to the nearest pixel (as MulDiv).
int ScaleToDpi(int pixels, int dpi);
// a * b / c rounded to the nearest integer, halves up, for the figures of a layout
// (none negative); 0 when c is not above 0.
int MulDivRound(int a, int b, int c);
