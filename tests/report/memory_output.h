// An output file of the report's writers, kept in memory.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

struct MemoryOutput {
    char* text = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&text, &size);
    std::string Take() {
        std::fclose(file);
        std::string s(text, size);
        std::free(text);
        return s;
    }
};
