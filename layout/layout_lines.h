// The line layer of the layout reader: a .kbl file as a list of lines, each a chain
// of typed fields (a number or a text).
#pragma once
#include <cstddef>
#include <cstdint>

struct ListNode {
    ListNode* next;
};

struct LayoutField {
    ListNode node; // first member: a LayoutField* is a ListNode*
    uint32_t isText;
    int32_t intValue;
    char* text; // owned; null for a number field
};

struct LayoutLine {
    ListNode node;
    LayoutField* firstField;
};

struct LineList {
    LayoutLine* first;
};

// Longest piece of a line read at once; longer lines arrive as several lines.
constexpr int kLinePieceLength = 149;

// Appends the lines of a layout file's bytes to the list; returns the number of
// non-comment lines, those that cannot be split included (each is reported).
int ReadLayoutText(LineList* list, const char* text, size_t size);
// The same for the file at path; 0 when it cannot be opened.
int ReadLayoutLines(LineList* list, const char* path);
LayoutLine* SplitLayoutLine(char* text); // cuts the text it is given
LayoutField* MakeField(const char* text);
void FreeLineList(LineList* list);

// Node and field accessors.
void SetNextNode(ListNode* node, ListNode* next);
LayoutField* NextField(const LayoutField* field);
LayoutLine* NextLine(const LayoutLine* line);
LayoutField* FirstField(const LayoutLine* line);
void SetFirstField(LayoutLine* line, LayoutField* field);
void SetFieldNumber(LayoutField* field, int32_t value);
int SetFieldText(LayoutField* field, const char* text); // 0 when out of memory
