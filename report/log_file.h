// Feeds a log file to a LogReader in blocks, so files of any size and lines of any
// length are read in bounded memory.
#pragma once
#include "report/log_reader.h"

// 1 when the file was read to its end, 0 when it could not be opened.
int ReadLogFile(LogReader* reader, const char* path);

// The same from byte `from` on (the start of a line): every line that ends in LF, then
// `atWholeLines` is told how far those reached, then the last line without an LF and the
// end of the log. A line longer than a block counts as read once its head was handed on.
int ReadLogFileFrom(LogReader* reader, const char* path, long from,
                    void (*atWholeLines)(void* context, long long end), void* context);
