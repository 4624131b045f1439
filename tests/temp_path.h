// Temporary files of the unit tests and their contents. ctest runs each test in a process of its
// own, several at once, so a file name shared by two tests must carry the process id.
#pragma once
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "clavoro_" + std::to_string(getpid()) + "_" + name;
}

// The bytes of a file, "" when it cannot be read.
inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
