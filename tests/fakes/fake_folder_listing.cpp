#include "tests/fakes/fake_folder_listing.h"

#include "layout/folder_listing.h"

std::vector<std::string> fakeFolderEntries;
std::map<std::string, std::string> fakeFiles;
std::string fakeListing;

void ListFolder(const char* folder, const char* pattern, FolderVisitor visit, void* context) {
    fakeListing = std::string(folder) + "\\" + pattern;
    for (const std::string& name : fakeFolderEntries) {
        if (!visit(name.c_str(), context)) {
            break;
        }
    }
}

int FileExists(const char* path) {
    return fakeFiles.count(path) != 0 ? 1 : 0;
}

int ReadListedLayout(LineList* lines, const char* path) {
    const auto file = fakeFiles.find(path);
    return file == fakeFiles.end()
               ? 0
               : ReadLayoutText(lines, file->second.data(), file->second.size());
}
