// The debug trace (/l): the file is opened once, at start-up, and every entry is handed
// to the system with a write of its own, so that the trace survives a crash and can be
// read (and appended to by a second copy of the program) while the program runs.
#pragma once

// Opens the /l file at start-up and writes "Created debug file". Returns 1 when the
// trace is on, 0 when the file could not be opened (the caller shows the message).
int OpenTrace(const char* path);
// Closes the file (OpenTrace of another file first); the program leaves it open to the
// end, so that an entry made late in its shut-down is not lost.
void CloseTrace();

void TraceLine(const char* text);
void TraceKeyCode(int code);
