#include "tests/fakes/fake_station.h"

#include <cstdio>

#include "app/settings.h"
#include "layout/layout_catalogue.h"

std::map<std::string, std::string> fakeRegistry[2];
std::set<std::string> fakeWritableFolders;
static const std::string fakeProgramFiles[2] = {"C:\\Program Files", "C:\\Program Files (x86)"};
std::string fakeSharedFolder;
std::string fakePictureLoads;

int ReadStationValue(StationSource source, const char* name, char* out, size_t size) {
    const auto value = fakeRegistry[source].find(name);
    if (value == fakeRegistry[source].end() || value->second.empty()) {
        return 0;
    }
    std::snprintf(out, size, "%s", value->second.c_str());
    return 1;
}

int IsFolderWritable(const char* folder) {
    return fakeWritableFolders.count(folder) != 0 ? 1 : 0;
}

int ProgramFilesFolder(int index, char* folder, size_t size) {
    return index >= 0 && index < 2 && !fakeProgramFiles[index].empty() &&
           std::snprintf(folder, size, "%s", fakeProgramFiles[index].c_str()) > 0;
}

int SharedDataFolder(char* folder, size_t size) {
    return !fakeSharedFolder.empty() &&
           std::snprintf(folder, size, "%s", fakeSharedFolder.c_str()) > 0;
}

void LoadLayoutPictures(WindowHandle, const char* picturePath, const char* doublePicturePath) {
    fakePictureLoads += std::string(picturePath) + "|" + doublePicturePath + ";";
}
