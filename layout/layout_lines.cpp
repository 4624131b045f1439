#include "layout/layout_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/message_box.h"

// ---- Nodes and fields --------------------------------------------------------------

void SetNextNode(ListNode* node, ListNode* next) {
    if (node != nullptr) {
        node->next = next;
    }
}

// The node is the first member of a field and of a line, so the casts below are exact.
LayoutField* NextField(const LayoutField* field) {
    return field != nullptr ? reinterpret_cast<LayoutField*>(field->node.next) : nullptr;
}

LayoutLine* NextLine(const LayoutLine* line) {
    return line != nullptr ? reinterpret_cast<LayoutLine*>(line->node.next) : nullptr;
}

LayoutField* FirstField(const LayoutLine* line) {
    return line != nullptr ? line->firstField : nullptr;
}

void SetFirstField(LayoutLine* line, LayoutField* field) {
    if (line != nullptr) {
        line->firstField = field;
    }
}

void SetFieldNumber(LayoutField* field, int32_t value) {
    if (field == nullptr) {
        return;
    }
    std::free(field->text); // a number field has no text
    field->text = nullptr;
    field->isText = 0;
    field->intValue = value;
}

// Stores an owned copy of the first length characters of text; 0 when out of memory,
// and the field is then unchanged.
static int SetFieldTextPart(LayoutField* field, const char* text, size_t length) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) {
        return 0;
    }
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    std::free(field->text);
    field->text = copy;
    field->isText = 1;
    field->intValue = 0; // a text read as a number is 0
    return 1;
}

int SetFieldText(LayoutField* field, const char* text) {
    if (field == nullptr || text == nullptr) {
        return 0;
    }
    return SetFieldTextPart(field, text, std::strlen(text));
}

static LayoutField* NewField() {
    return static_cast<LayoutField*>(std::calloc(1, sizeof(LayoutField)));
}

static void FreeField(LayoutField* field) {
    std::free(field->text);
    std::free(field);
}

static void FreeLine(LayoutLine* line) {
    LayoutField* field = FirstField(line);
    while (field != nullptr) {
        LayoutField* next = NextField(field);
        FreeField(field);
        field = next;
    }
    std::free(line);
}

void FreeLineList(LineList* list) {
    if (list == nullptr) {
        return;
    }
    LayoutLine* line = list->first;
    while (line != nullptr) {
        LayoutLine* next = NextLine(line);
        FreeLine(line);
        line = next;
    }
    list->first = nullptr;
}

// ---- Fields and lines --------------------------------------------------------------

static int IsDigit(char c) {
    return c >= '0' && c <= '9';
}

LayoutField* MakeField(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const char first = text[0];
    if (first != '"' && first != '\'' && !IsDigit(first)) {
        return nullptr; // a blank, a tab, a minus sign or a letter begins no field
    }
    LayoutField* field = NewField();
    if (field == nullptr) {
        return nullptr;
    }
    if (first == '"') {
        // The closing quote is not looked at: the last character goes, whatever it is.
        const size_t length = std::strlen(text);
        const size_t inside = std::max<size_t>(length, 2) - 2;
        if (!SetFieldTextPart(field, text + 1, inside)) {
            FreeField(field);
            return nullptr;
        }
    } else if (first == '\'') {
        // The character code as a signed byte: bytes above 127 give negative numbers.
        SetFieldNumber(field, static_cast<signed char>(text[1]));
    } else {
        int64_t value = 0;
        for (const char* p = text; IsDigit(*p); ++p) {
            value = std::min<int64_t>(value * 10 + (*p - '0'), INT32_MAX);
        }
        SetFieldNumber(field, static_cast<int32_t>(value));
    }
    return field;
}

// Cuts the next piece off the text at a comma or a line feed, as strtok does: runs of
// separators give no empty pieces. Returns none when only separators are left.
static char* NextPiece(char** cursor) {
    char* p = *cursor;
    while (*p == ',' || *p == '\n') {
        ++p;
    }
    if (*p == '\0') {
        *cursor = p;
        return nullptr;
    }
    char* start = p;
    while (*p != '\0' && *p != ',' && *p != '\n') {
        ++p;
    }
    if (*p != '\0') {
        *p++ = '\0';
    }
    *cursor = p;
    return start;
}

static int IsLoneQuote(const char* piece, char quote) {
    return piece[0] == quote && piece[1] == '\0';
}

