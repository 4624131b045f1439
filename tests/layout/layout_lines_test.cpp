#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "layout/layout_lines.h"
#include "tests/fakes/fake_messages.h"
#include "tests/layout/temp_files.h"

namespace {

// Fields of a line as "12|[Esc]|..." (numbers bare, texts in brackets).
std::string Describe(const LayoutLine* line) {
    std::string out;
    for (const LayoutField* f = FirstField(line); f != nullptr; f = NextField(f)) {
        if (!out.empty()) {
            out += "|";
        }
        if (f->isText) {
            EXPECT_EQ(0, f->intValue) << "a text field reads as the number 0";
            out += "[" + std::string(f->text) + "]";
        } else {
            EXPECT_EQ(nullptr, f->text) << "a number field has no text";
            out += std::to_string(f->intValue);
        }
    }
    return out;
}

std::string Split(const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    LayoutLine* line = SplitLayoutLine(buffer.data());
    if (line == nullptr) {
        return "<none>";
    }
    LineList list = {line};
    std::string out = Describe(line);
    FreeLineList(&list);
    return out;
}

std::vector<std::string> DescribeList(const LineList& list) {
    std::vector<std::string> out;
    for (const LayoutLine* line = list.first; line != nullptr; line = NextLine(line)) {
        out.push_back(Describe(line));
    }
    return out;
}

TEST(MakeField, KindIsFixedByTheFirstCharacter) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"12abc", "12"},
        {"007", "7"},
        {"2147483647", "2147483647"},
        {"2147483648", "2147483647"},
        {"99999999999999999999999", "2147483647"},
        {"'x'", "120"},
        {"'x", "120"},
        {"'A'", "65"},
        {"'\xE9'", "-23"}, // a byte above 127 is a negative character code
        {"'", "0"},
        {"\"Esc\"", "[Esc]"},
        {"\"Esc", "[Es]"},
        {"\"Esc\" ", "[Esc\"]"},
        {"\"\"", "[]"},
        {"\"", "[]"},
        {" 12", "<none>"},
        {"\t1", "<none>"},
        {"-3", "<none>"},
        {"abc", "<none>"},
        {"", "<none>"},
    };
    for (const Case& c : cases) {
        LayoutField* field = MakeField(c.text);
        std::string got = "<none>";
        if (field != nullptr) {
            LayoutLine line = {{nullptr}, field};
            got = Describe(&line);
            std::free(field->text);
            std::free(field);
        }
        EXPECT_EQ(c.expected, got) << "field text: " << c.text;
    }
}

TEST(SplitLayoutLine, SeparatorsQuotesAndBadPieces) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"1,,2", "1|2"},
        {",1,2,", "1|2"},
        {"1,2\n", "1|2"},
        {"27,1,\"Esc\",\"false\"\n", "27|1|[Esc]|[false]"},
        {"\",\",9", "[,]|9"},            // a comma between double quotes, first
        {"'\\'',1,',',2", "92|1|[,]|2"}, // the same between single quotes, later
        {"5,\",\",7", "5|[,]|7"},
        {"5,\",x,7", "5"}, // an unpaired quote ends the line
        {"5,6,\"", "5|6"},
        {"5,',\"", "5"}, // the partner must be the same quote
        {"\",x", "<none>"},
        {"\"", "<none>"},
        {"\"a,b\"", "<none>"}, // a text cannot hold a comma
        {"27, 1", "<none>"},   // no blank before a field
        {"1,-3", "<none>"},
        {"", "<none>"},
        {"\n", "<none>"},
        {",,,\n", "<none>"},
        {"1\r", "1"}, // a lone carriage return is text, and a number stops at it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Split(c.text)) << "line: " << c.text;
    }
}

TEST(ListNodes, UnlinkAndAccessors) {
    ListNode a = {nullptr}, b = {nullptr}, c = {nullptr}, stray = {nullptr};
    SetNextNode(&a, &b);
    SetNextNode(&b, &c);
    EXPECT_EQ(0, unlink(&a, &stray));
    EXPECT_EQ(0, unlink(nullptr, &b));
    EXPECT_EQ(0, unlink(&a, nullptr));
    EXPECT_EQ(0, unlink(&a, &a)) << "the start node has no node before it";
    EXPECT_EQ(1, unlink(&a, &c));
    EXPECT_EQ(nullptr, NextNode(&b));
    SetNextNode(&b, &c);
    EXPECT_EQ(1, unlink(&a, &b));
    EXPECT_EQ(&c, NextNode(&a));
    EXPECT_EQ(&c, NextNode(&b)) << "the unlinked node is left as it was";

    LayoutField field = {{nullptr}, 0, 0, nullptr};
    ASSERT_EQ(1, SetFieldText(&field, "first"));
    ASSERT_EQ(1, SetFieldText(&field, "second")); // the first text is released (ASan)
    EXPECT_EQ(1u, field.isText);
    EXPECT_STREQ("second", field.text);
    SetFieldNumber(&field, 42);
    EXPECT_EQ(0u, field.isText);
    EXPECT_EQ(42, field.intValue);
    EXPECT_EQ(nullptr, field.text);

    LineList empty = {nullptr};
    FreeLineList(&empty);
    EXPECT_EQ(nullptr, empty.first);
}

