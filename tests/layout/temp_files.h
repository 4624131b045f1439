// A private temporary folder for a test, removed with everything in it at the end.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

struct TempFolder {
    std::string path;
    std::vector<std::string> files;

    TempFolder() {
        char name[] = "/tmp/clavoro_layout_XXXXXX";
        const char* made = mkdtemp(name);
        path = made != nullptr ? made : "/tmp";
    }
    ~TempFolder() {
        for (const std::string& file : files) {
            std::remove(file.c_str());
        }
        std::remove(path.c_str());
    }
    // Writes the bytes to a file of that name (which may hold a backslash) in the folder.
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string file = path + "/" + name;
        FILE* out = std::fopen(file.c_str(), "wb");
        if (out != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        files.push_back(file);
        return file;
    }
};
