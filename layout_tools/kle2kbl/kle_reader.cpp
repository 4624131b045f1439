#include "layout_tools/kle2kbl/kle_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

// The text handed to the JSON parser and, for each of its bytes, the offset in the
// user's text it stands for, so that an error points into the user's own text.
struct JsonText {
    std::string text;
    std::vector<size_t> from;
};

void Put(JsonText* out, char c, size_t from) {
    out->text += c;
    out->from.push_back(from);
}

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// Puts quotes around the property names the Raw data tab writes without them ({x:1}
// becomes {"x":1}); strings are copied as they are.
JsonText QuoteNames(const std::string& in) {
    JsonText out;
    size_t i = in.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; // a byte-order mark
    while (i < in.size()) {
        if (in[i] == '"') {
            Put(&out, in[i], i);
            for (++i; i < in.size() && in[i] != '"'; ++i) {
                if (in[i] == '\\' && i + 1 < in.size()) {
                    Put(&out, in[i], i);
                    ++i;
                }
                Put(&out, in[i], i);
            }
            if (i < in.size()) {
                Put(&out, in[i], i);
                ++i;
            }
            continue;
        }
        if (!IsNameStart(in[i])) {
            Put(&out, in[i], i);
            ++i;
            continue;
        }
        size_t end = i;
        while (end < in.size() && IsNameChar(in[end])) {
            ++end;
        }
        const size_t after = in.find_first_not_of(" \t\r\n", end);
        const bool isName = after != std::string::npos && in[after] == ':';
        if (isName) {
            Put(&out, '"', i);
        }
        for (; i < end; ++i) {
            Put(&out, in[i], i);
        }
        if (isName) {
            Put(&out, '"', end);
        }
    }
    return out;
}

// The saved file is one list of rows; the pasted text is the rows alone, separated by
// commas, so its first bracket closes before the end.
bool IsOneList(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\r\n");
    if (i == std::string::npos || text[i] != '[') {
        return false;
    }
    int depth = 0;
    bool inString = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if ((c == ']' || c == '}') && --depth == 0) {
            return text.find_first_not_of(" \t\r\n", i + 1) == std::string::npos;
        }
    }
    return false;
}

// Takes nothing from the parser but the place and the kind of its error.
struct ErrorPlace {
    size_t position; // bytes read, the faulty one included
    std::string what;
    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(json::number_integer_t) { return true; }
    bool number_unsigned(json::number_unsigned_t) { return true; }
    bool number_float(json::number_float_t, const json::string_t&) { return true; }
    bool string(json::string_t&) { return true; }
    bool binary(json::binary_t&) { return true; }
    bool start_object(std::size_t) { return true; }
    bool key(json::string_t&) { return true; }
    bool end_object() { return true; }
    bool start_array(std::size_t) { return true; }
    bool end_array() { return true; }
    bool parse_error(std::size_t at, const std::string&, const json::exception& e) {
        position = at;
        what = e.what();
        return false;
    }
};

void FillJsonError(const std::string& in, const JsonText& parsed, KleError* error) {
    ErrorPlace place{0, ""};
    json::sax_parse(parsed.text, &place);
    // A bracket added after the user's text stands for its end.
    const size_t at = std::max<size_t>(place.position, 1) - 1;
    const size_t offset = at < parsed.from.size() ? parsed.from[at] : in.size();
    error->line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < std::min(offset, in.size()); ++i) {
        if (in[i] == '\n') {
            ++error->line;
            lineStart = i + 1;
        }
    }
    error->column = static_cast<int>(offset - lineStart) + 1;
    // "[json.exception.parse_error.101] parse error at line 1, column 4: syntax error
    // ...; last read: '...'": the place is that of the text the parser was given.
    std::string what = place.what;
    const size_t colon = what.find(": ");
    what = colon == std::string::npos ? what : what.substr(colon + 2);
    const size_t lastRead = what.find("; last read");
    const size_t expected = what.find("; expected", lastRead == std::string::npos ? 0 : lastRead);
    error->text = what.substr(0, lastRead);
    if (lastRead != std::string::npos && expected != std::string::npos) {
        error->text += what.substr(expected);
    }
}

// The properties that apply to the keys after them.
struct KeyState {
    double x, y, width, height, x2, y2, width2, height2;
    double rotation, clusterX, clusterY;
    bool decal;
};

bool NumberOf(const json& properties, const char* name, double* value) {
    const auto found = properties.find(name);
    if (found == properties.end() || !found->is_number()) {
        return false;
    }
    *value = found->get<double>();
    return true;
}

void ApplyProperties(const json& p, KeyState* s) {
    NumberOf(p, "r", &s->rotation);
    // A new rotation centre starts a cluster of its own at that place.
    const bool newX = NumberOf(p, "rx", &s->clusterX);
    const bool newY = NumberOf(p, "ry", &s->clusterY);
    if (newX || newY) {
        s->x = s->clusterX;
        s->y = s->clusterY;
    }
    double offset = 0;
    if (NumberOf(p, "x", &offset)) {
        s->x += offset;
    }
    if (NumberOf(p, "y", &offset)) {
        s->y += offset;
    }
    NumberOf(p, "w", &s->width);
    NumberOf(p, "h", &s->height);
    NumberOf(p, "x2", &s->x2);
    NumberOf(p, "y2", &s->y2);
    NumberOf(p, "w2", &s->width2);
    NumberOf(p, "h2", &s->height2);
    const auto decal = p.find("d");
    if (decal != p.end() && decal->is_boolean()) {
        s->decal = decal->get<bool>();
    }
}

