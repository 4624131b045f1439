// A run's keyboards packed into one value of the results store, so that a report reads a
// run in one row instead of a row per keyboard. Each keyboard: its line as the distance
// from the line before (the run's line for the first); its verdict and which of its texts
// differ from the keyboard before, in one number; then each of those texts as the length
// it shares with the one before and the rest. A keyboard whose serial number counts up
// from the one before and whose other texts repeat takes about five bytes.
#pragma once
#include <cstddef>
#include <string>

#include "tools/clavoro_report/log_reader.h"

struct KeyboardPacker {
    std::string bytes;
    long line;           // of the keyboard before, or of the run
    KeyboardRecord last; // its texts
};

void StartPacking(KeyboardPacker* packer, long runLine);
void PackKeyboard(KeyboardPacker* packer, const KeyboardRecord& keyboard);

struct KeyboardUnpacker {
    const unsigned char* at;
    const unsigned char* end;
    KeyboardRecord keyboard; // the one unpacked last; its file is the one given
};

// The bytes are read in place: they must stay while the unpacker is used.
void StartUnpacking(KeyboardUnpacker* unpacker, const std::string& bytes, long runLine,
                    const char* file);
// 1 with the next keyboard in unpacker->keyboard, 0 at the end, -1 for bytes that are not
// keyboards packed here (lines that do not go forward, a text too long for its field).
int UnpackKeyboard(KeyboardUnpacker* unpacker);
