#include <windows.h>

#include "app/message_box.h"

int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageIcon icon) {
    return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, MB_OK | icon);
}
