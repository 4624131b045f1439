// Arbitrary bytes as a keyboard-layout-editor drawing, read as kle2kbl reads one and, when
// it is a drawing, made into a layout file (its last byte chooses the Windows layout and
// the mouse buttons). Besides the sanitizers' findings, a written file that the program's
// own reader does not load without a message stops it: kle2kbl would refuse to draw it.
#include <cstdint>
#include <string>

#include "base/message_box.h"
#include "layout/layout_file.h"
#include "layout_tools/kle2kbl/kbl_writer.h"
#include "layout_tools/kle2kbl/windows_layouts.h"

int ShowMessage(WindowHandle, const char*, const char*, MessageIcon) {
    __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KleDrawing drawing;
    KleError error;
    KblFile file;
    std::string why;
    const int choice = size > 0 ? data[size - 1] : 0;
    if (ReadKle(std::string(reinterpret_cast<const char*>(data), size), &drawing, &error) &&
        MakeKblFile(drawing, "fuzz.json", choice > 127, choice % (kWindowsLayoutCount + 1) - 1,
                    &file, &why)) {
        LineList lines = {nullptr};
        const int count = ReadLayoutText(&lines, file.text.data(), file.text.size());
        KeyboardLayout* layout = nullptr;
        if (count == 0 || LoadLayoutFile(nullptr, &lines, &layout, count, "fuzz.kbl") != 1) {
            __builtin_trap();
        }
        FreeLayout(layout);
        FreeLineList(&lines);
        ResetAltShortcuts();
    }
    return 0;
}
