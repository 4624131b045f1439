// kbdraw: draws the keyboard picture of a layout file, for layout authors and for the
// build of the bundled layouts. The layout is read by the program's own reader, so a
// file that draws is a file that loads.
//
//   kbdraw [--code-page 932] layout.kbl [picture.bmp]
//
// Without a picture name the picture goes beside the layout, with the same name and
// the extension .bmp (the name the program looks for), and beside it the same picture
// at twice the size, "<name>@2x.bmp" (1400 x 680), which the program shows on screens of
// a high display scale. The picture is 700 x 340, 24 bits per pixel: the keyboard body, a keycap
// with its label for every key rectangle and a mouse around the mouse-button rectangles. The labels
// are read in code page 1252, or in Shift-JIS with --code-page 932 (a Japanese layout). Exit
// status: 0 drawn, 1 the layout does not load or the picture cannot be written, 2 bad command line.
#include <cstdio>
#include <string>

#include "base/code_pages.h"
#include "base/message_box.h"
#include "base/tool_options.h"
#include "layout/layout_file.h"
#include "layout_tools/kbdraw/keyboard_picture.h"

// The reader's messages, printed instead of shown in a box.
int ShowMessage(WindowHandle, const char* text, const char* caption, MessageIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return 1;
}

static std::string PictureNameFor(const std::string& layoutPath) {
    std::string name = layoutPath;
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        name.erase(dot);
    }
    return name + ".bmp";
}

int main(int argc, char** argv) {
    const char* usage = "usage: kbdraw [--code-page 1252|932] layout.kbl [picture.bmp]\n";
    const ToolOption options[] = {{"--code-page", 1}};
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, options, 1, &args);
    if (read == kArgsHelp) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (read == kArgsBad || args.operands.empty() || args.operands.size() > 2) {
        if (read == kArgsBad) {
            std::fprintf(stderr, "kbdraw: %s\n", args.error);
        }
        std::fputs(usage, stderr);
        return 2;
    }
    int codePage = kWestern;
    for (const ToolArg& option : args.options) {
        codePage = std::string(option.value) == "932" ? kShiftJis : kWestern;
        if (codePage == kWestern && std::string(option.value) != "1252") {
            std::fprintf(stderr, "kbdraw: code page %s: only 1252 and 932 are known\n",
                         option.value);
            return 2;
        }
    }
    const char* layoutPath = args.operands[0];
    const std::string picturePath =
        args.operands.size() == 2 ? args.operands[1] : PictureNameFor(layoutPath);

    LineList lines = {nullptr};
    const int lineCount = ReadLayoutLines(&lines, layoutPath);
    KeyboardLayout* layout = nullptr;
    int loaded = 0;
    if (lineCount > 0) {
        loaded = LoadLayoutFile(nullptr, &lines, &layout, lineCount, layoutPath);
    } else {
        std::fprintf(stderr, "kbdraw: %s holds no key lines\n", layoutPath);
    }
    FreeLineList(&lines);
    if (!loaded) {
        return 1;
    }
    const int keys = CountKeys(layout->table);
    const std::string doublePath = DoublePictureName(picturePath);
    for (int scale : {1, kDoubleScale}) {
        const std::string& path = scale == 1 ? picturePath : doublePath;
        if (!SaveBmp(DrawLayoutPicture(layout->table, codePage, scale), path.c_str())) {
            std::fprintf(stderr, "kbdraw: cannot write %s\n", path.c_str());
            FreeLayout(layout);
            return 1;
        }
    }
    FreeLayout(layout);
    std::printf("%s and %s: %d keys drawn\n", picturePath.c_str(), doublePath.c_str(), keys);
    return 0;
}
