// Directory listing and file lookup for the catalogue; FindFirstFileA in the program,
// a fake in the unit tests.
#pragma once

// Calls visit(fileName, context) for every entry of folder matching pattern (for
// example "*.kbl"), in the order the system lists them, until visit returns 0.
typedef int (*FolderVisitor)(const char* fileName, void* context);
void ListFolder(const char* folder, const char* pattern, FolderVisitor visit, void* context);

// 1 when a file exists at path.
int FileExists(const char* path);
