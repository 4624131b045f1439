// Directory listing, file lookup and reading for the catalogue; FindFirstFileA and
// ReadLayoutLines in the program, a fake in the unit tests.
#pragma once
#include "layout/layout_lines.h"

// Calls visit(fileName, context) for every entry of folder matching pattern (for
// example "*.kbl"), in the order the system lists them, until visit returns 0.
typedef int (*FolderVisitor)(const char* fileName, void* context);
void ListFolder(const char* folder, const char* pattern, FolderVisitor visit, void* context);

// 1 when a file exists at path.
int FileExists(const char* path);

// Reads the layout file at path into lines; the count of ReadLayoutLines.
int ReadListedLayout(LineList* lines, const char* path);
