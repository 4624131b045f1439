// Files the program only ever appends to: the test log and the debug trace. Every write
// goes straight to the operating system (no buffer of ours or of the C runtime), so an
// entry is in the file as soon as the call returns, whatever happens to the program
// afterwards. The program links the Win32 definitions (append_file_win32.cpp), the unit
// tests a fake over ordinary files that can be told to fail.
#pragma once
#include <cstddef>

struct AppendFile {
    void* handle; // null while closed
};

constexpr size_t kFailureTextSize = 256;

// Opens path for appending, shared for reading and writing by other programs; empty
// empties an existing file first. 1 opened; 0 not, with the system's reason in why.
int OpenAppendFile(AppendFile* file, const char* path, bool empty, char* why, size_t whySize);
// Writes the n bytes at the end of the file. *written counts the bytes that reached the
// file, also when the write failed part-way. 1 all written; 0 not, with the reason in why.
int AppendToFile(AppendFile* file, const char* bytes, size_t n, size_t* written, char* why,
                 size_t whySize);
// Asks the system to put what was written on the disk itself. 1 done; 0 not (a share gone, a
// disk that failed the write it had taken), with the system's reason in why.
int FlushAppendFile(AppendFile* file, char* why, size_t whySize);
void CloseAppendFile(AppendFile* file);

// One line as the files hold it: the text, then CR LF when lineEnd. A line never holds a
// line break of its own, whatever a caller hands in: every control character of the text
// (a stray CR or LF, a tab, codes 1 to 31 and 127) is written as '?', as a character the
// code page cannot show would be. Writes at most size - 1 bytes and a terminating zero
// (size at least 3); a text that does not fit is cut, its line end kept. Returns the
// number of bytes written.
size_t ToFileLine(const char* text, bool lineEnd, char* out, size_t size);