class ReadLayoutLinesTest : public ::testing::Test {
  protected:
    void SetUp() override { shownMessages.clear(); }
    void TearDown() override { FreeLineList(&list); }
    int Read(const std::string& bytes) {
        FreeLineList(&list);
        return ReadLayoutLines(&list, folder.Write("file.kbl", bytes).c_str());
    }
    TempFolder folder;
    LineList list = {nullptr};
};

TEST_F(ReadLayoutLinesTest, CommentsCountsAndOrder) {
    EXPECT_EQ(0, Read("# one\n#two\n"));
    EXPECT_EQ(nullptr, list.first);
    EXPECT_EQ(0, Read(""));
    EXPECT_TRUE(shownMessages.empty());

    // A bad first field harms no later line; a "#" inside a line is text.
    EXPECT_EQ(4, Read("1,2\n# note\n x,3\n\"#a\",4\n5,#\n"));
    EXPECT_EQ((std::vector<std::string>{"1|2", "[#a]|4"}), DescribeList(list));
    ASSERT_EQ(2u, shownMessages.size()) << "one message per line that cannot be split";
    EXPECT_EQ("Error parsing line beginning\n x\nPossible cause - non digit value outside "
              "quotes.",
              shownMessages[0].text);
    EXPECT_EQ("Clavoro Error", shownMessages[0].caption);
    EXPECT_EQ(kIconWarning, shownMessages[0].icon);
    EXPECT_EQ(nullptr, shownMessages[0].owner);
    EXPECT_EQ("Error parsing line beginning\n5\nPossible cause - non digit value outside "
              "quotes.",
              shownMessages[1].text)
        << "the text as far as the splitting cut it";

    EXPECT_EQ(1, Read(",,,\n"));
    EXPECT_EQ(nullptr, list.first);
}

TEST_F(ReadLayoutLinesTest, LongLinesArriveInPiecesOf149) {
    const std::string digits149(149, '7');
    struct Case {
        std::string bytes;
        int count;
        std::vector<std::string> lines;
        size_t messages;
    } cases[] = {
        // 200 characters: 149, then 51 as a line of its own
        {std::string(149, '1') + std::string(51, '2') + "\n", 2, {"2147483647", "2147483647"}, 0},
        // exactly 149: its line feed follows as an empty line, which cannot be split
        {digits149 + "\n3\n", 3, {"2147483647", "3"}, 1},
        // 148 and the line feed fit in one piece; a CR LF counts as one character
        {std::string(148, '4') + "\r\n5\r\n", 2, {"2147483647", "5"}, 0},
        // the continuation of a long comment is read as a key line
        {"#" + std::string(148, 'c') + "9,8\n", 1, {"9|8"}, 0},
        {"#" + std::string(148, 'c') + "#9\n", 0, {}, 0},
    };
    for (const Case& c : cases) {
        shownMessages.clear();
        EXPECT_EQ(c.count, Read(c.bytes)) << c.bytes.substr(0, 20);
        EXPECT_EQ(c.lines, DescribeList(list));
        EXPECT_EQ(c.messages, shownMessages.size());
    }
}

TEST_F(ReadLayoutLinesTest, LineEndsAndOddBytes) {
    struct Case {
        std::string bytes;
        int count;
        std::vector<std::string> lines;
    } cases[] = {
        {"1,\"a\"\r\n2,\"b\"\r\n", 2, {"1|[a]", "2|[b]"}},
        {"1,\"a\"\n2,\"b\"", 2, {"1|[a]", "2|[b]"}},       // no line end at the end
        {"1,\"a\r\"\r\r\n", 1, {"1|[a\r\"]"}},             // only the CR before LF goes
        {"1,\"a\"\r2,\"b\"\r", 1, {"1|[a\"\r]|[b\"]"}},    // CR-only ends are no line ends
        {std::string("1,2\0,3\n4\n", 9), 2, {"1|2", "4"}}, // a NUL ends the piece's text
        {std::string("\0\n7\n", 4), 2, {"7"}},
        {"\"\xC4\xE9\",'\xFF'\n", 1, {"[\xC4\xE9]|-1"}},
        {"\x1A"
         "1,2\n",
         1,
         {}}, // Ctrl+Z is an ordinary byte, not an end of file
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.count, Read(c.bytes));
        EXPECT_EQ(c.lines, DescribeList(list));
    }
}

TEST_F(ReadLayoutLinesTest, HugeLinesAndFilesThatCannotBeRead) {
    // A megabyte on one line: read piece by piece, every piece a line of its own.
    std::string huge;
    for (int i = 0; i < 1 << 20; i += 4) {
        huge += "123,";
    }
    EXPECT_EQ((1 << 20) / 149 + 1, Read(huge));
    EXPECT_TRUE(shownMessages.empty());

    EXPECT_EQ(0, ReadLayoutLines(&list, (folder.path + "/missing.kbl").c_str()));
    EXPECT_EQ(0, ReadLayoutLines(&list, folder.path.c_str())) << "a folder reads as no lines";
    EXPECT_EQ(0, ReadLayoutLines(&list, nullptr));
}

} // namespace
