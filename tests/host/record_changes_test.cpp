#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fake_plugin_seams.h"
#include "testrun/plugin_link.h"
#include "tools/clavoro_host/record_changes.h"

namespace {

std::vector<std::string> Changes(const PluginSharedRecord& before,
                                 const PluginSharedRecord& after) {
    char lines[kMaxChangeLines][kChangeLineLength];
    int n = DescribeRecordChanges(before, after, lines);
    return std::vector<std::string>(lines, lines + n);
}

// The record as the host sees it through a whole plug-in run of the program.
TEST(HostRecordChanges, APlugInRunAsTheHostSeesIt) {
    std::memset(&pluginLink, 0, sizeof pluginLink);
    std::memset(fakeHostBlock, 0xAB, sizeof fakeHostBlock); // what the host left there
    fakeHostBlock[0] = 1;
    fakeHostBlock[1] = fakeHostBlock[2] = fakeHostBlock[3] = 0;
    fakeHostFailure = 0;
    fakeClearRunWordAfterMs = 0;
    const PluginSharedRecord& live = *reinterpret_cast<const PluginSharedRecord*>(fakeHostBlock);
    PluginSharedRecord before = live;

    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_9"));
    EXPECT_EQ(std::vector<std::string>{"attach: code 2, program \"Clavoro\", state -1, status "
                                       "\"Starting\", \"Operations:\" 0"},
              Changes(before, live));
    before = live;
    AddOperations(1);
    AddOperations(1);
    EXPECT_EQ(std::vector<std::string>{"operations: 2"}, Changes(before, live));
    before = live;
    PostHostMessage("Failed by user -    Failure Reason: Bad LEDs\n", 3);
    SetStateCode(9);
    EXPECT_EQ((std::vector<std::string>{
                  "message 1, kind 3: \"Failed by user -    Failure Reason: Bad LEDs \"",
                  "state: 9 (test finished)"}),
              Changes(before, live));
    before = live;
    fakeHostBlock[0] = 0;
    EXPECT_EQ(std::vector<std::string>{"runWord: 0"}, Changes(before, live));
    EXPECT_TRUE(Changes(live, live).empty());
}

TEST(HostRecordChanges, DumpShowsEveryByte) {
    PluginSharedRecord r;
    std::memset(&r, 0, sizeof r);
    r.runWord = 1;
    r.attachedFlag = 1;
    char lines[kDumpLines][64];
    DumpRecord(r, lines);
    EXPECT_STREQ("0000: 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", lines[0]);
    EXPECT_STREQ("0150: 00 00 00 00 00 00 00 00 00 00 01 00 00 00 00 00", lines[21]); // 346
}

} // namespace
