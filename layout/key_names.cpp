#include <cstring>

#include "layout/layout_file.h"

int32_t LookUpKeyName(const char* text) {
    if (text == nullptr) {
        return kEndCode;
    }
    for (const KeyName& row : keyNameTable) {
        if (std::strcmp(row.name, text) == 0) {
            return row.code; // the first row wins: several names share a code, not the reverse
        }
    }
    return kEndCode;
}
