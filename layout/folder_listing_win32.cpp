#include <windows.h>

#include <cstdio>

#include "layout/folder_listing.h"

void ListFolder(const char* folder, const char* pattern, FolderVisitor visit, void* context) {
    char search[MAX_PATH + 400];
    std::snprintf(search, sizeof search, "%s\\%s", folder, pattern);
    WIN32_FIND_DATAA found;
    HANDLE listing = FindFirstFileA(search, &found);
    if (listing == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue; // a folder named like a layout is no layout
        }
        if (!visit(found.cFileName, context)) {
            break;
        }
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
}

int FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ReadListedLayout(LineList* lines, const char* path) {
    return ReadLayoutLines(lines, path);
}
