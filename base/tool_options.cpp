#include "base/tool_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clavoro_version.h"

namespace {

// "<tool> <version>", the tool named as it was called, without its folder and ".exe".
void PrintVersion(const char* argv0) {
    const char* name = argv0;
    for (const char* c = argv0; *c != '\0'; ++c) {
        if (*c == '/' || *c == '\\') {
            name = c + 1;
        }
    }
    int length = static_cast<int>(std::strlen(name));
    if (length > 4 && std::strcmp(name + length - 4, ".exe") == 0) {
        length -= 4;
    }
    std::printf("%.*s %s\n", length, name, CLAVORO_VERSION);
}

} // namespace

int ReadToolArgs(int argc, char** argv, const ToolOption* table, int count, ToolArgs* args) {
    *args = ToolArgs{};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (optionsEnded || a[0] != '-' || a[1] == '\0') {
            args->operands.push_back(a);
            continue;
        }
        if (std::strcmp(a, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (std::strcmp(a, "--help") == 0) {
            return kArgsHelp;
        }
        if (std::strcmp(a, "--version") == 0) {
            PrintVersion(argv[0]);
            std::exit(0); // answered here, so that every tool has it without a line of its own
        }
        int found = 0;
        while (found < count && std::strcmp(a, table[found].name) != 0) {
            ++found;
        }
        if (found == count) {
            std::snprintf(args->error, sizeof args->error, "unknown option %s", a);
            return kArgsBad;
        }
        const char* value = nullptr;
        if (table[found].takesValue) {
            if (i + 1 >= argc) {
                std::snprintf(args->error, sizeof args->error, "%s needs a value", a);
                return kArgsBad;
            }
            value = argv[++i];
        }
        args->options.push_back({found, value});
    }
    return kArgsOk;
}
