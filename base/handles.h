// Opaque handles that cross the portable core. The Win32 shell casts HWND and HDC
// to and from these; the core never looks inside them.
#pragma once

struct WindowObject;
struct DrawObject;
typedef WindowObject* WindowHandle; // an HWND
typedef DrawObject* DrawHandle;     // an HDC
