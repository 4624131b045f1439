// The window-system side of /d: the raw records of the main window, the device names and
// what the HID driver tells of a keyboard.
#include <windows.h>
#include <hidsdi.h>
#include <setupapi.h>

#include <cstdio>

#include "base/app_state.h"
#include "engine/keyboard_under_test.h"
#include "engine/keyboard_under_test_win32.h"
#include "engine/system_key_filter.h"

namespace {

// How long a key the system-key filter posted waits for its record, should the system
// queue the record only after the filter's hook has returned.
constexpr DWORD kFilteredRecordWaitMs = 50;

typedef BOOLEAN(NTAPI* AttributesQuery)(HANDLE, PHIDD_ATTRIBUTES);
typedef BOOLEAN(NTAPI* StringQuery)(HANDLE, PVOID, ULONG);

HWND MainWindow() {
    return reinterpret_cast<HWND>(appState.mainWindow);
}

// Only while the main window has the focus: the message of a key typed into a dialog goes
// to the dialog, and its record must not wait here for a later key of the same code.
void NoteRecord(LPARAM handle, DWORD time) {
    RAWINPUT raw;
    UINT size = sizeof raw;
    const UINT read = GetRawInputData(reinterpret_cast<HRAWINPUT>(handle), RID_INPUT, &raw, &size,
                                      sizeof(RAWINPUTHEADER));
    if (read == static_cast<UINT>(-1) || read < sizeof(RAWINPUTHEADER) ||
        raw.header.dwType != RIM_TYPEKEYBOARD || GetFocus() != MainWindow()) {
        return;
    }
    RawKeyRecord r;
    r.device = reinterpret_cast<uintptr_t>(raw.header.hDevice);
    r.makeCode = raw.data.keyboard.MakeCode;
    r.flags = raw.data.keyboard.Flags;
    r.virtualKey = raw.data.keyboard.VKey;
    r.time = time;
    NoteRawKeyRecord(r);
}

template <typename Query> Query Find(HMODULE library, const char* name) {
    // Through void*: FARPROC and the query's own type are unrelated function types.
    return reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void ReadHidString(StringQuery query, HANDLE device, char* text, size_t size) {
    WCHAR wide[kHidTextSize] = L"";
    if (query == nullptr || !query(device, wide, sizeof wide - sizeof wide[0])) {
        return;
    }
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, text, static_cast<int>(size), nullptr, nullptr) ==
        0) {
        text[0] = 0;
    }
}

} // namespace

void RegisterRawKeyboard(HWND mainWindow) {
    RAWINPUTDEVICE device;
    device.usUsagePage = 1; // generic desktop
    device.usUsage = 6;     // keyboard
    device.dwFlags = 0;     // only while the program is in front, as its key messages
    device.hwndTarget = mainWindow;
    RegisterRawInputDevices(&device, 1, sizeof device);
}

void OnRawKeyboardInput(LPARAM lParam) {
    NoteRecord(lParam, static_cast<DWORD>(GetMessageTime()));
}

void TakeWaitingRawRecords() {
    HWND window = MainWindow();
    MSG msg;
    if (filterHook != nullptr && !PeekMessageA(&msg, window, WM_INPUT, WM_INPUT, PM_NOREMOVE)) {
        MsgWaitForMultipleObjectsEx(0, nullptr, kFilteredRecordWaitMs, QS_RAWINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
    for (int n = 0;
         n < kPendingRecords && PeekMessageA(&msg, window, WM_INPUT, WM_INPUT, PM_REMOVE); ++n) {
        NoteRecord(msg.lParam, msg.time);
        DefWindowProcA(window, WM_INPUT, msg.wParam, msg.lParam); // the system's clean-up
    }
}

int RawDeviceName(uint64_t device, char* name, size_t size) {
    char whole[1024];
    UINT length = sizeof whole;
    const UINT got = GetRawInputDeviceInfoA(
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(device)), RIDI_DEVICENAME, whole, &length);
    if (got == 0 || got == static_cast<UINT>(-1)) {
        return 0;
    }
    whole[sizeof whole - 1] = 0;
    lstrcpynA(name, whole, static_cast<int>(size));
    return 1;
}

// The container id: SetupAPI finds the device of the interface the raw input names, and gives
// its DEVPKEY_Device_ContainerId (Windows 7 and later). setupapi.dll is loaded only with /d.
int DeviceContainerId(const char* deviceName, char* id, size_t size) {
    static const HMODULE setupapi = LoadLibraryA("setupapi.dll");
    const auto create =
        Find<decltype(&SetupDiCreateDeviceInfoList)>(setupapi, "SetupDiCreateDeviceInfoList");
    const auto open =
        Find<decltype(&SetupDiOpenDeviceInterfaceA)>(setupapi, "SetupDiOpenDeviceInterfaceA");
    const auto detail = Find<decltype(&SetupDiGetDeviceInterfaceDetailA)>(
        setupapi, "SetupDiGetDeviceInterfaceDetailA");
    const auto property =
        Find<decltype(&SetupDiGetDevicePropertyW)>(setupapi, "SetupDiGetDevicePropertyW");
    const auto destroy =
        Find<decltype(&SetupDiDestroyDeviceInfoList)>(setupapi, "SetupDiDestroyDeviceInfoList");
    if (setupapi == nullptr || create == nullptr || open == nullptr || detail == nullptr ||
        property == nullptr || destroy == nullptr) {
        return 0;
    }
    const HDEVINFO set = create(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
        return 0;
    }
    // DEVPKEY_Device_ContainerId
    const DEVPROPKEY containerKey = {
        {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 2};
    SP_DEVICE_INTERFACE_DATA face = {};
    face.cbSize = sizeof face;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    DEVPROPTYPE type = 0;
    GUID container = {};
    const GUID none = {};
    int found = 0;
    // The detail call fails for want of room for the path, which is not asked for, and
    // fills the device all the same.
    if (open(set, deviceName, 0, &face) &&
        (detail(set, &face, nullptr, 0, nullptr, &device) || device.DevInst != 0) &&
        property(set, &device, &containerKey, &type, reinterpret_cast<PBYTE>(&container),
                 sizeof container, nullptr, 0) &&
        type == DEVPROP_TYPE_GUID && !IsEqualGUID(container, none)) {
        const unsigned char* d = container.Data4;
        found = std::snprintf(id, size, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                              static_cast<unsigned long>(container.Data1), container.Data2,
                              container.Data3, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]) > 0;
    }
    destroy(set);
    return found;
}

// hid.dll is loaded only here, with /d, so that the program starts without it.
void ReadHidFacts(const char* deviceName, HidFacts* facts) {
    HMODULE hid = LoadLibraryA("hid.dll");
    if (hid == nullptr) {
        return;
    }
    // No access rights asked: the system holds a keyboard open for itself, but anyone may
    // read its attributes and strings.
    HANDLE device = CreateFileA(deviceName, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
        const AttributesQuery attributes = Find<AttributesQuery>(hid, "HidD_GetAttributes");
        HIDD_ATTRIBUTES a = {};
        a.Size = sizeof a;
        if (attributes != nullptr && attributes(device, &a)) {
            facts->hasVersion = true;
            facts->versionNumber = a.VersionNumber;
        }
        ReadHidString(Find<StringQuery>(hid, "HidD_GetProductString"), device, facts->product,
                      sizeof facts->product);
        ReadHidString(Find<StringQuery>(hid, "HidD_GetManufacturerString"), device,
                      facts->manufacturer, sizeof facts->manufacturer);
        CloseHandle(device);
    }
    FreeLibrary(hid);
}
