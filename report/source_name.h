// The name a log is known by in the results store, the same for every spelling of its
// path: its absolute path with symbolic links, "." and ".." resolved, or for a file on a
// network share the server's name for it, "//files/clavoro/line3/test.log" for an SMB
// share mounted anywhere, "files:/export/clavoro/line3/test.log" for NFS.
#pragma once
#include <string>

// The log's name; false when the file cannot be found. Without `mustExist` a file that
// is gone is named by its folder's name and its own.
bool LogSourceName(const char* path, std::string* name, bool mustExist = true);

// The name of a resolved absolute path given the mounts of the system, as the text of
// /proc/self/mountinfo lists them: the server's name when the longest mount point that
// holds the path is a network file system, else the path itself.
std::string NameOnServer(const std::string& path, const std::string& mountinfo);
