#include "tests/e2e/clavoro_cases.h"

int WriteLayout(const char* name, const char* text) {
    const std::string base(name);
    return WriteTextFile((base + ".kbl").c_str(), text) &&
           WriteBitmap((base + ".bmp").c_str(), RGB(255, 255, 255));
}

int StartWithLayouts(Program& p, const std::vector<const char*>& layouts, const char* arguments) {
    if (!PrepareProgramFolder()) {
        return 0;
    }
    for (const char* name : layouts) {
        if (!WriteLayout(name)) {
            return 0;
        }
    }
    return StartProgram(p, arguments) && WaitMainWindow(p);
}

int LayoutCount(HWND main) {
    return static_cast<int>(SendDlgItemMessageA(main, kLayoutList, CB_GETCOUNT, 0, 0));
}

// Read as UTF-16: Wine hands the ANSI form of this message to another process as
// UTF-16 bytes, which would end the text after its first letter.
std::string LayoutEntry(HWND main, int index) {
    wchar_t wide[512] = L"";
    const LRESULT length = SendDlgItemMessageW(main, kLayoutList, CB_GETLBTEXTLEN, index, 0);
    if (length < 0 || length >= 512) {
        return "(no entry)";
    }
    SendDlgItemMessageW(main, kLayoutList, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
    char text[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string SelectedLayout(HWND main) {
    return LayoutEntry(
        main, static_cast<int>(SendDlgItemMessageA(main, kLayoutList, CB_GETCURSEL, 0, 0)));
}

std::vector<std::string> ListedLayouts() {
    std::vector<std::string> names;
    for (const std::string& file : ListFolder("*.kbl")) {
        names.push_back(file.substr(0, file.rfind('.')));
    }
    return names;
}
