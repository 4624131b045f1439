// The program at 150 % display scale, and what the built files tell Windows: manifest,
// version information and icon sizes.
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/bmp_writer.h"
#include "clavoro_version.h"
#include "tests/e2e/driver.h"

namespace {

// Wine takes the display scale from LogPixels when a program starts: set for the case,
// given back after it, failing or not, so that the other cases run at 100 %.
struct DisplayScale {
    DWORD before[2] = {96, 96};
    explicit DisplayScale(DWORD dpi) { Set(&dpi, before); }
    ~DisplayScale() { Set(before, nullptr); }
    // Each key to dpi[0] (saving what it held in old), or to dpi[i] when old is null.
    static void Set(const DWORD* dpi, DWORD* old) {
        const char* const keys[] = {"Control Panel\\Desktop",
                                    "System\\CurrentControlSet\\"
                                    "Hardware Profiles\\Current\\Software\\Fonts"};
        for (int i = 0; i < 2; ++i) {
            HKEY root = i == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
            DWORD size = sizeof(DWORD);
            if (old != nullptr) {
                RegGetValueA(root, keys[i], "LogPixels", RRF_RT_REG_DWORD, nullptr, &old[i], &size);
            }
            RegSetKeyValueA(root, keys[i], "LogPixels", REG_DWORD, old != nullptr ? dpi : &dpi[i],
                            sizeof(DWORD));
        }
    }
};

std::string ResourceText(HMODULE file, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(file, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(file, found) : nullptr;
    const char* bytes =
        loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes != nullptr ? std::string(bytes, SizeofResource(file, found)) : "";
}

} // namespace

// Every .exe and the .dll carry the build's version (and what Explorer lists under
// Details, printed here); the program's manifest asks for per-monitor scaling, Common
// Controls 6, Windows 7 to 11 and no elevation, the tools' for the last two; the icon
// has its eight sizes.
TEST(Display, version_manifest_and_icon_in_the_built_files) {
    const char* const files[] = {"Clavoro.exe",     "filter_x64.dll", "kbdraw.exe",
                                 "kle2kbl.exe",     "kblcheck.exe",   "clavoro-report.exe",
                                 "clavoro-host.exe"};
    for (const char* name : files) {
        const std::string path = BesideProgram(name);
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr) + 1);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) &&
            VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
            << name;
        EXPECT_EQ(static_cast<DWORD>(CLAVORO_VERSION_MAJOR << 16 | CLAVORO_VERSION_MINOR),
                  fixed->dwFileVersionMS);
        EXPECT_EQ(static_cast<DWORD>(CLAVORO_VERSION_BUILD << 16), fixed->dwFileVersionLS);
        const char* const fields[] = {"FileDescription", "ProductName",    "ProductVersion",
                                      "FileVersion",     "LegalCopyright", "CompanyName",
                                      "OriginalFilename"};
        std::string listed = name;
        for (const char* field : fields) {
            char* value = nullptr;
            const std::string path = std::string("\\StringFileInfo\\040904B0\\") + field;
            VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
            listed += std::string("\n  ") + field + ": " + (value != nullptr ? value : "");
        }
        printf("%s\n", listed.c_str());
        EXPECT_NE(std::string::npos,
                  listed.find(std::string(": Clavoro\n  ProductVersion: ") + CLAVORO_VERSION +
                              "\n  FileVersion: " + CLAVORO_VERSION + "\n  LegalCopyright: Copy"))
            << listed;
        EXPECT_NE(std::string::npos,
                  listed.find(std::string("Orvane\n  OriginalFilename: ") + name));

        HMODULE file = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        const std::string manifest = ResourceText(file, MAKEINTRESOURCEA(1), RT_MANIFEST);
        const bool program = strcmp(name, "Clavoro.exe") == 0, tool = name[0] != 'f';
        for (const char* part :
             {"level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
              "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", ">PerMonitorV2, PerMonitor<", ">true/pm<",
              "\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
            const bool wanted = part[0] == '>' || part[0] == '"' ? program : tool;
            EXPECT_EQ(wanted, manifest.find(part) != std::string::npos) << name << ": " << part;
        }
        // The icon group: a header of 6 bytes, then 14 per size, the width first (0: 256).
        const std::string group = ResourceText(file, "CLAVORO", RT_GROUP_ICON);
        std::string sizes;
        for (size_t at = 6; at + 14 <= group.size(); at += 14) {
            sizes +=
                std::to_string(group[at] == 0 ? 256 : static_cast<unsigned char>(group[at])) + " ";
        }
        EXPECT_EQ(program ? "16 20 24 32 40 48 64 256 " : "", sizes);
        FreeLibrary(file);
    }
}

// At 150 %: the window opens larger, every control inside it, no static text wider than
// its control in the font the program gives it (the template's at 144 dpi), the picture
// drawn from its double-size copy, a key's hatch at its scaled place.
TEST(Display, window_at_150_percent) {
    ASSERT_TRUE(PrepareProgramFolder() &&
                WriteLayout("Keys", "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n") &&
                SaveBmp(MakePicture(1400, 680, 0xC0C0C0), InFolder("Keys@2x.bmp").c_str()));
    DisplayScale scale(144);
    Program p;
    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    RECT client; // the 96-dpi window is 729 pixels wide
    GetClientRect(p.main, &client);
    MapWindowPoints(p.main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_GT(client.right - client.left, 1050);

    HFONT font = CreateFontA(-MulDiv(8, 144, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, 0, 0, "MS Sans Serif");
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, font);
    int texts = 0;
    for (HWND c = GetWindow(p.main, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        char text[256] = "", className[16] = "";
        const int n = IsWindowVisible(c) ? GetWindowTextA(c, text, sizeof text) : -1;
        EXPECT_TRUE(n < 0 || (r.left >= client.left && r.top >= client.top &&
                              r.right <= client.right && r.bottom <= client.bottom))
            << "control " << GetDlgCtrlID(c) << " outside the window";
        GetClassNameA(c, className, sizeof className);
        const LONG type = GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK;
        SIZE extent = {0, 0};
        if (n > 0 && lstrcmpiA(className, "Static") == 0 && type != SS_BITMAP && type != SS_ICON &&
            GetTextExtentPoint32A(dc, text, n, &extent)) {
            ++texts;
            EXPECT_LE(extent.cx, r.right - r.left) << "\"" << text << "\" cut";
        }
    }
    DeleteDC(dc);
    DeleteObject(font);
    EXPECT_GT(texts, 20) << "the legend, captions and fields";

    const RECT picture = ControlScreenRect(p.main, kPicture);
    EXPECT_TRUE(WaitUntil([&] {
        return ScreenPixel(picture.left + 2, picture.top + 2) == RGB(192, 192, 192);
    })) << "the double-size picture";
    KeyDown(p, kKeyA);
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kRed); }));
    KeyUp(p, kKeyA);
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kGreen); }));
}
