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
        out += out.empty() ? "" : "|";
        if (f->isText) {
            EXPECT_EQ(0, f->intValue) << "a text field reads as the number 0";
            out += "[" + std::string(f->text) + "]";
        } else {
            EXPECT_EQ(nullptr, f->text);
            out += std::to_string(f->intValue);
        }
    }
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
    const char* const cases[][2] = {
        {"12abc", "12"},
        {"007", "7"},
        {"2147483647", "2147483647"},
        {"2147483648", "2147483647"},
        {"99999999999999999999999", "2147483647"},
        {"'x'", "120"},
        {"'x", "120"},
        {"'\xE9'", "-23"}, // a byte above 127 is a negative character code
        {"'", "0"},
        {"\"Esc\"", "[Esc]"},
        {"\"Esc", "[Es]"},
        {"\"Esc\" ", "[Esc\"]"},
        {"\"", "[]"},
        {" 12", "<none>"},
        {"-3", "<none>"},
        {"abc", "<none>"},
        {"", "<none>"},
    };
    for (const auto& c : cases) {
        LayoutField* field = MakeField(c[0]);
        std::string got = "<none>";
        if (field != nullptr) {
            LayoutLine line = {{nullptr}, field};
            got = Describe(&line);
            std::free(field->text);
            std::free(field);
        }
        EXPECT_EQ(c[1], got) << "field text: " << c[0];
    }
}

TEST(SplitLayoutLine, SeparatorsQuotesAndBadPieces) {
    const char* const cases[][2] = {
        {",1,,2,", "1|2"},
        {"27,1,\"Esc\",\"false\"\n", "27|1|[Esc]|[false]"},
        {"\",\",9", "[,]|9"},            // a comma between double quotes, first
        {"'\\'',1,',',2", "92|1|[,]|2"}, // the same between single quotes, later
        {"5,\",x,7", "5"},               // an unpaired quote ends the line
        {"5,',\"", "5"},                 // the partner must be the same quote
        {"\",x", "<none>"},
        {"\"a,b\"", "<none>"}, // a text cannot hold a comma
        {"27, 1", "<none>"},   // no blank before a field
        {",,,\n", "<none>"},
        {"1\r", "1"}, // a lone carriage return is text, and a number stops at it
    };
    for (const auto& c : cases) {
        std::string text = c[0];
        LineList list = {SplitLayoutLine(&text[0])};
        EXPECT_EQ(c[1], list.first ? Describe(list.first) : "<none>") << "line: " << c[0];
        FreeLineList(&list);
    }
}

TEST(ListNodes, UnlinkOnlyANodeOfTheList) {
    ListNode a = {nullptr}, b = {nullptr}, c = {nullptr}, stray = {nullptr};
    SetNextNode(&a, &b);
    SetNextNode(&b, &c);
    EXPECT_EQ(0, unlink(&a, &stray));
    EXPECT_EQ(0, unlink(nullptr, &b));
    EXPECT_EQ(0, unlink(&a, &a)) << "the start node has no node before it";
    EXPECT_EQ(1, unlink(&a, &c));
    EXPECT_EQ(nullptr, NextNode(&b));
    SetNextNode(&b, &c);
    EXPECT_EQ(1, unlink(&a, &b));
    EXPECT_EQ(&c, NextNode(&a));
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

TEST_F(ReadLayoutLinesTest, CommentsAndLinesThatCannotBeSplit) {
    EXPECT_EQ(0, Read("# one\n#two\n"));
    EXPECT_EQ(nullptr, list.first);
    // A bad first field harms no later line; a "#" inside a line is text.
    EXPECT_EQ(4, Read("1,2\n# note\n x,3\n\"#a\",4\n5,#\n"));
    EXPECT_EQ((std::vector<std::string>{"1|2", "[#a]|4"}), DescribeList(list));
    ASSERT_EQ(2u, shownMessages.size()) << "one message per line that cannot be split";
    const char* const texts[] = {" x", "5"}; // the text as far as the splitting cut it
    for (int i = 0; i < 2; ++i) {
        const ShownMessage& m = shownMessages[i];
        EXPECT_EQ(std::string("Error parsing line beginning\n") + texts[i] +
                      "\nPossible cause - non digit value outside quotes.",
                  m.text);
        EXPECT_EQ("Clavoro Error", m.caption);
        EXPECT_EQ(kIconWarning, m.icon);
        EXPECT_EQ(nullptr, m.owner);
    }
}

TEST_F(ReadLayoutLinesTest, PiecesOf149LineEndsAndOddBytes) {
    struct Case {
        std::string bytes;
        int count;
        std::vector<std::string> lines;
        size_t messages;
    } cases[] = {
        // 200 characters: 149, then 51 as a line of its own
        {std::string(149, '1') + std::string(51, '2') + "\n", 2, {"2147483647", "2147483647"}, 0},
        // exactly 149: its line feed follows as an empty line, which cannot be split
        {std::string(149, '7') + "\n3\n", 3, {"2147483647", "3"}, 1},
        // 148 and the line feed fit in one piece; a CR LF counts as one character
        {std::string(148, '4') + "\r\n5\r\n", 2, {"2147483647", "5"}, 0},
        // the continuation of a long comment is read as a key line
        {"#" + std::string(148, 'c') + "9,8\n", 1, {"9|8"}, 0},
        {"1,\"a\"\n2,\"b\"", 2, {"1|[a]", "2|[b]"}, 0},       // no line end at the end
        {"1,\"a\r\"\r\r\n", 1, {"1|[a\r\"]"}, 0},             // only the CR before LF goes
        {"1,\"a\"\r2,\"b\"\r", 1, {"1|[a\"\r]|[b\"]"}, 0},    // CR-only ends are no line ends
        {std::string("1,2\0,3\n4\n", 9), 2, {"1|2", "4"}, 0}, // a NUL ends the piece's text
        {"\"\xC4\xE9\",'\xFF'\n", 1, {"[\xC4\xE9]|-1"}, 0},
        {"\x1A"
         "1,2\n",
         1,
         {},
         1}, // Ctrl+Z is an ordinary byte, not an end of file
    };
    for (const Case& c : cases) {
        shownMessages.clear();
        EXPECT_EQ(c.count, Read(c.bytes)) << c.bytes.substr(0, 20);
        EXPECT_EQ(c.lines, DescribeList(list));
        EXPECT_EQ(c.messages, shownMessages.size());
    }
}

TEST_F(ReadLayoutLinesTest, HugeLinesAndFilesThatCannotBeRead) {
    std::string huge;
    for (int i = 0; i < 1 << 20; i += 4) {
        huge += "123,";
    }
    EXPECT_EQ((1 << 20) / 149 + 1, Read(huge)) << "every piece is a line of its own";
    EXPECT_EQ(0, ReadLayoutLines(&list, (folder.path + "/missing.kbl").c_str()));
    EXPECT_EQ(0, ReadLayoutLines(&list, folder.path.c_str())) << "a folder reads as no lines";
}

} // namespace
