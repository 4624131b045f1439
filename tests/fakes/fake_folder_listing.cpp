#include "tests/fakes/fake_folder_listing.h"

#include "layout/folder_listing.h"

std::vector<std::string> fakeFolderEntries;
std::set<std::string> fakeExistingFiles;
std::string fakeListedFolder;
std::string fakeListedPattern;
int fakeVisitedEntries = 0;

void ResetFakeFolder() {
    fakeFolderEntries.clear();
    fakeExistingFiles.clear();
    fakeListedFolder.clear();
    fakeListedPattern.clear();
    fakeVisitedEntries = 0;
}

void ListFolder(const char* folder, const char* pattern, FolderVisitor visit, void* context) {
    fakeListedFolder = folder;
    fakeListedPattern = pattern;
    fakeVisitedEntries = 0;
    for (const std::string& name : fakeFolderEntries) {
        ++fakeVisitedEntries;
        if (!visit(name.c_str(), context)) {
            break;
        }
    }
}

int FileExists(const char* path) {
    return fakeExistingFiles.count(path) != 0 ? 1 : 0;
}
