// clavoro-host: stands in for the host test program that runs Clavoro as a plug-in.
// It creates the shared record, starts Clavoro.exe with /p and the record's name,
// prints every change of the record until Clavoro ends, and can ask it to stop.
//
//   clavoro-host [--program PATH] [--name NAME] [--stop-after SECONDS]
//                [--stop-file PATH] [--dump] [--fill BYTE] [-- CLAVORO OPTIONS...]
//
// Arguments that are not options of clavoro-host (all of them after "--") are passed on
// to Clavoro.
// --stop-after and --stop-file (the file appears) and Ctrl+C set runWord to 0, which
// ends Clavoro within about a second. --dump prints the whole record in hex after
// the attach and at the end. --fill sets every byte of the block to BYTE before
// runWord, to show which bytes Clavoro writes. Exit status: Clavoro's; 1 when the shared
// memory cannot be made or Clavoro cannot be started; 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/tool_options.h"
#include "dev_tools/clavoro_host/record_changes.h"
#include "testrun/plugin_link.h"

namespace {

constexpr DWORD kRecordBytes = 4096; // the record is 352 bytes; a host may map more

volatile PluginSharedRecord* record = nullptr;
volatile LONG stopRequested = 0;

BOOL WINAPI OnConsoleControl(DWORD) {
    stopRequested = 1;
    return TRUE;
}

void Snapshot(PluginSharedRecord* copy) {
    std::memcpy(copy, const_cast<const PluginSharedRecord*>(record), sizeof *copy);
}

void PrintDump(const PluginSharedRecord& snapshot) {
    char lines[kDumpLines][64];
    DumpRecord(snapshot, lines);
    for (const auto& line : lines) {
        std::printf("  %s\n", line);
    }
}

// The folder of this program, where Clavoro.exe normally lies beside it.
void DefaultProgram(char* path, DWORD size) {
    DWORD n = GetModuleFileNameA(nullptr, path, size);
    char* slash = n > 0 && n < size ? std::strrchr(path, '\\') : nullptr;
    if (slash == nullptr) {
        std::snprintf(path, size, "Clavoro.exe");
        return;
    }
    std::snprintf(slash + 1, size - static_cast<DWORD>(slash + 1 - path), "Clavoro.exe");
}

} // namespace

int main(int argc, char** argv) {
    char program[MAX_PATH];
    DefaultProgram(program, sizeof program);
    char name[128];
    std::snprintf(name, sizeof name, "ARD_PLUGIN_INT_%lu", GetCurrentProcessId());
    int stopAfterSeconds = 0;
    const char* stopFile = nullptr;
    bool dump = false;
    int fill = 0;
    char options[1024] = "";
    const char* usage =
        "usage: clavoro-host [--program PATH] [--name NAME] [--stop-after SECONDS]\n"
        "                    [--stop-file PATH] [--dump] [--fill BYTE]\n"
        "                    [-- CLAVORO OPTIONS...]\n";
    enum { kProgram, kName, kStopAfter, kStopFile, kFill, kDump };
    const ToolOption table[] = {{"--program", 1},   {"--name", 1}, {"--stop-after", 1},
                                {"--stop-file", 1}, {"--fill", 1}, {"--dump", 0}};
    ToolArgs args;
    const int read = ReadToolArgs(argc, argv, table, 6, &args);
    if (read == kArgsHelp) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (read == kArgsBad) {
        std::fprintf(stderr, "clavoro-host: %s\n", args.error);
        std::fputs(usage, stderr);
        return 2;
    }
    for (const ToolArg& option : args.options) {
        switch (option.option) {
        case kProgram:
            std::snprintf(program, sizeof program, "%s", option.value);
            break;
        case kName:
            std::snprintf(name, sizeof name, "%s", option.value);
            break;
        case kStopAfter:
            stopAfterSeconds = std::atoi(option.value);
            break;
        case kStopFile:
            stopFile = option.value;
            break;
        case kFill:
            fill = static_cast<int>(std::strtol(option.value, nullptr, 0)) & 0xFF;
            break;
        default:
            dump = true;
            break;
        }
    }
    // Everything that is not an option of ours (after "--" also what looks like one) goes
    // to Clavoro.
    for (const char* operand : args.operands) {
        const size_t used = std::strlen(options);
        std::snprintf(options + used, sizeof options - used, " \"%s\"", operand);
    }

    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kRecordBytes, name);
    if (mapping == nullptr) {
        std::fprintf(stderr, "clavoro-host: cannot create the shared memory %s (%lu)\n", name,
                     GetLastError());
        return 1;
    }
    record = static_cast<volatile PluginSharedRecord*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kRecordBytes));
    if (record == nullptr) {
        std::fprintf(stderr, "clavoro-host: cannot map the shared memory (%lu)\n", GetLastError());
        return 1;
    }
    std::memset(const_cast<PluginSharedRecord*>(record), fill, kRecordBytes);
    record->runWord = 1;
    std::printf("clavoro-host: shared memory %s, runWord 1\n", name);

    char commandLine[2048];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" /p %s%s", program, name, options);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "clavoro-host: cannot start %s (%lu)\n", program, GetLastError());
        return 1;
    }
    std::printf("clavoro-host: started %s\n", commandLine);
    std::fflush(stdout);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    PluginSharedRecord before, after;
    Snapshot(&before);
    DWORD started = GetTickCount();
    bool stopSent = false;
    for (;;) {
        bool ended = WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
        Snapshot(&after);
        char lines[kMaxChangeLines][kChangeLineLength];
        int n = DescribeRecordChanges(before, after, lines);
        for (int i = 0; i < n; ++i) {
            std::printf("%s\n", lines[i]);
        }
        if (dump && before.attachedFlag != 1 && after.attachedFlag == 1) {
            PrintDump(after);
        }
        std::fflush(stdout);
        before = after;
        if (ended) {
            break;
        }
        bool timeUp = stopAfterSeconds > 0 &&
                      GetTickCount() - started >= static_cast<DWORD>(stopAfterSeconds) * 1000;
        bool fileSeen =
            stopFile != nullptr && GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES;
        if (!stopSent && (timeUp || fileSeen || stopRequested)) {
            record->runWord = 0;
            stopSent = true;
            std::printf("clavoro-host: runWord set to 0\n");
        }
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (dump) {
        std::printf("record at the end:\n");
        PrintDump(after);
    }
    std::printf("clavoro-host: Clavoro ended with exit code %lu\n", exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    UnmapViewOfFile(const_cast<PluginSharedRecord*>(record));
    CloseHandle(mapping);
    return static_cast<int>(exitCode);
}
