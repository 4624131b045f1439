// The link to the host test program: a named shared-memory block holding one
// PluginSharedRecord. The layout, the values and the order of the writes are the
// contract with the host.
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct PluginSharedRecord {
    uint32_t runWord; // host: 1 while the plug-in is to run
    uint32_t unused4;
    uint32_t attachCode;
    char programName[20];
    uint32_t reserved32;
    int32_t stateCode;
    char statusText[20];
    uint32_t messageCount;
    char messageText[100];
    uint32_t messageKind;
    char operationsLabel[20];
    uint32_t unused188;
    int64_t operationsCount;
    char label2[20];
    uint32_t unused220;
    int64_t value2;
    char label3[20];
    uint32_t unused252;
    int64_t value3;
    uint8_t flag264;
    uint8_t unused265[40];
    uint8_t flag305;
    uint8_t unused306[40];
    uint8_t attachedFlag;
    uint8_t messagePending;
    uint8_t flag348;
    uint8_t flag349;
    uint8_t flag350;
    uint8_t flag351;
};
#pragma pack(pop)

static_assert(offsetof(PluginSharedRecord, attachCode) == 8, "record layout");
static_assert(offsetof(PluginSharedRecord, programName) == 12, "record layout");
static_assert(offsetof(PluginSharedRecord, reserved32) == 32, "record layout");
static_assert(offsetof(PluginSharedRecord, stateCode) == 36, "record layout");
static_assert(offsetof(PluginSharedRecord, statusText) == 40, "record layout");
static_assert(offsetof(PluginSharedRecord, messageCount) == 60, "record layout");
static_assert(offsetof(PluginSharedRecord, messageText) == 64, "record layout");
static_assert(offsetof(PluginSharedRecord, messageKind) == 164, "record layout");
static_assert(offsetof(PluginSharedRecord, operationsLabel) == 168, "record layout");
static_assert(offsetof(PluginSharedRecord, operationsCount) == 192, "record layout");
static_assert(offsetof(PluginSharedRecord, label2) == 200, "record layout");
static_assert(offsetof(PluginSharedRecord, value2) == 224, "record layout");
static_assert(offsetof(PluginSharedRecord, label3) == 232, "record layout");
static_assert(offsetof(PluginSharedRecord, value3) == 256, "record layout");
static_assert(offsetof(PluginSharedRecord, flag264) == 264, "record layout");
static_assert(offsetof(PluginSharedRecord, flag305) == 305, "record layout");
static_assert(offsetof(PluginSharedRecord, attachedFlag) == 346, "record layout");
static_assert(offsetof(PluginSharedRecord, messagePending) == 347, "record layout");
static_assert(sizeof(PluginSharedRecord) == 352, "record layout");

struct PluginLink {
    volatile PluginSharedRecord* record; // null until attached
    char name[512];
    void* mapping; // HANDLE of the opened file mapping
};
extern PluginLink pluginLink;

constexpr const char* kPluginMarker = "ARD_PLUGIN_INT";

// 0 attached; 1 not a marker name; 2 the mapping could not be opened; 3 not mapped.
int ConnectToHost(const char* name);
void StoreHostText(volatile char* field, const char* text, int width);
void WaitForHost(int milliseconds);
void PostHostMessage(const char* text, uint32_t kind);
void SetStateCode(int32_t code);
void AddOperations(int64_t n);
bool IsRunRequested();

// Seams (plugin_link_win32.cpp in the program; tests hand in a plain memory block).
// Opens and maps the named block: the view, or null with *failure set to 2 or 3.
void* OpenHostMapping(const char* name, void** mapping, int* failure);
void SleepMilliseconds(int milliseconds);
