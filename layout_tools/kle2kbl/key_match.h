// Which key of a PC keyboard a drawn key is. In the main block its place decides: its
// row and its order in the row, counted from the row's left-hand key (` or Esc, Tab,
// Caps Lock, Shift), so that any legend works. Elsewhere its name decides, with the
// usual spellings in English and in the languages of the national layouts, and where it
// lies (left or right modifier, numeric pad).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "layout_tools/kle2kbl/kle_reader.h"

struct KeyCodes {
    int32_t code;      // Windows virtual-key code
    int32_t scan;      // set-1 scan code
    int extended;      // 1 when the key sends the extended-key flag
    const char* label; // the English label of a named key
};

enum KeyKind {
    kKnownKey,
    kFnKey,      // a key that sends nothing to the PC
    kUnknownKey, // a name this tool does not know
};

struct MatchedKey {
    int kind;          // a KeyKind
    KeyCodes codes;    // of a known key
    std::string label; // UTF-8: the label the layout gets
};

// The main block of a drawing, found from its Tab key: the board's kind (a Board of
// windows_layouts.h) and each key's scan code by its place, 0 for a key outside the
// block (and for every key when there is no Tab key).
struct MainBlock {
    int board;
    std::vector<int> scans;
};
MainBlock FindMainBlock(const std::vector<KleKey>& keys);

// Every key of the drawing, in its order, with the codes of the Windows layout (an
// index of kWindowsLayouts). A named key in the main block keeps its name where the name
// and the place disagree (Esc in the place of `), unless the name is an arrow or a
// symbol (a Backspace key that shows only ←). Where a name occurs twice outside the
// main block the place decides: the Shift, Ctrl, Alt or Win key left of the space bar is
// the left one; keys from the Num Lock key rightwards and downwards are the numeric pad;
// the backslash key on the row of Z is the one beside the left Shift of an ISO keyboard.
std::vector<MatchedKey> MatchKeys(const std::vector<KleKey>& keys, const MainBlock& block,
                                  int layout);
