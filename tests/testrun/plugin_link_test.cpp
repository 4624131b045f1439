#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "dev_tools/clavoro_host/record_changes.h"
#include "testrun/plugin_link.h"
#include "tests/fakes/fake_plugin_seams.h"

namespace {

using namespace std::string_view_literals;
using Lines = std::vector<std::string>;
using R = PluginSharedRecord;

TEST(PluginLink, ConnectResults) {
    // The name, the failure the mapping gives, the result.
    const std::tuple<const char*, int, int> cases[] = {{"", 0, 1},
                                                       {"XYZ_PLUGIN_INT", 0, 1},
                                                       {"ARD_PLUGIN_INT", 2, 2},
                                                       {"ARD_PLUGIN_INT", 3, 3},
                                                       {"AX", 0, 0},
                                                       {"XR", 0, 0}};
    for (const auto& [name, failure, result] : cases) {
        ResetFakeHost(0xAB);
        fakeHostFailure = failure;
        EXPECT_EQ(result, ConnectToHost(name)) << name;
        EXPECT_EQ(result == 0, IsRunRequested()) << name;
        EXPECT_EQ(result == 0 ? 1 : 0xAB, fakeHostBlock[346]) << "nothing written on failure";
    }
    StoreHostText(reinterpret_cast<char*>(fakeHostBlock) + 100, "x", 0);
    EXPECT_EQ(0xAB, fakeHostBlock[100]) << "a field of no width is left alone";
}

Lines Changes(const R& before, const R& after) {
    char lines[kMaxChangeLines][kChangeLineLength];
    return Lines(lines, lines + DescribeRecordChanges(before, after, lines));
}

// The plug-in link as clavoro-host sees it: the attach byte for byte, then each report
// of the program (or write of the host) as the lines the host prints, with the waits it
// cost while the host left runWord at 1, and those that a runWord of 0 cut short.
TEST(PluginLink, AsTheHostSeesIt) {
    ResetFakeHost(0xab);
    PostHostMessage("x", 3); // unattached: nothing happens
    SetStateCode(9);
    AddOperations(1);
    EXPECT_EQ(0, fakeSleptMilliseconds);
    R* live = reinterpret_cast<R*>(fakeHostBlock);
    R before = *live;
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_9"));
    EXPECT_EQ(Lines{"attach: code 2, program \"Clavoro\", state -1, status \"Starting\", "
                    "\"Operations:\" 0"},
              Changes(before, *live));
    // The fields the attach writes (offset and little-endian bytes); every other byte
    // stays as the host filled it, also behind the texts' ends.
    std::string expected(352, '\xab');
    for (const auto& [offset, bytes] : {std::pair<int, std::string_view>{0, "\1\0\0\0"sv},
                                        {8, "\2\0\0\0Clavoro\0"sv},
                                        {32, "\0\0\0\0\xff\xff\xff\xffStarting\0"sv},
                                        {60, "\0\0\0\0\0"sv},
                                        {164, "\0\0\0\0Operations:\0"sv},
                                        {192, "\0\0\0\0\0\0\0\0\0"sv},
                                        {224, "\xff\xff\xff\xff\xff\xff\xff\xff\0"sv},
                                        {256, "\xff\xff\xff\xff\xff\xff\xff\xff\0"sv},
                                        {305, "\0"sv},
                                        {346, "\1\0\0\0\0\0"sv}}) {
        expected.replace(offset, bytes.size(), bytes);
    }
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(fakeHostBlock), 352));
    char dump[kDumpLines][64];
    DumpRecord(*live, dump);
    EXPECT_STREQ("0000: 01 00 00 00 ab ab ab ab 02 00 00 00 43 6c 61 76", dump[0]);
    EXPECT_STREQ("0150: ab ab ab ab ab ab ab ab ab ab 01 00 00 00 00 00", dump[21]);

    // Each row: the change, then what followed: the milliseconds slept, whether the run
    // is still requested, and the lines the host prints.
    const std::pair<void (*)(R*), std::string> rows[] = {
        {[](R*) {}, "0 run"},
        {[](R*) { AddOperations(1), AddOperations(2); }, "0 run\noperations: 3"},
        {[](R*) { PostHostMessage("a\nb%c\\d\x80\x1f~", 3); }, // cleaned for the host
         "2000 run\nmessage 1, kind 3: \"a b c d  ~\""},
        {[](R* r) { r->messagePending = 0; }, "0 run"},
        {[](R* r) { r->messagePending = 1; }, "0 run\nmessage 1, kind 3: \"a b c d  ~\""},
        {[](R*) { SetStateCode(5); }, "1000 run\nstate: 5"},
        {[](R*) { SetStateCode(9); }, "3000 run\nstate: 9 (test finished)"},
        {[](R*) { WaitForHost(0); }, "0 run"},
        {[](R*) {
             fakeClearRunWordAfterMs = 300, PostHostMessage(std::string(120, 'x').c_str(), 2);
         },
         "300 stop\nrunWord: 0\nmessage 2, kind 2: \"" + std::string(98, 'x') + "\""},
        {[](R*) { WaitForHost(2000); }, "100 stop"}, // at least one sleep
        {[](R* r) { r->runWord = 2, r->value2 = 5, r->value3 = 7, r->attachedFlag = 0; },
         "0 stop\nrunWord: 2\nvalue 2: 5\nvalue 3: 7"},
        {[](R* r) { std::strcpy(r->label2, "L2"), std::strcpy(r->label3, "L3"); },
         "0 stop\nlabel 2: \"L2\"\nlabel 3: \"L3\""},
        {[](R* r) { std::memset(r->statusText, 'x', 20); }, // no end within the field
         "0 stop\nstatus: \"" + std::string(20, 'x') + "\""},
    };
    for (const auto& [change, shown] : rows) {
        before = *live;
        fakeSleptMilliseconds = 0;
        change(live);
        std::string seen =
            std::to_string(fakeSleptMilliseconds) + (IsRunRequested() ? " run" : " stop");
        for (const std::string& line : Changes(before, *live)) {
            seen += "\n" + line;
        }
        EXPECT_EQ(shown, seen);
    }
}

} // namespace
