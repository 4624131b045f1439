// Which key of a PC keyboard a drawn key is: named by any of its labels, with the usual
// spellings, and placed by where it lies (left or right modifier, numeric pad).
#pragma once
#include <cstdint>
#include <vector>

#include "tools/kle2kbl/kle_reader.h"

struct KeyCodes {
    int32_t code;      // Windows virtual-key code
    int32_t scan;      // set-1 scan code
    int extended;      // 1 when the key sends the extended-key flag
    const char* label; // the label the layout gets
};

enum KeyKind {
    kKnownKey,
    kFnKey,      // a key that sends nothing to the PC
    kUnknownKey, // a name this tool does not know
};

struct MatchedKey {
    int kind;       // a KeyKind
    KeyCodes codes; // of a known key
};

// Every key of the drawing, in its order. Where a name occurs twice the place decides:
// the Shift, Ctrl, Alt or Win key left of the space bar is the left one; keys from the
// Num Lock key rightwards and downwards are the numeric pad; the backslash key on the
// row of Z is the one beside the left Shift of an ISO keyboard.
std::vector<MatchedKey> MatchKeys(const std::vector<KleKey>& keys);
