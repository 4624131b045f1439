#include "report/log_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t kBlockSize = 1 << 20;
}

int ReadLogFile(LogReader* reader, const char* path) {
    return ReadLogFileFrom(reader, path, 0, nullptr, nullptr);
}

int ReadLogFileFrom(LogReader* reader, const char* path, long from,
                    void (*atWholeLines)(void* context, long long end), void* context) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    if (from > 0 && std::fseek(file, from, SEEK_SET) != 0) {
        std::fclose(file);
        return 0;
    }
    long long read = from; // bytes of the file taken so far
    char* block = static_cast<char*>(std::malloc(kBlockSize));
    if (block == nullptr) {
        std::fclose(file);
        return 0;
    }
    size_t have = 0;       // bytes of the line still to come, at the block's start
    bool skipping = false; // the rest of an over-long line, its head already handed on
    size_t got = 0;
    while ((got = std::fread(block + have, 1, kBlockSize - have, file)) > 0) {
        have += got;
        read += static_cast<long long>(got);
        size_t start = 0;
        if (skipping) {
            const char* nl = static_cast<const char*>(std::memchr(block, '\n', have));
            start = nl != nullptr ? static_cast<size_t>(nl - block) + 1 : have;
            skipping = nl == nullptr;
        }
        start += ReadLogLines(reader, block + start, have - start);
        have -= start;
        std::memmove(block, block + start, have);
        if (have == kBlockSize) {
            // A line longer than a block: its head is all any record needs.
            ReadLogLine(reader, block, have);
            skipping = true;
            have = 0;
        }
    }
    if (atWholeLines != nullptr) {
        atWholeLines(context, read - static_cast<long long>(have));
    }
    ReadLogText(reader, block, have); // a last line without a line end, then the end
    std::free(block);
    std::fclose(file);
    return 1;
}
