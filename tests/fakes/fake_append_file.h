// The append-only files over ordinary files, with a drive that can fill up: a write takes
// at most roomLeft bytes and then fails with the reason a full disk gives.
#pragma once
#include <cstddef>
#include <cstdint>

struct FakeDrive {
    size_t roomLeft = SIZE_MAX;
    int writes = 0;          // AppendToFile calls
    int flushes = 0;         // FlushAppendFile calls
    bool flushFails = false; // as on a share that went away
};
extern FakeDrive fakeDrive;

constexpr const char* kDiskFull = "There is not enough space on the disk.";
constexpr const char* kNetworkNameGone = "The specified network name is no longer available.";
