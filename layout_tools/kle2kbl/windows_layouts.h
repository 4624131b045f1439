// The Windows keyboard layouts whose codes kle2kbl writes: what each sends for the keys
// of the main block, the code page of its labels, and which of them a drawing's legends
// point to.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "layout_tools/kle2kbl/kle_reader.h"

enum Board { kNoMainBlock, kAnsiBoard, kIsoBoard, kJisBoard };

struct LayoutKey {
    int scan;
    int32_t code;
};

struct WindowsLayout {
    const char* names[5]; // for --windows-layout; the first is the one shown
    const char* title;
    int codePage;          // of the labels
    const LayoutKey* keys; // where the layout's codes differ from the US layout's
    int count;
};

extern const WindowsLayout kWindowsLayouts[];
extern const int kWindowsLayoutCount;

// The index of the layout with that name, or -1.
int FindWindowsLayout(const std::string& name);

// The names --windows-layout takes, separated by blanks.
std::string WindowsLayoutNames();

// The virtual-key code that the layout's key of the main block with the set-1 scan code
// sends; 0 for a scan code outside the main block.
int32_t LayoutKeyCode(int layout, int scan);

// The layout that the legends of the drawing show, with the reason in *why. scans holds
// each key's scan code by its place in the main block (0 outside it); board is the kind
// of the main block.
int InferWindowsLayout(const std::vector<KleKey>& keys, const std::vector<int>& scans, int board,
                       std::string* why);
