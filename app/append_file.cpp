#include "app/append_file.h"

#include <cstring>

size_t ToFileLines(const char* text, char* out, size_t size) {
    if (size == 0) {
        return 0;
    }
    size_t n = 0;
    for (const char* c = text; *c != 0; ++c) {
        const size_t need = *c == '\n' ? 2 : 1;
        if (n + need > size - 1) {
            // Cut: keep the line end of a text that had one, in the last two places.
            const size_t length = std::strlen(text);
            if (length > 0 && text[length - 1] == '\n' && size >= 3) {
                n = n > size - 3 ? size - 3 : n;
                if (n > 0 && out[n - 1] == '\r') {
                    --n; // never half of a line end
                }
                out[n++] = '\r';
                out[n++] = '\n';
            }
            break;
        }
        if (*c == '\n') {
            out[n++] = '\r';
        }
        out[n++] = *c;
    }
    out[n] = 0;
    return n;
}
