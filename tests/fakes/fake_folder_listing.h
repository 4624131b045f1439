// A program folder for the catalogue: the names a listing returns, in the order the
// test sets, and the set of paths at which a file exists.
#pragma once
#include <set>
#include <string>
#include <vector>

extern std::vector<std::string> fakeFolderEntries;
extern std::set<std::string> fakeExistingFiles;
extern std::string fakeListedFolder;  // folder of the last listing
extern std::string fakeListedPattern; // its pattern
extern int fakeVisitedEntries;        // names handed to the visitor by the last listing

void ResetFakeFolder();
