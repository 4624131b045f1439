// The program at 150 % display scale, and what the built files tell Windows: manifest,
// version information and icon sizes.
#include <cstdio>
#include <cstring>
#include <vector>

#include "clavoro_version.h"
#include "tests/e2e/driver.h"
#include "tools/bmp/bmp_writer.h"

namespace {

// Wine takes the display scale from LogPixels when a program starts. Set for the case
// and given back after it, failing or not, so that the other cases run at 100 %.
const char* const kScaleKeys[][2] = {
    {"Control Panel\\Desktop", nullptr},
    {"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", nullptr}};
struct DisplayScale {
    DWORD before[2] = {0, 0};
    bool had[2] = {false, false};
    explicit DisplayScale(DWORD dpi) {
        for (int i = 0; i < 2; ++i) {
            DWORD size = sizeof before[i];
            had[i] = RegGetValueA(Root(i), kScaleKeys[i][0], "LogPixels", RRF_RT_REG_DWORD, nullptr,
                                  &before[i], &size) == ERROR_SUCCESS;
            RegSetKeyValueA(Root(i), kScaleKeys[i][0], "LogPixels", REG_DWORD, &dpi, sizeof dpi);
        }
    }
    ~DisplayScale() {
        for (int i = 0; i < 2; ++i) {
            if (had[i]) {
                RegSetKeyValueA(Root(i), kScaleKeys[i][0], "LogPixels", REG_DWORD, &before[i],
                                sizeof before[i]);
            } else {
                RegDeleteKeyValueA(Root(i), kScaleKeys[i][0], "LogPixels");
            }
        }
    }
    static HKEY Root(int i) { return i == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
};

std::string VersionValue(const std::vector<char>& info, const char* name) {
    char path[96];
    snprintf(path, sizeof path, "\\StringFileInfo\\040904B0\\%s", name);
    char* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&value), &length) && value
               ? value
               : "";
}

// The resource of a built file as text.
std::string ResourceText(HMODULE file, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(file, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(file, found) : nullptr;
    const char* bytes =
        loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes != nullptr ? std::string(bytes, SizeofResource(file, found)) : "";
}

// The text of a static control and whether it is one that shows text (not a picture).
bool IsTextStatic(HWND control) {
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    const LONG type = GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return lstrcmpiA(className, "Static") == 0 && type != SS_BITMAP && type != SS_ICON &&
           type != SS_OWNERDRAW;
}

} // namespace

