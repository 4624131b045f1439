// A tiny program that the driver's own cases drive: it shows every key and mouse
// message it gets in static 1009 ("D65,30,0 U65,30,0 L12,40 "), paints its client
// area in one colour, shows a message box on F2, and writes "closed.txt" into its
// working folder when it ends. "/box" shows an unowned message box before the
// window; "/quit" ends at once with exit code 3.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const COLORREF kBackground = RGB(0, 128, 255);
char journal[4000];

void Record(HWND window, const char* format, int a, int b, int c) {
    char entry[64];
    snprintf(entry, sizeof entry, format, a, b, c);
    if (strlen(journal) + strlen(entry) < sizeof journal) {
        strcat(journal, entry);
    }
    SetDlgItemTextA(window, 1009, journal);
}

LRESULT CALLBACK FixtureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int scan = static_cast<int>((lParam >> 16) & 0xFF);
    const int extended = (lParam & 0x1000000) != 0;
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Record(window, "D%d,%d,%d ", static_cast<int>(wParam), scan, extended);
        if (wParam == VK_F2) {
            MessageBoxA(window, "Key F2\nwas pressed", "Fixture box", MB_OK);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        Record(window, "U%d,%d,%d ", static_cast<int>(wParam), scan, extended);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        Record(window, message == WM_LBUTTONDOWN ? "L%d,%d " : "R%d,%d ",
               static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)), 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY: {
        FILE* f = fopen("closed.txt", "w");
        if (f != nullptr) {
            fputs("bye\n", f);
            fclose(f);
        }
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    if (strstr(commandLine, "/quit") != nullptr) {
        return 3;
    }
    if (strstr(commandLine, "/box") != nullptr) {
        MessageBoxA(nullptr, "Before the window", "Fixture start", MB_OK);
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FixtureProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kBackground);
    wc.lpszClassName = "E2EFixture";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("E2EFixture", "Fixture", WS_OVERLAPPEDWINDOW, 50, 50, 500, 300,
                                nullptr, nullptr, instance, nullptr);
    CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 470, 60, window,
                  reinterpret_cast<HMENU>(1009), instance, nullptr);
    CreateWindowA("BUTTON", "Close", WS_CHILD | WS_VISIBLE, 10, 200, 80, 30, window,
                  reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
