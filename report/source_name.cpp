#include "report/source_name.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

// A field of mountinfo, whose blanks and backslashes the kernel writes as \040 and \134.
std::string Unescaped(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Whether `path` lies in the folder `mount` (itself, or below it).
bool Holds(const std::string& mount, const std::string& path) {
    return path.compare(0, mount.size(), mount) == 0 &&
           (path.size() == mount.size() || mount == "/" || path[mount.size()] == '/');
}

// `a` + `b` with one slash between them.
std::string Joined(std::string a, const std::string& b) {
    while (!a.empty() && a.back() == '/' && !b.empty() && b[0] == '/') {
        a.pop_back();
    }
    return a + b;
}

std::string ReadAll(const char* path) {
    std::string text;
    if (FILE* f = std::fopen(path, "rb")) {
        char block[4096];
        size_t got;
        while ((got = std::fread(block, 1, sizeof block, f)) > 0) {
            text.append(block, got);
        }
        std::fclose(f);
    }
    return text;
}

bool Resolved(const char* path, std::string* out) {
    char* real = realpath(path, nullptr);
    if (real == nullptr) {
        return false;
    }
    *out = real;
    std::free(real);
    return true;
}

} // namespace

std::string NameOnServer(const std::string& path, const std::string& mountinfo) {
    std::istringstream lines(mountinfo);
    std::string line, best, server;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) {
            w.push_back(word);
        }
        size_t dash = 6;
        while (dash < w.size() && w[dash] != "-") {
            ++dash;
        }
        if (dash + 2 >= w.size()) {
            continue;
        }
        const std::string mount = Unescaped(w[4]);
        if (!Holds(mount, path) || mount.size() < best.size()) {
            continue;
        }
        best = mount;
        const std::string& type = w[dash + 1];
        const bool network =
            type == "cifs" || type == "smb3" || type == "smbfs" || type == "nfs" || type == "nfs4";
        const std::string root = Unescaped(w[3]);
        server = network ? Joined(Unescaped(w[dash + 2]), root == "/" ? "" : root) : "";
    }
    if (server.empty()) {
        return path;
    }
    return path.size() == best.size() ? server
                                      : Joined(server, path.substr(best == "/" ? 0 : best.size()));
}

bool LogSourceName(const char* path, std::string* name, bool mustExist) {
    std::string resolved;
    if (!Resolved(path, &resolved)) {
        if (mustExist) {
            return false;
        }
        // A file that is gone: its folder resolved, if that is still there.
        const char* slash = std::strrchr(path, '/');
        const std::string folder =
            slash == nullptr ? "." : std::string(path, slash == path ? 1 : slash - path);
        if (!Resolved(folder.c_str(), &resolved)) {
            return false;
        }
        resolved = Joined(resolved, "/" + std::string(slash == nullptr ? path : slash + 1));
    }
    *name = NameOnServer(resolved, ReadAll("/proc/self/mountinfo"));
    return true;
}