// What Explorer's Details and the system read from each built file: the version of the
// build in every .exe and the .dll, the program's manifest (display scale, visual styles,
// Windows 7 to 11, no elevation), the tools' manifests, the icon in its eight sizes.
TEST(Display, version_manifest_and_icon_in_the_built_files) {
    ASSERT_TRUE(PrepareProgramFolder());
    const char* const files[] = {"Clavoro.exe",     "filter_x64.dll", "kbdraw.exe",
                                 "kle2kbl.exe",     "kblcheck.exe",   "clavoro-report.exe",
                                 "clavoro-host.exe"};
    for (const char* name : files) {
        const std::string path = BesideProgram(name);
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(
            !info.empty() &&
            GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
            << name;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(static_cast<DWORD>(CLAVORO_VERSION_MAJOR << 16 | CLAVORO_VERSION_MINOR),
                  fixed->dwFileVersionMS);
        EXPECT_EQ(static_cast<DWORD>(CLAVORO_VERSION_BUILD << 16), fixed->dwFileVersionLS);
        EXPECT_EQ(CLAVORO_VERSION, VersionValue(info, "ProductVersion")) << name;
        EXPECT_EQ(CLAVORO_VERSION, VersionValue(info, "FileVersion")) << name;
        EXPECT_EQ("Clavoro", VersionValue(info, "ProductName")) << name;
        EXPECT_EQ(name, VersionValue(info, "OriginalFilename"));
        EXPECT_EQ("Orvane", VersionValue(info, "CompanyName")) << name;
        // As Explorer lists them under Properties, Details.
        printf(
            "%s\n  File description  %s\n  Type              %s\n  File version      %u.%u.%u.%u\n"
            "  Product name      %s\n  Product version   %s\n  Copyright         %s\n"
            "  Original filename %s\n",
            name, VersionValue(info, "FileDescription").c_str(),
            fixed->dwFileType == VFT_DLL ? "Application extension" : "Application",
            static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
            static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
            static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
            static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)),
            VersionValue(info, "ProductName").c_str(), VersionValue(info, "ProductVersion").c_str(),
            VersionValue(info, "LegalCopyright").c_str(),
            VersionValue(info, "OriginalFilename").c_str());
        EXPECT_FALSE(VersionValue(info, "FileDescription").empty() ||
                     VersionValue(info, "LegalCopyright").empty());

        HMODULE file = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(file != nullptr) << name;
        const std::string manifest = ResourceText(file, MAKEINTRESOURCEA(1), RT_MANIFEST);
        if (strcmp(name, "filter_x64.dll") != 0) {
            EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << name;
            EXPECT_NE(std::string::npos, manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"));
            EXPECT_NE(std::string::npos, manifest.find("35138b9a-5d96-4fbd-8e2d-a2440225f93a"));
        }
        if (strcmp(name, "Clavoro.exe") == 0) {
            for (const char* part :
                 {">PerMonitorV2, PerMonitor<", ">true/pm<",
                  "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
                EXPECT_NE(std::string::npos, manifest.find(part)) << part;
            }
            // The icon group: one entry of 14 bytes per size after a header of 6, the width
            // at the entry's first byte (0 for 256).
            const std::string group = ResourceText(file, "CLAVORO", RT_GROUP_ICON);
            std::vector<int> sizes;
            for (size_t at = 6; at + 14 <= group.size(); at += 14) {
                const int width = static_cast<unsigned char>(group[at]);
                sizes.push_back(width == 0 ? 256 : width);
            }
            EXPECT_EQ((std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}), sizes);
        }
        FreeLibrary(file);
    }
}

// At 150 %: the window opens larger, every control inside it, no static text wider than
// its control in the font the program gives it (the template's at 144 dpi), the picture
// drawn from its double-size copy, a key's hatch at its scaled place.
TEST(Display, window_at_150_percent) {
    const char* const layout = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n";
    ASSERT_TRUE(PrepareProgramFolder() && WriteLayout("Keys", layout) &&
                SaveBmp(MakePicture(1400, 680, 0xC0C0C0), InFolder("Keys@2x.bmp").c_str()));
    DisplayScale scale(144);
    Program p;
    ASSERT_TRUE(StartProgram(p, "") && WaitMainWindow(p));
    RECT client;
    GetClientRect(p.main, &client);
    MapWindowPoints(p.main, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_GT(client.right - client.left, 1050) << "the 96-dpi window is 729 wide";

    LOGFONTA font = {};
    font.lfHeight = -MulDiv(8, 144, 72);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(font.lfFaceName, "MS Sans Serif");
    HFONT templateFont = CreateFontIndirectA(&font);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, templateFont);
    int texts = 0;
    for (HWND c = GetWindow(p.main, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        if (!IsWindowVisible(c)) {
            continue;
        }
        EXPECT_TRUE(r.left >= client.left && r.top >= client.top && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "control " << GetDlgCtrlID(c) << " outside the window";
        char text[256] = "";
        const int n = GetWindowTextA(c, text, sizeof text);
        SIZE extent = {0, 0};
        if (IsTextStatic(c) && n > 0 && GetTextExtentPoint32A(dc, text, n, &extent)) {
            ++texts;
            EXPECT_LE(extent.cx, r.right - r.left) << "\"" << text << "\" cut";
        }
    }
    DeleteDC(dc);
    DeleteObject(templateFont);
    EXPECT_GT(texts, 20) << "the legend, captions and fields";

    const RECT picture = ControlScreenRect(p.main, kPicture);
    EXPECT_EQ(RGB(192, 192, 192), ScreenPixel(picture.left + 2, picture.top + 2));
    KeyDown(p, kKeyA);
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kRed); }));
    KeyUp(p, kKeyA);
    EXPECT_TRUE(WaitUntil([&] { return ShowsHatch(p.main, 40, 50, 60, kGreen); }));
}
