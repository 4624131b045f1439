// Arbitrary bytes as the text of a layout file, through both layers of the reader.
// Besides the sanitizers' findings, a table that breaks the key table's rules stops it.
#include <cstdint>
#include <cstring>

#include "base/app_state.h"
#include "base/message_box.h"
#include "layout/layout_file.h"

int ShowMessage(WindowHandle, const char*, const char*, MessageIcon) {
    return 1;
}

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckTable(const KeyRecord* table) {
    int compounds = 0;
    int i = 0;
    for (; table[i].keyCode != kEndCode; ++i) {
        const KeyRecord& k = table[i];
        Require(k.keyCode >= kModifiedCode);
        Require(k.label != nullptr && std::strlen(k.label) < kLinePieceLength);
        Require(k.keyCode >= 0 || k.scanCode == k.keyCode);
        Require(k.extended <= 1);
        Require(k.status == Untested || k.status == NotTestable || k.status == FailArmed ||
                k.status == FailDisarmed || k.status == NotTestableFail);
        if (k.keyCode == kCompoundCode) {
            ++compounds;
            // A code written as '\xFF' is -1 and ends the list early; no key has it anyway.
            Require(k.compoundCodes != nullptr);
            int n = 0;
            while (k.compoundCodes[n] != -1) {
                ++n;
                Require(n <= kMaxCompoundCodes);
            }
        } else {
            Require(k.compoundCodes == nullptr && k.compoundTime == -1);
        }
        if (k.keyCode != kModifiedCode) {
            Require(k.baseCode == -1 && k.modifierCode == -1);
        }
    }
    Require(compounds <= kMaxCompoundRecords);
    Require(table[i].scanCode == kEndCode && table[i].label[0] == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    appState.batchMode = (size & 1) != 0;
    LineList lines = {nullptr};
    const int count = ReadLayoutText(&lines, reinterpret_cast<const char*>(data), size);
    KeyboardLayout* layout = nullptr;
    if (count > 0 && LoadLayoutFile(nullptr, &lines, &layout, count, "fuzz.kbl") == 1) {
        CheckTable(layout->table);
    }
    FreeLayout(layout);
    FreeLineList(&lines);
    ResetAltShortcuts();
    return 0;
}
