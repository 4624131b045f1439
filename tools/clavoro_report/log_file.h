// Feeds a log file to a LogReader in blocks, so files of any size and lines of any
// length are read in bounded memory.
#pragma once
#include "tools/clavoro_report/log_reader.h"

// 1 when the file was read to its end, 0 when it could not be opened.
int ReadLogFile(LogReader* reader, const char* path);
