// The station's registry keys, the data folder's seams and the picture loader as tables
// the test sets, and the pictures asked for.
#pragma once
#include <map>
#include <set>
#include <string>

#include "base/station_settings.h"

extern std::map<std::string, std::string> fakeRegistry[2]; // by StationSource, then name
extern std::set<std::string> fakeWritableFolders;          // IsFolderWritable
extern std::string fakeSharedFolder;                       // SharedDataFolder; "" fails
extern std::string fakePictureLoads; // "<picture>|<double picture>;" per LoadLayoutPictures
