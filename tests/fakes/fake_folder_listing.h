// A program folder for the catalogue: the names its listing returns, in the order the
// test sets, and the files that exist, by path, with their bytes.
#pragma once
#include <map>
#include <string>
#include <vector>

extern std::vector<std::string> fakeFolderEntries;
extern std::map<std::string, std::string> fakeFiles;
extern std::string fakeListing; // "<folder>\<pattern>" of the last listing
