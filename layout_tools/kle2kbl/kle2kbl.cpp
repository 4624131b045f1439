// kle2kbl: makes a layout file and its picture from a keyboard-layout-editor (KLE)
// drawing, so that a new keyboard model needs no rectangle measured and no code looked
// up by hand.
//
//   kle2kbl [--no-mouse] [--windows-layout NAME] drawing.json [layout.kbl]
//
// The drawing is the JSON file the editor saves or the text of its Raw data tab. The
// layout goes to layout.kbl (by default the drawing's name with .kbl), its 700 x 340
// picture beside it with .bmp and the 1400 x 680 one with @2x.bmp, drawn from the written
// file as kbdraw draws them. Keys
// whose name kle2kbl does not know, and Fn, are written as not testable and listed on
// standard error. --no-mouse leaves out the three mouse buttons. The codes are those of
// the Windows layout NAME, or of the one the legends show; standard error says which,
// and names the legends that the labels' code page cannot hold.
// Exit status: 0 written; 3 written, with keys that need a look; 1 the drawing cannot be
// read or used (nothing written); 2 bad command line.
#include <cstdio>
#include <string>

#include "base/message_box.h"
#include "base/tool_options.h"
#include "layout/layout_file.h"
#include "layout_tools/kbdraw/keyboard_picture.h"
#include "layout_tools/kle2kbl/kbl_writer.h"
#include "layout_tools/kle2kbl/kle_reader.h"
#include "layout_tools/kle2kbl/windows_layouts.h"

namespace {

int readerMessages = 0;

constexpr const char* kUsage =
    "usage: kle2kbl [--no-mouse] [--windows-layout NAME] drawing.json [layout.kbl]\n"
    "  writes the layout (default: the drawing's name with .kbl) and its pictures\n"
    "  (.bmp, and @2x.bmp at twice the size)\n"
    "  --no-mouse  leave out the three mouse buttons\n"
    "  --windows-layout NAME  the codes of this Windows layout (default: the one the\n"
    "    legends show): us uk de fr es it ch-de nordic (da fi no sv) jp\n"
    "exit status: 0 written, 3 written with not-testable keys to look at,\n"
    "  1 the drawing cannot be read or used, 2 bad command line\n";

// The path with everything from the last "." of its file name replaced.
std::string WithExtension(const std::string& path, const char* extension) {
    const size_t cut = path.find_last_of("./\\");
    const bool hasExtension = cut != std::string::npos && path[cut] == '.';
    return (hasExtension ? path.substr(0, cut) : path) + extension;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadWholeFile(const char* path, std::string* text) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text->append(buffer, n);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const char* path, const std::string& text) {
    FILE* file = std::fopen(path, "w"); // text mode: CR LF line ends on Windows
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// Reads the written layout back with the program's own reader and draws its picture;
// 1 when both worked.
int DrawWrittenLayout(const char* layoutPath, const char* picturePath, int codePage) {
    LineList lines = {nullptr};
    const int lineCount = ReadLayoutLines(&lines, layoutPath);
    KeyboardLayout* layout = nullptr;
    const int loaded =
        lineCount > 0 && LoadLayoutFile(nullptr, &lines, &layout, lineCount, layoutPath);
    FreeLineList(&lines);
    if (!loaded || readerMessages > 0) {
        std::fprintf(stderr, "kle2kbl: the written %s does not load cleanly\n", layoutPath);
        FreeLayout(layout);
        return 0;
    }
    for (int scale : {1, kDoubleScale}) {
        const std::string path = scale == 1 ? picturePath : DoublePictureName(picturePath);
        if (!SaveBmp(DrawLayoutPicture(layout->table, codePage, scale), path.c_str())) {
            std::fprintf(stderr, "kle2kbl: cannot write %s\n", path.c_str());
            FreeLayout(layout);
            return 0;
        }
    }
    FreeLayout(layout);
    return 1;
}

} // namespace

// The reader's messages, printed instead of shown in a box. A file kle2kbl wrote should
// give none.
int ShowMessage(WindowHandle, const char* text, const char* caption, MessageIcon) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    ++readerMessages;
    return 1;
}

int main(int argc, char** argv) {
    const ToolOption options[] = {{"--no-mouse", 0}, {"--windows-layout", 1}};
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, options, 2, &args);
    if (read == kArgsHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (read == kArgsBad || args.operands.empty() || args.operands.size() > 2) {
        if (read == kArgsBad) {
            std::fprintf(stderr, "kle2kbl: %s\n", args.error);
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    bool mouse = true;
    int layout = -1;
    for (const ToolArg& option : args.options) {
        mouse = mouse && option.option != 0;
        if (option.option == 1 && (layout = FindWindowsLayout(option.value)) < 0) {
            std::fprintf(stderr, "kle2kbl: no Windows layout %s; there are: %s\n", option.value,
                         WindowsLayoutNames().c_str());
            return 2;
        }
    }
    const char* input = args.operands[0];
    const std::string layoutPath =
        args.operands.size() == 2 ? args.operands[1] : WithExtension(input, ".kbl");
    const std::string picturePath = WithExtension(layoutPath, ".bmp");

    std::string text;
    if (!ReadWholeFile(input, &text)) {
        std::fprintf(stderr, "kle2kbl: cannot read %s\n", input);
        return 1;
    }
    KleDrawing drawing;
    KleError error;
    if (!ReadKle(text, &drawing, &error)) {
        if (error.line > 0) {
            std::fprintf(stderr, "%s:%d:%d: %s\n", input, error.line, error.column,
                         error.text.c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", input, error.text.c_str());
        }
        return 1;
    }
    KblFile file;
    std::string why;
    if (!MakeKblFile(drawing, FileName(input).c_str(), mouse, layout, &file, &why)) {
        std::fprintf(stderr, "kle2kbl: %s: %s; nothing written\n", input, why.c_str());
        return 1;
    }
    if (!WriteWholeFile(layoutPath.c_str(), file.text)) {
        std::fprintf(stderr, "kle2kbl: cannot write %s\n", layoutPath.c_str());
        return 1;
    }
    for (const std::string& note : file.notes) {
        std::fprintf(stderr, "kle2kbl: %s\n", note.c_str());
    }
    if (!DrawWrittenLayout(layoutPath.c_str(), picturePath.c_str(), file.codePage)) {
        return 1;
    }
    std::printf("%s: %d keys written, picture %s and %s\n", layoutPath.c_str(), file.keys,
                picturePath.c_str(), DoublePictureName(picturePath).c_str());
    for (const std::string& line : file.notTestable) {
        std::fprintf(stderr, "kle2kbl: %s; written as not testable\n", line.c_str());
    }
    return file.notTestable.empty() ? 0 : 3;
}
