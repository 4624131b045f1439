// The debug trace (/l): every entry opens the file, appends and closes it again,
// so that the trace survives a crash and can be read while the program runs.
#pragma once

// Opens the /l file at start-up and writes "Created debug file". Returns 1 when the
// trace is on, 0 when the file could not be opened (the caller shows the message).
int OpenTrace(const char* path);

void TraceLine(const char* text);
void TraceKeyCode(int code);
