#include "app/append_file.h"

size_t ToFileLines(const char* text, char* out, size_t size) {
    size_t n = 0;
    for (const char* c = text; *c != 0 && n + (*c == '\n' ? 2 : 1) < size; ++c) {
        if (*c == '\n') {
            out[n++] = '\r';
        }
        out[n++] = *c;
    }
    if (size > 0) {
        out[n] = 0;
    }
    return n;
}