KleKey MakeKey(const KeyState& s, const std::string& text, int row, int position) {
    KleKey key;
    key.x = s.x;
    key.y = s.y;
    key.width = s.width;
    key.height = s.height;
    key.x2 = s.x2;
    key.y2 = s.y2;
    // A second rectangle without a size of its own has the size of the first.
    key.width2 = s.width2 > 0 ? s.width2 : s.width;
    key.height2 = s.height2 > 0 ? s.height2 : s.height;
    key.rotation = s.rotation;
    key.row = row;
    key.position = position;
    size_t start = 0;
    for (int i = 0; i < kKleLabels && start <= text.size(); ++i) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        key.labels[i] = CleanLabel(text.substr(start, end - start));
        start = end + 1;
    }
    return key;
}

int StructureError(KleError* error, const char* text, int row) {
    char message[128];
    std::snprintf(message, sizeof message, text, row);
    *error = {0, 0, message};
    return 0;
}

// UTF-8 of a character code from an entity such as &#8593;.
std::string Utf8(unsigned long code) {
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

struct Entity {
    const char* name;
    const char* text;
};
constexpr Entity kEntities[] = {
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"apos", "'"},
    {"nbsp", " "},
    {"larr", "\xE2\x86\x90"},
    {"uarr", "\xE2\x86\x91"},
    {"rarr", "\xE2\x86\x92"},
    {"darr", "\xE2\x86\x93"},
    {"crarr", "\xE2\x86\xB5"},
    {"not", "\xC2\xAC"},
    {"pound", "\xC2\xA3"},
    {"brvbar", "\xC2\xA6"},
};

// The text an entity at text[i] ('&') stands for, and its length; "&" alone when it is
// none we know.
std::string DecodeEntity(const std::string& text, size_t i, size_t* length) {
    const size_t end = text.find(';', i);
    *length = 1;
    if (end == std::string::npos || end - i > 10) {
        return "&";
    }
    const std::string name = text.substr(i + 1, end - i - 1);
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        *length = end - i + 1;
        return Utf8(std::strtoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
    }
    for (const auto& entity : kEntities) {
        if (name == entity.name) {
            *length = end - i + 1;
            return entity.text;
        }
    }
    return "&";
}

} // namespace

std::string CleanLabel(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size();) {
        // A tag starts with a letter or a slash; a "<" alone is the legend of a key.
        const char next = i + 1 < label.size() ? label[i + 1] : '\0';
        const bool tagStart =
            next == '/' || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
        const size_t end = label.find('>', i);
        if (label[i] == '<' && tagStart && end != std::string::npos) {
            const std::string tag = label.substr(i, end - i + 1);
            if (tag.compare(0, 3, "<br") == 0 || tag.compare(0, 3, "<BR") == 0) {
                out += ' ';
            }
            i = end + 1;
        } else if (label[i] == '&') {
            size_t length = 0;
            out += DecodeEntity(label, i, &length);
            i += length;
        } else {
            out += label[i];
            ++i;
        }
    }
    const size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

int ReadKle(const std::string& text, KleDrawing* drawing, KleError* error) {
    drawing->keys.clear();
    drawing->name.clear();
    JsonText jsonText = QuoteNames(text);
    if (!IsOneList(jsonText.text)) {
        jsonText.text = "[" + jsonText.text + "]";
        jsonText.from.insert(jsonText.from.begin(), 0);
    }
    json rows = json::parse(jsonText.text, nullptr, false);
    if (rows.is_discarded()) {
        FillJsonError(text, jsonText, error);
        return 0;
    }
    // A pasted single row is a list that holds no list.
    bool holdsRows = false;
    for (const json& element : rows) {
        holdsRows = holdsRows || element.is_array();
    }
    if (!holdsRows) {
        rows = json::array({rows});
    }
    KeyState s = {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, false};
    int row = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (r == 0 && rows[r].is_object()) {
            const auto name = rows[r].find("name");
            if (name != rows[r].end() && name->is_string()) {
                drawing->name = name->get<std::string>();
            }
            continue;
        }
        ++row;
        if (!rows[r].is_array()) {
            return StructureError(error, "row %d is not a list of keys", row);
        }
        int position = 0;
        for (const json& item : rows[r]) {
            if (item.is_object()) {
                ApplyProperties(item, &s);
                continue;
            }
            if (!item.is_string()) {
                return StructureError(error,
                                      "row %d holds something that is neither a key nor "
                                      "its properties",
                                      row);
            }
            ++position;
            if (!s.decal) {
                drawing->keys.push_back(MakeKey(s, item.get<std::string>(), row, position));
            }
            // Size, second rectangle and decal are for one key only.
            s.x += s.width;
            s.width = s.height = 1;
            s.x2 = s.y2 = s.width2 = s.height2 = 0;
            s.decal = false;
        }
        s.y += 1;
        s.x = s.clusterX;
    }
    return 1;
}
