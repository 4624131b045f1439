// The record layer of the layout reader: split lines become KeyRecords.
#pragma once
#include <cstdint>

#include "base/handles.h"
#include "layout/key_names.h"
#include "layout/key_table.h"
#include "layout/layout_lines.h"

struct KeyboardLayout {
    char* name;       // file name without everything from its last "."
    KeyRecord* table; // owned; closed by the end record
};

// Alt plus a letter presses a main-window button unless a loaded layout tests that
// combination itself (a MODIFIED line with an Alt modifier turns the switch off).
struct AltShortcuts {
    bool altAbout; // A
    bool altClear; // C
    bool altExit;  // E and F4
    bool altFail;  // F, batch mode only
    bool altHelp;  // H
    bool altLeds;  // L
};
extern AltShortcuts altShortcuts;
void ResetAltShortcuts(); // all on, as at start-up

int32_t LookUpKeyName(const char* text);

// Reads one split line (none: a line that could not be split) into a record; 1 valid,
// 0 syntax error, -1 out of memory (the file is then skipped without a message). On
// anything but 1 the record owns nothing. compoundCount is the running count of
// COMPOUND lines with a time limit in the file.
int ParseKeyLine(const LayoutLine* line, KeyRecord* record, int* compoundCount);

// Builds the layout in *slot from the lines; 1 stored, 0 skipped (message shown).
int LoadLayoutFile(WindowHandle owner, const LineList* lines, KeyboardLayout** slot, int lineCount,
                   const char* fileName);

// Releases a layout with its name, labels and compound codes; harmless on null.
void FreeLayout(KeyboardLayout* layout);
