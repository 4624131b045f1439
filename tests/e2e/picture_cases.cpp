// The keyboard picture, the statistics fields and the About box, read back from the
// screen and the controls of the running program.
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/clavoro_cases.h"

namespace {

// A on white, B with highlight 1 (pale blue while held).
const char* const kTwoKeys = "'A',30,\"A\",\"false\",\"CVSTATUSUP\",0,40,50,60,40\r\n"
                             "'B',48,\"B\",\"false\",\"CVSTATUSUP\",1,130,50,60,40\r\n";
struct KeyBox {
    int left, top, width, height;
};
const KeyBox kBoxA = {40, 50, 60, 40};
const KeyBox kBoxB = {130, 50, 60, 40};

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kPaleBlue = RGB(153, 204, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// A rectangle of the screen, copied at once (GetPixel per pixel would be far too slow).
struct Capture {
    RECT area;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const {
        return pixels[static_cast<size_t>(y - area.top) * (area.right - area.left) +
                      (x - area.left)];
    }
};

Capture CaptureScreen(const RECT& area) {
    Capture c;
    c.area = area;
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    c.pixels.assign(static_cast<size_t>(w) * h, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib != nullptr) {
        HGDIOBJ previous = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        for (size_t i = 0; i < c.pixels.size(); ++i) {
            c.pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
        }
        SelectObject(memory, previous);
        DeleteObject(dib);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return c;
}

// Where the program draws: the picture control's client area, scaled by its width / 700.
struct PictureArea {
    POINT origin; // screen position of the control's client 0,0
    int width;
    int height;
    float scale;
};

PictureArea Picture(HWND main) {
    HWND control = GetDlgItem(main, kPicture);
    RECT client = {};
    GetClientRect(control, &client);
    PictureArea a;
    a.origin = POINT{0, 0};
    ClientToScreen(control, &a.origin);
    a.width = client.right;
    a.height = client.bottom;
    a.scale = static_cast<float>(client.right / 700.0);
    return a;
}

// The key's rectangle on the screen, computed independently of the program.
RECT ScreenBox(const PictureArea& a, const KeyBox& k) {
    const float s = a.scale;
    RECT r;
    r.left = a.origin.x + static_cast<int>(static_cast<float>(k.left) * s);
    r.top = a.origin.y + static_cast<int>(static_cast<float>(k.top) * s);
    r.right = a.origin.x + static_cast<int>(static_cast<float>(k.left + k.width) * s);
    r.bottom = a.origin.y + static_cast<int>(static_cast<float>(k.top + k.height) * s);
    return r;
}

// Inside the outline, every pixel is either the white picture or the hatch colour; the
// hatch covers a good part of it (two diagonals in every 8 x 8 cell).
int ShowsHatch(const RECT& box, COLORREF colour) {
    const RECT inner = {box.left + 1, box.top + 1, box.right, box.bottom};
    const Capture c = CaptureScreen(inner);
    int hatch = 0;
    for (COLORREF p : c.pixels) {
        if (p == colour) {
            ++hatch;
        } else if (p != kWhite) {
            return 0;
        }
    }
    return hatch * 8 >= static_cast<int>(c.pixels.size());
}

int ShowsNoHatch(const RECT& box) {
    const RECT around = {box.left - 1, box.top - 1, box.right + 2, box.bottom + 2};
    const Capture c = CaptureScreen(around);
    for (COLORREF p : c.pixels) {
        if (p != kWhite) {
            return 0;
        }
    }
    return 1;
}

int StartWithTwoKeys(Program& p) {
    return PrepareProgramFolder() && WriteLayout("Two", kTwoKeys) && StartProgram(p, "") &&
           WaitMainWindow(p);
}

// Moves and sizes the window, and waits until it is there.
int PlaceWindow(HWND window, int x, int y, int w, int h) {
    SetWindowPos(window, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    return WaitUntil([&] {
        RECT r;
        GetWindowRect(window, &r);
        return r.left == x && r.right - r.left == w;
    });
}

void SendEscape(HWND window) {
    SetForegroundWindow(window);
    WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = VK_ESCAPE;
        i.ki.wScan = 1;
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Key events in one batch, as a keyboard controller sends a hotkey's run of codes.
void SendKeys(const Program& p, std::initializer_list<Key> keys, DWORD upFlag) {
    BringToFront(p);
    Sleep(300); // let the activation's repaint finish, so nothing comes between the events
    std::vector<INPUT> in;
    for (const Key& k : keys) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k.vk;
        i.ki.wScan = k.scan;
        i.ki.dwFlags = upFlag | (k.extended ? KEYEVENTF_EXTENDEDKEY : 0);
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

int ParseInt(const std::string& text) {
    return std::atoi(text.c_str());
}

} // namespace

// Held: red (or the highlight colour); released: green; after Clear: nothing.
E2E_CASE(key_hatch_follows_the_key_state) {
    Program p;
    REQUIRE(StartWithTwoKeys(p));
    const PictureArea area = Picture(p.main);
    const RECT a = ScreenBox(area, kBoxA);
    const RECT b = ScreenBox(area, kBoxB);
    REQUIRE(WaitUntil([&] { return ShowsNoHatch(a) && ShowsNoHatch(b); }));

    KeyDown(p, kKeyA);
    CHECK(WaitUntil([&] { return ShowsHatch(a, kRed); }));
    CHECK(ShowsNoHatch(b));
    KeyUp(p, kKeyA);
    CHECK(WaitUntil([&] { return ShowsHatch(a, kGreen); }));

    KeyDown(p, kKeyB);
    CHECK(WaitUntil([&] { return ShowsHatch(b, kPaleBlue); }));
    KeyUp(p, kKeyB);
    CHECK(WaitUntil([&] { return ShowsHatch(b, kGreen); }));

    PressButton(p.main, kClearButton);
    CHECK(WaitUntil([&] { return ShowsNoHatch(a) && ShowsNoHatch(b); }));
    CHECK(CloseProgram(p));
}

// At two window sizes the picture is drawn 700 x 340 times the scale and the key
// outline lies on the scaled rectangle.
E2E_CASE(picture_follows_the_window_width) {
    Program p;
    REQUIRE(StartWithTwoKeys(p));
    PressKey(p, kKeyA);
    const int sizes[2][2] = {{820, 620}, {1180, 860}};
    float scales[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        REQUIRE(PlaceWindow(p.main, 10, 10, sizes[i][0], sizes[i][1]));
        const PictureArea area = Picture(p.main);
        scales[i] = area.scale;
        Note("window %d x %d: picture control %d wide, scale %.4f", sizes[i][0], sizes[i][1],
             area.width, area.scale);
        const RECT box = ScreenBox(area, kBoxA);
        const int midY = (box.top + box.bottom) / 2;
        const int midX = (box.left + box.right) / 2;
        // The outline (the pen) on the scaled corners, white just outside them.
        CHECK(WaitUntil([&] {
            const Capture c =
                CaptureScreen(RECT{box.left - 1, box.top - 1, box.right + 2, box.bottom + 2});
            return c.At(box.left, midY) == kBlack && c.At(box.right, midY) == kBlack &&
                   c.At(midX, box.top) == kBlack && c.At(midX, box.bottom) == kBlack &&
                   c.At(box.left - 1, midY) == kWhite && c.At(box.right + 1, midY) == kWhite &&
                   c.At(midX, box.top - 1) == kWhite && c.At(midX, box.bottom + 1) == kWhite;
        }));
        CHECK(ShowsHatch(box, kGreen));
        // The white picture reaches trunc(700 s) x trunc(340 s), not beyond.
        const int pw = static_cast<int>(area.scale * 700.0);
        const int ph = static_cast<int>(area.scale * 340.0);
        const Capture whole = CaptureScreen(RECT{
            area.origin.x, area.origin.y, area.origin.x + area.width, area.origin.y + area.height});
        CHECK_EQ(static_cast<long long>(whole.At(area.origin.x + pw - 1, area.origin.y + 5)),
                 static_cast<long long>(kWhite));
        CHECK_EQ(static_cast<long long>(whole.At(area.origin.x + 5, area.origin.y + ph - 1)),
                 static_cast<long long>(kWhite));
        if (ph + 2 < area.height) {
            CHECK(whole.At(area.origin.x + 5, area.origin.y + ph + 1) != kWhite);
        }
    }
    CHECK(scales[1] > scales[0] + 0.2f);
    CHECK(CloseProgram(p));
}

// Depress time, lag and rate after key presses with known gaps (the codes and names
// shown are the key cases' business); Clear empties them again.
E2E_CASE(statistics_after_known_gaps) {
    Program p;
    REQUIRE(StartWithTwoKeys(p));
    REQUIRE(WaitControlText(p.main, kWindowsCode, "0 (0x0)"));
    KeyDown(p, kKeyA);
    CHECK(WaitControlText(p.main, kWindowsCode, "65 (0x41)"));
    CHECK_EQ(ControlText(p.main, kRate), std::string("0.0")); // no interval yet
    Sleep(300);
    KeyUp(p, kKeyA);
    CHECK(WaitControlText(p.main, kLastKeyUp, "A"));
    const int depress = ParseInt(ControlText(p.main, kDepressTime));
    Note("depress time %d ms for a 300 ms hold", depress);
    CHECK(depress >= 290 && depress < 600);
    CHECK_EQ(ControlText(p.main, kDepressTime), std::to_string(depress) + "ms");

    Sleep(300); // about 600 ms after A went down
    KeyDown(p, kKeyB);
    CHECK(WaitControlText(p.main, kLastKeyDown, "B"));
    const int lag = ParseInt(ControlText(p.main, kLagTime));
    const double rate = std::atof(ControlText(p.main, kRate).c_str());
    Note("lag %d ms, rate %s", lag, ControlText(p.main, kRate).c_str());
    CHECK(lag >= 580 && lag < 900);
    // One interval over the lag: the rate shown is 1000 / lag to one decimal.
    CHECK(rate > 1000.0 / lag - 0.06 && rate < 1000.0 / lag + 0.06);
    KeyUp(p, kKeyB);
    CHECK(WaitControlText(p.main, kLastKeyUp, "B"));

    PressButton(p.main, kClearButton);
    CHECK(WaitControlText(p.main, kWindowsCode, "0 (0x0)"));
    CHECK_EQ(ControlText(p.main, kRecentKeys), std::string(""));
    CHECK_EQ(ControlText(p.main, kLastKeyDown), std::string("N/A"));
    CHECK_EQ(ControlText(p.main, kRate), std::string("0.0"));
    CHECK(CloseProgram(p));
}

// The About box opens centred on the main window, pulled back onto the screen at the
// left and right edges, shows the version line and closes with Escape.
E2E_CASE(about_box_centred_and_closed_with_escape) {
    Program p;
    REQUIRE(StartWithTwoKeys(p));
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const struct {
        const char* what;
        int x;
    } placements[] = {{"centred", 150},
                      {"half off the left edge", -400},
                      {"near the right edge", screenWidth - 300}};
    for (const auto& place : placements) {
        Note("main window %s", place.what);
        REQUIRE(PlaceWindow(p.main, place.x, 80, 800, 600));
        RECT owner = {};
        GetWindowRect(p.main, &owner);
        PressButton(p.main, kAboutButton);
        HWND box = nullptr;
        REQUIRE(WaitUntil([&] { return (box = FindTopWindow(p, "#32770", "Orvane Clavoro")); }));
        char line[128] = "";
        GetDlgItemTextA(box, 1039, line, sizeof line);
        CHECK_EQ(std::string(line), std::string("Clavoro V3.2 Build: 1002"));

        RECT r = {};
        GetWindowRect(box, &r);
        const int w = r.right - r.left;
        int x = owner.left + (owner.right - owner.left - w) / 2;
        if (x < 0) {
            x = 0;
        } else if (x + w > screenWidth) {
            x = screenWidth - w;
        }
        const int y = owner.top + (owner.bottom - owner.top - (r.bottom - r.top)) / 2;
        CHECK_EQ(r.left, x);
        CHECK_EQ(r.top, y);
        CHECK(place.x >= 0 || r.left == 0); // the edge cases really reach the edge
        CHECK(place.x + 800 <= screenWidth || r.right == screenWidth);

        SendEscape(box);
        CHECK(WaitGone(box));
    }
    CHECK(CloseProgram(p));
}

// The bundled laptop layout: a hotkey that arrives as Ctrl+Alt+F10 within its 50 ms
// turns the "Mute" key green; Alt held with Z lights "Alt+Z" red, then green when both
// are up.
E2E_CASE(bundled_laptop_hotkey_and_alt_z) {
    std::string layout;
    REQUIRE(ReadWholeFile(CLAVORO_LAYOUT_SOURCES "/Laptop15.kbl", &layout));
    Program p;
    REQUIRE(PrepareProgramFolder() && WriteLayout("Laptop15", layout.c_str()) &&
            StartProgram(p, "") && WaitMainWindow(p));
    REQUIRE(PlaceWindow(p.main, 0, 0, 1000, 760)); // room for the whole picture
    const PictureArea area = Picture(p.main);
    const RECT mute = ScreenBox(area, KeyBox{531, 9, 38, 22});
    const RECT altZ = ScreenBox(area, KeyBox{560, 292, 80, 28});
    const Key ctrl = {VK_CONTROL, 0x1D, false};
    const Key alt = {VK_MENU, 0x38, false};
    const Key f10 = {VK_F10, 0x44, false};
    const Key z = {'Z', 0x2C, false};

    SendKeys(p, {ctrl, alt, f10}, 0);
    SendKeys(p, {f10, alt, ctrl}, KEYEVENTF_KEYUP);
    CHECK(WaitUntil([&] { return ShowsHatch(mute, kGreen); }));

    KeyDown(p, alt);
    KeyDown(p, z);
    CHECK(WaitUntil([&] { return ShowsHatch(altZ, kRed); }));
    KeyUp(p, z);
    CHECK(ShowsHatch(altZ, kRed)); // Alt still held
    KeyUp(p, alt);
    CHECK(WaitUntil([&] { return ShowsHatch(altZ, kGreen); }));

    CHECK(CloseProgram(p));
}
