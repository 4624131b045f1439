#include "tools/clavoro_report/packed_keyboards.h"

#include <cstddef>
#include <cstring>

namespace {

struct TextField {
    size_t at, size;
};
#define CLAVORO_TEXT(name)                                                                         \
    { offsetof(KeyboardRecord, name), sizeof(KeyboardRecord::name) }
const TextField kTexts[] = {
    CLAVORO_TEXT(serial),      CLAVORO_TEXT(version),     CLAVORO_TEXT(layout),
    CLAVORO_TEXT(reason),      CLAVORO_TEXT(chatterKey),  CLAVORO_TEXT(keyboardVid),
    CLAVORO_TEXT(keyboardPid), CLAVORO_TEXT(keyboardRev), CLAVORO_TEXT(keyboardName),
};
#undef CLAVORO_TEXT
constexpr int kTextCount = sizeof kTexts / sizeof kTexts[0];
static_assert(kVerdictCount <= 4, "a verdict takes two bits");

char* Text(KeyboardRecord* kb, const TextField& field) {
    return reinterpret_cast<char*>(kb) + field.at;
}
const char* Text(const KeyboardRecord& kb, const TextField& field) {
    return reinterpret_cast<const char*>(&kb) + field.at;
}

void PutNumber(std::string* out, unsigned long n) {
    for (; n >= 0x80; n >>= 7) {
        out->push_back(static_cast<char>(0x80 | (n & 0x7f)));
    }
    out->push_back(static_cast<char>(n));
}

bool GetNumber(KeyboardUnpacker* u, unsigned long* n) {
    *n = 0;
    for (int shift = 0; u->at < u->end && shift < 63; shift += 7) {
        const unsigned char byte = *u->at++;
        *n |= static_cast<unsigned long>(byte & 0x7f) << shift;
        if (byte < 0x80) {
            return true;
        }
    }
    return false;
}

} // namespace

void StartPacking(KeyboardPacker* packer, long runLine) {
    packer->bytes.clear();
    packer->line = runLine;
    std::memset(&packer->last, 0, sizeof packer->last);
}

void PackKeyboard(KeyboardPacker* packer, const KeyboardRecord& kb) {
    PutNumber(&packer->bytes, static_cast<unsigned long>(kb.line - packer->line));
    packer->line = kb.line;
    // The verdict, and which texts differ from the keyboard before; only those follow.
    unsigned long changed = 0;
    for (int i = 0; i < kTextCount; ++i) {
        if (std::strcmp(Text(kb, kTexts[i]), Text(packer->last, kTexts[i])) != 0) {
            changed |= 1ul << i;
        }
    }
    PutNumber(&packer->bytes, static_cast<unsigned long>(kb.verdict) | changed << 2);
    for (int i = 0; i < kTextCount; ++i) {
        if ((changed >> i & 1) == 0) {
            continue;
        }
        const char* text = Text(kb, kTexts[i]);
        char* last = Text(&packer->last, kTexts[i]);
        size_t shared = 0;
        while (text[shared] != 0 && text[shared] == last[shared]) {
            ++shared;
        }
        const size_t rest = std::strlen(text + shared);
        PutNumber(&packer->bytes, shared);
        PutNumber(&packer->bytes, rest);
        packer->bytes.append(text + shared, rest);
        std::memcpy(last + shared, text + shared, rest + 1);
    }
}

void StartUnpacking(KeyboardUnpacker* u, const std::string& bytes, long runLine, const char* file) {
    u->at = reinterpret_cast<const unsigned char*>(bytes.data());
    u->end = u->at + bytes.size();
    std::memset(&u->keyboard, 0, sizeof u->keyboard);
    std::strncpy(u->keyboard.file, file, sizeof u->keyboard.file - 1);
    u->keyboard.line = runLine;
}

int UnpackKeyboard(KeyboardUnpacker* u) {
    if (u->at == u->end) {
        return 0;
    }
    KeyboardRecord* kb = &u->keyboard;
    unsigned long step = 0, head = 0;
    if (!GetNumber(u, &step) || step == 0 || step > 1ul << 40 || !GetNumber(u, &head) ||
        head >> 2 >= 1ul << kTextCount) {
        return -1;
    }
    kb->line += static_cast<long>(step);
    kb->verdict = static_cast<int>(head & 3);
    for (int i = 0; i < kTextCount; ++i) {
        if ((head >> (i + 2) & 1) == 0) {
            continue;
        }
        const TextField& field = kTexts[i];
        char* text = Text(kb, field);
        unsigned long shared = 0, rest = 0;
        if (!GetNumber(u, &shared) || !GetNumber(u, &rest) || shared > std::strlen(text) ||
            rest >= field.size - shared || rest > static_cast<unsigned long>(u->end - u->at)) {
            return -1;
        }
        std::memcpy(text + shared, u->at, rest);
        text[shared + rest] = 0;
        u->at += rest;
    }
    return 1;
}
