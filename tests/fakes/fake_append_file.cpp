#include "tests/fakes/fake_append_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/append_file.h"

FakeDrive fakeDrive;

static void Describe(const char* reason, char* why, size_t whySize) {
    if (why != nullptr && whySize > 0) {
        std::snprintf(why, whySize, "%s", reason);
    }
}

int OpenAppendFile(AppendFile* file, const char* path, bool empty, char* why, size_t whySize) {
    FILE* f = std::fopen(path, empty ? "wb" : "ab");
    if (f == nullptr) {
        Describe(std::strerror(errno), why, whySize);
    }
    file->handle = f;
    return f != nullptr ? 1 : 0;
}

int AppendToFile(AppendFile* file, const char* bytes, size_t n, size_t* written, char* why,
                 size_t whySize) {
    ++fakeDrive.writes;
    FILE* f = static_cast<FILE*>(file->handle);
    const size_t take = n < fakeDrive.roomLeft ? n : fakeDrive.roomLeft;
    *written = std::fwrite(bytes, 1, take, f);
    std::fflush(f); // in the file at once, as the system's own write would be
    if (fakeDrive.roomLeft != SIZE_MAX) {
        fakeDrive.roomLeft -= *written;
    }
    if (*written < n) {
        Describe(kDiskFull, why, whySize);
        return 0;
    }
    return 1;
}

int FlushAppendFile(AppendFile*, char* why, size_t whySize) {
    ++fakeDrive.flushes;
    if (fakeDrive.flushFails) {
        Describe(kNetworkNameGone, why, whySize);
        return 0;
    }
    return 1;
}

void CloseAppendFile(AppendFile* file) {
    if (file->handle != nullptr) {
        std::fclose(static_cast<FILE*>(file->handle));
        file->handle = nullptr;
    }
}
