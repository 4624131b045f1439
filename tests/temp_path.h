// Temporary files of the unit tests. ctest runs each test in a process of its own,
// several at once, so a file name shared by two tests must carry the process id.
#pragma once
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

inline std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "clavoro_" + std::to_string(getpid()) + "_" + name;
}
