#include "tools/common/tool_options.h"

#include <cstdio>
#include <cstring>

int ReadToolArgs(int argc, char** argv, const ToolOption* table, int count, ToolArgs* args) {
    args->options.clear();
    args->operands.clear();
    args->error[0] = '\0';
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
