#include <windows.h>

#include <cstdio>

#include "base/append_file.h"

// The system's own text for the last error, without its line end.
static void DescribeLastError(char* why, size_t whySize) {
    if (why == nullptr || whySize == 0) {
        return;
    }
    const DWORD error = GetLastError();
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, why, static_cast<DWORD>(whySize), nullptr);
    while (n > 0 && (why[n - 1] == '\n' || why[n - 1] == '\r' || why[n - 1] == ' ')) {
        --n;
    }
    if (n == 0) {
        std::snprintf(why, whySize, "System error %lu.", static_cast<unsigned long>(error));
    } else {
        why[n] = 0;
    }
}

// Opened for writing (FlushFileBuffers needs the handle's GENERIC_WRITE access; a handle
// of FILE_APPEND_DATA alone may not be flushed: "FlushFileBuffers function" page). Every
// write still lands at the end of the file as it is then, also when another program
// appends to the same file meanwhile: AppendToFile gives each write the offset
// 0xFFFFFFFF:0xFFFFFFFF, which the "WriteFile function" page calls the same as a handle
// of FILE_APPEND_DATA. A file to be emptied is first created anew by a handle of its own
// (that also works on a full disk, where cutting an open file to nothing may fail).
int OpenAppendFile(AppendFile* file, const char* path, bool empty, char* why, size_t whySize) {
    file->handle = nullptr;
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (empty) {
        HANDLE w = CreateFileA(path, GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (w == INVALID_HANDLE_VALUE) {
            DescribeLastError(why, whySize);
            return 0;
        }
        CloseHandle(w);
    }
    HANDLE h = CreateFileA(path, GENERIC_WRITE, share, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DescribeLastError(why, whySize);
        return 0;
    }
    file->handle = h;
    return 1;
}

int AppendToFile(AppendFile* file, const char* bytes, size_t n, size_t* written, char* why,
                 size_t whySize) {
    *written = 0;
    // A full disk may take part of a write and refuse the rest: go on until all of it is
    // in or the system gives a reason.
    while (*written < n) {
        DWORD part = 0;
        const DWORD ask = static_cast<DWORD>(n - *written > 0x40000000 ? 0x40000000 : n - *written);
        OVERLAPPED atEnd = {};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        if (!WriteFile(static_cast<HANDLE>(file->handle), bytes + *written, ask, &part, &atEnd)) {
            *written += part;
            DescribeLastError(why, whySize);
            return 0;
        }
        if (part == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            DescribeLastError(why, whySize);
            return 0;
        }
        *written += part;
    }
    return 1;
}

int FlushAppendFile(AppendFile* file, char* why, size_t whySize) {
    if (FlushFileBuffers(static_cast<HANDLE>(file->handle))) {
        return 1;
    }
    DescribeLastError(why, whySize);
    return 0;
}

void CloseAppendFile(AppendFile* file) {
    if (file->handle != nullptr) {
        CloseHandle(static_cast<HANDLE>(file->handle));
        file->handle = nullptr;
    }
}
