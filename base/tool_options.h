// The command lines of the tools: options may stand before or after the file names,
// "--" ends the options, "--help" asks for the usage text, and "--version" prints the
// tool's name and Clavoro's version and ends the tool with status 0.
#pragma once
#include <vector>

struct ToolOption {
    const char* name; // "--csv", "-b"
    int takesValue;   // 1 when the next argument is the option's value
};

struct ToolArg {
    int option;        // index into the tool's option table
    const char* value; // the next argument for an option that takes one, else null
};

struct ToolArgs {
    std::vector<ToolArg> options;      // in command-line order
    std::vector<const char*> operands; // file names and the like, in order
    char error[128];                   // why the command line was refused
};

enum ToolArgsResult { kArgsOk = 0, kArgsHelp = 1, kArgsBad = 2 };

// Sorts argv[1..argc-1] into the options of the table and the operands. A lone "-" is
// an operand. kArgsBad for an unknown option or one whose value is missing.
int ReadToolArgs(int argc, char** argv, const ToolOption* table, int count, ToolArgs* args);
