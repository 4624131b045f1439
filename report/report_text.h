// The plain-text summary on standard output.
#pragma once
#include <cstdio>

#include "report/report_model.h"

void WriteTextSummary(FILE* out, const Report& report);
// With Report::serial: every test of that serial number, oldest first.
void WriteSerialHistory(FILE* out, const Report& report);
