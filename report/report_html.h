// One self-contained HTML page: the summary tables and two inline SVG bar charts
// (failure reasons over all runs, yield per run). No scripts, no external files.
#pragma once
#include <cstdio>

#include "report/report_model.h"

void WriteHtmlReport(FILE* out, const Report& report);
// Text for HTML: markup characters escaped, the rest as it is (UTF-8). Appended to html.
void AppendHtmlText(std::string* html, const char* text);
