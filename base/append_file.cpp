#include "base/append_file.h"

size_t ToFileLine(const char* text, bool lineEnd, char* out, size_t size) {
    const size_t room = size - 1 - (lineEnd ? 2 : 0);
    size_t n = 0;
    for (const char* c = text; *c != 0 && n < room; ++c) {
        const unsigned char u = static_cast<unsigned char>(*c);
        out[n++] = u < ' ' || u == 127 ? '?' : *c;
    }
    if (lineEnd) {
        out[n++] = '\r';
        out[n++] = '\n';
    }
    out[n] = 0;
    return n;
}
