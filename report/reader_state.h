// Where the log reader stood at the end of an import, kept in the results store as text
// so that the next import reads on from there. The form, one value to a line, a name, a
// tab and the value (texts in UTF-8 as the reader holds them; none holds a line break):
//
//   clavoro-report reader state 1
//   line            the log's lines read
//   in run          1 when a run was open, else 0; then that run:
//   run line        the line of its start record
//   run date        its date line as written
//   program, os, operator, product, batch, layout (the layout at the time)
//   run has keyboards   1 once its first serial number came
//   keyboard        1 when a keyboard was on the bench, else 0; then that keyboard:
//   verdict seen    1 when its verdict came (its reason may still follow)
//   keyboard line   the line of its serial-number record
//   serial, version, keyboard layout, verdict (0 to 3), reason, chattered key, vid, pid,
//   rev, name
//   used layout     one line for each layout the run used, in order of first use
//
// Every line comes in this order; a state that is not exactly of this form is refused
// and the log is read again from its start.
#pragma once
#include <string>

#include "report/log_reader.h"

// The reader's state with the run's layouts (one per line, in order of first use).
std::string SaveReaderState(const LogReader& reader, const std::string& layouts);
// Restores a reader started on the log: its events, file and code page stay, and the run
// and keyboard restored carry no file name (nothing an import writes needs it). False for
// a text not of the form above.
bool RestoreReaderState(LogReader* reader, const std::string& state, std::string* layouts);
