#include "tools/clavoro_report/log_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t kBlockSize = 1 << 20;
}

int ReadLogFile(LogReader* reader, const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    char* block = static_cast<char*>(std::malloc(kBlockSize));
    if (block == nullptr) {
        std::fclose(file);
        return 0;
    }
    size_t have = 0;
    bool skipping = false; // the rest of an over-long line, already handed on
    for (;;) {
        size_t got = std::fread(block + have, 1, kBlockSize - have, file);
        have += got;
        bool atEnd = got == 0;
        size_t start = 0;
        for (;;) {
            const char* nl =
                static_cast<const char*>(std::memchr(block + start, '\n', have - start));
            if (nl == nullptr) {
                break;
            }
            size_t stop = static_cast<size_t>(nl - block);
            if (!skipping) {
                ReadLogLine(reader, block + start, stop - start);
            }
            skipping = false;
            start = stop + 1;
        }
        std::memmove(block, block + start, have - start);
        have -= start;
        if (atEnd) {
            if (have > 0 && !skipping) {
                ReadLogLine(reader, block, have); // last line without a line end
            }
            break;
        }
        if (have == kBlockSize) {
            // A line longer than a block: its head is all any record needs.
            if (!skipping) {
                ReadLogLine(reader, block, have);
            }
            skipping = true;
            have = 0;
        }
    }
    std::free(block);
    std::fclose(file);
    FinishLogReader(reader);
    return 1;
}
