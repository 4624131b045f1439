// What clavoro-host prints: the changes between two snapshots of the shared record,
// one readable line each, and a hex dump of the whole record.
#pragma once
#include "testrun/plugin_link.h"

constexpr int kChangeLineLength = 200;
constexpr int kMaxChangeLines = 16; // room for every change at once: at most nine lines

// Lines describing what changed from before to after; returns their number.
int DescribeRecordChanges(const PluginSharedRecord& before, const PluginSharedRecord& after,
                          char lines[kMaxChangeLines][kChangeLineLength]);

// 352 bytes as 22 lines of 16 bytes: "0000: 01 00 00 00 ...".
constexpr int kDumpLines = 22;
void DumpRecord(const PluginSharedRecord& record, char lines[kDumpLines][64]);
