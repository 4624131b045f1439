#include "layout/layout_catalogue.h"

#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/message_box.h"
#include "base/trace.h"
#include "layout/folder_listing.h"
#include "testrun/test_log.h"

LayoutCatalogue catalogue;

namespace {

// Program folder (400) + "\" + a file name (260) fit with room to spare.
constexpr int kPathLength = 800;

int FitsIn(int written, size_t size) {
    return static_cast<size_t>(written) < size; // a negative result converts to a huge size
}

int JoinPath(char (&path)[kPathLength], const char* folder, const char* name) {
    return FitsIn(std::snprintf(path, sizeof path, "%s\\%s", folder, name), sizeof path);
}

struct CatalogueWalk {
    WindowHandle owner;
};

// One listed layout file; returns 0 to stop the listing.
int VisitLayoutFile(const char* fileName, void* context) {
    const WindowHandle owner = static_cast<CatalogueWalk*>(context)->owner;
    char message[2 * kPathLength + 256];

    // A name too long for the buffers is a file whose picture cannot be found.
    char layoutPath[kPathLength] = "";
    char pictureName[kPathLength] = "";
    char picturePath[kPathLength] = "";
    const char* dot = std::strrchr(fileName, '.');
    const int stemLength =
        dot != nullptr ? static_cast<int>(dot - fileName) : static_cast<int>(std::strlen(fileName));
    const bool fits =
        JoinPath(layoutPath, appState.programFolder, fileName) &&
        FitsIn(std::snprintf(pictureName, sizeof pictureName, "%.*s.bmp", stemLength, fileName),
               sizeof pictureName) &&
        JoinPath(picturePath, appState.programFolder, pictureName);

    if (!fits || !FileExists(picturePath)) {
        std::snprintf(message, sizeof message,
                      "Cannot find the bitmap file\n%s\ncorresponding to the keyboard layout "
                      "file\n%s.\nSkipping file.",
                      pictureName, layoutPath);
        ShowMessage(owner, message, "Warning", kIconWarning);
        return 1;
    }
    if (catalogue.count >= kMaxLayouts) {
        ShowMessage(owner,
                    "More than 100 valid .kbl files have been found.\nOnly the first one hundred "
                    "will be taken.",
                    "Alert", kIconInformation);
        return 0;
    }
    LineList lines = {nullptr};
    const int lineCount = ReadListedLayout(&lines, layoutPath);
    if (lineCount == 0) {
        std::snprintf(message, sizeof message, "Skipping the file \n%s\nas it contains no data.",
                      layoutPath);
        ShowMessage(owner, message, "Warning", kIconWarning);
    } else if (LoadLayoutFile(owner, &lines, &catalogue.slots[catalogue.count], lineCount,
                              fileName) == 1) {
        ++catalogue.count;
    }
    FreeLineList(&lines);
    return 1;
}

} // namespace

int LoadLayoutCatalogue(WindowHandle owner) {
    FreeAllLayouts(); // read once at start-up; nothing to release then
    TraceLine("Load keyboard layouts - start");
    CatalogueWalk walk = {owner};
    ListFolder(appState.programFolder, "*.kbl", VisitLayoutFile, &walk);
    if (catalogue.count == 0) {
        ShowMessage(owner,
                    "No valid keyboard layout (.kbl) files have been\nfound in the Clavoro "
                    "directory.\n\nAt least one .kbl file is required to run Clavoro.",
                    "Clavoro - Error", kIconWarning);
    }
    TraceLine("Load keyboard layouts - done");
    return catalogue.count;
}

KeyRecord* SelectLayoutAt(WindowHandle mainWindow, int index) {
    if (index < 0 || index >= catalogue.count || catalogue.slots[index] == nullptr) {
        return nullptr;
    }
    catalogue.selected = index;
    const KeyboardLayout* layout = catalogue.slots[index];
    if (appState.batchMode && IsTestLogOpen()) {
        WriteLogRecord("User changed keyboard layout to %s.kbl\n", layout->name);
    }
    // A name too long for the buffers loads no picture.
    char file[kPathLength];
    char picture[kPathLength] = "";
    char doublePicture[kPathLength] = "";
    if (!FitsIn(std::snprintf(file, sizeof file, "%s.bmp", layout->name), sizeof file) ||
        !JoinPath(picture, appState.programFolder, file) ||
        !FitsIn(std::snprintf(file, sizeof file, "%s@2x.bmp", layout->name), sizeof file) ||
        !JoinPath(doublePicture, appState.programFolder, file)) {
        picture[0] = 0;
        doublePicture[0] = 0;
    }
    LoadLayoutPictures(mainWindow, picture, doublePicture);
    return layout->table;
}

void FreeAllLayouts() {
    for (KeyboardLayout*& slot : catalogue.slots) {
        FreeLayout(slot);
        slot = nullptr;
    }
    catalogue.count = 0;
    catalogue.selected = 0;
}