LayoutLine* SplitLayoutLine(char* text) {
    if (text == nullptr || text[0] == '\0') {
        return nullptr;
    }
    char* cursor = text;
    char* piece = NextPiece(&cursor);
    if (piece == nullptr) {
        return nullptr; // an empty line, or commas only
    }
    LayoutLine* line = static_cast<LayoutLine*>(std::calloc(1, sizeof(LayoutLine)));
    if (line == nullptr) {
        return nullptr;
    }
    LayoutField* last = nullptr;
    for (; piece != nullptr; piece = NextPiece(&cursor)) {
        LayoutField* field = nullptr;
        if (IsLoneQuote(piece, '"') || IsLoneQuote(piece, '\'')) {
            // The only text that holds a comma: the comma itself between two quotes.
            char* partner = NextPiece(&cursor);
            if (partner == nullptr || !IsLoneQuote(partner, piece[0])) {
                if (last == nullptr) {
                    FreeLine(line);
                    return nullptr;
                }
                break; // an unpaired quote ends the line; the fields before it stand
            }
            field = NewField();
            if (field != nullptr && !SetFieldText(field, ",")) {
                FreeField(field);
                field = nullptr;
            }
        } else {
            field = MakeField(piece);
        }
        if (field == nullptr) {
            FreeLine(line);
            return nullptr;
        }
        if (last == nullptr) {
            SetFirstField(line, field);
        } else {
            SetNextNode(&last->node, &field->node);
        }
        last = field;
    }
    return line;
}

// ---- Reading a file ----------------------------------------------------------------

// Takes the next piece of a line off the text as fgets does on a file opened as text:
// at most kLinePieceLength characters, the line feed included when it fits. A carriage
// return before a line feed is dropped here, not by the file layer, so that the program
// and the native tools read every file alike (Ctrl+Z, for one, is no end of file).
// Returns the number of characters stored, 0 at the end of the text.
static int ReadPiece(const char** cursor, const char* end, char* piece) {
    const char* p = *cursor;
    int length = 0;
    while (length < kLinePieceLength && p < end) {
        char c = *p++;
        if (c == '\r' && p < end && *p == '\n') {
            c = *p++;
        }
        piece[length++] = c;
        if (c == '\n') {
            break;
        }
    }
    piece[length] = '\0';
    *cursor = p;
    return length;
}

static void ReportUnsplittableLine(const char* text) {
    char message[kLinePieceLength + 128];
    std::snprintf(message, sizeof message,
                  "Error parsing line beginning\n%s\nPossible cause - non digit value outside "
                  "quotes.",
                  text);
    ShowMessage(nullptr, message, "Clavoro Error", kIconWarning);
}

int ReadLayoutText(LineList* list, const char* text, size_t size) {
    LayoutLine* last = list->first;
    while (NextLine(last) != nullptr) {
        last = NextLine(last);
    }
    // A NUL byte ends the piece's text early; the bytes after it in the piece are lost.
    char piece[kLinePieceLength + 1];
    const char* cursor = text;
    int count = 0;
    while (ReadPiece(&cursor, text + size, piece) > 0) {
        if (piece[0] == '#') {
            continue; // a comment; the rest of an over-long one is not
        }
        if (count < INT32_MAX) {
            ++count;
        }
        LayoutLine* line = SplitLayoutLine(piece);
        if (line == nullptr) {
            ReportUnsplittableLine(piece); // as far as the splitting left it
            continue;
        }
        if (last == nullptr) {
            list->first = line;
        } else {
            SetNextNode(&last->node, &line->node);
        }
        last = line;
    }
    return count;
}

int ReadLayoutLines(LineList* list, const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return 0;
    }
    // The whole file in one buffer, doubled while it fills; a file that does not fit in
    // memory reads as no lines.
    char* bytes = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    for (;;) {
        if (size == capacity) {
            capacity = capacity == 0 ? 4096 : 2 * capacity;
            char* grown = static_cast<char*>(std::realloc(bytes, capacity));
            if (grown == nullptr) {
                size = 0;
                break;
            }
            bytes = grown;
        }
        const size_t got = std::fread(bytes + size, 1, capacity - size, file);
        if (got == 0) {
            break;
        }
        size += got;
    }
    std::fclose(file);
    const int count = ReadLayoutText(list, bytes, size);
    std::free(bytes);
    return count;
}
