#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/fakes/fake_plugin_seams.h"
#include "testrun/plugin_link.h"

namespace {

class PluginLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&pluginLink, 0, sizeof pluginLink);
        std::memset(fakeHostBlock, 0xAB, sizeof fakeHostBlock); // what the host left there
        fakeHostBlock[0] = 1;                                  // runWord 1
        fakeHostBlock[1] = fakeHostBlock[2] = fakeHostBlock[3] = 0;
        fakeHostFailure = 0;
        fakeSleptMilliseconds = 0;
        fakeClearRunWordAfterMs = 0;
    }
    const PluginSharedRecord& Record() {
        return *reinterpret_cast<const PluginSharedRecord*>(fakeHostBlock);
    }
};

TEST_F(PluginLinkTest, ConnectResults) {
    EXPECT_EQ(1, ConnectToHost(""));
    EXPECT_EQ(1, ConnectToHost("XYZ"));
    EXPECT_EQ(0xAB, fakeHostBlock[8]) << "a refused name touches no shared memory";
    fakeHostFailure = 2;
    EXPECT_EQ(2, ConnectToHost("ARD_PLUGIN_INT_1"));
    fakeHostFailure = 3;
    EXPECT_EQ(3, ConnectToHost("ARD_PLUGIN_INT_1"));
    EXPECT_EQ(nullptr, pluginLink.record);
    // One matching character of the first two is enough.
    fakeHostFailure = 0;
    EXPECT_EQ(0, ConnectToHost("AX"));
}

TEST_F(PluginLinkTest, AttachFillsTheRecordAndLeavesTheHostsBytes) {
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_7"));
    const PluginSharedRecord& r = Record();
    EXPECT_EQ(1u, r.runWord);
    EXPECT_EQ(2u, r.attachCode);
    EXPECT_STREQ("Clavoro", r.programName);
    EXPECT_EQ(0xAB, static_cast<uint8_t>(r.programName[8])) << "bytes after the terminator";
    EXPECT_EQ(-1, r.stateCode);
    EXPECT_STREQ("Starting", r.statusText);
    EXPECT_EQ(0u, r.messageCount);
    EXPECT_STREQ("", r.messageText);
    EXPECT_STREQ("Operations:", r.operationsLabel);
    EXPECT_EQ(0, r.operationsCount);
    EXPECT_EQ(-1, r.value2);
    EXPECT_EQ(-1, r.value3);
    EXPECT_EQ(1, r.attachedFlag);
    EXPECT_EQ(0, r.messagePending);
    EXPECT_EQ(0xABABABABu, r.unused4);
    EXPECT_EQ(0xAB, r.unused265[0]);
    for (int offset : {264, 305, 347, 348, 349, 350, 351}) {
        EXPECT_EQ(0, fakeHostBlock[offset]) << offset;
    }
}

TEST_F(PluginLinkTest, HostTextsAreCleanedAndCut) {
    char field[100];
    struct Case {
        const char* text;
        int width;
        std::string stored;
    } cases[] = {
        {"Starting", 20, "Starting"},
        {"12345678901234567890123", 20, "1234567890123456789"},
        {"a\nb%c\\d\x80", 100, "a b c d "},
    };
    for (const Case& c : cases) {
        std::memset(field, 0, sizeof field);
        StoreHostText(field, c.text, c.width);
        EXPECT_EQ(c.stored, std::string(field)) << c.text;
    }
    std::string longText(120, 'x');
    StoreHostText(field, longText.c_str(), 100);
    EXPECT_EQ(std::string(98, 'x'), std::string(field));
}

TEST_F(PluginLinkTest, MessagesCountAndWaitForTheHost) {
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT"));
    PostHostMessage("Failed by user -    Failure Reason: Bad LEDs\n", 3);
    EXPECT_STREQ("Failed by user -    Failure Reason: Bad LEDs ", Record().messageText);
    EXPECT_EQ(3u, Record().messageKind);
    EXPECT_EQ(1u, Record().messageCount);
    EXPECT_EQ(1, Record().messagePending);
    EXPECT_EQ(2000, fakeSleptMilliseconds);

    fakeSleptMilliseconds = 0;
    SetStateCode(9);
    EXPECT_EQ(9, Record().stateCode);
    EXPECT_EQ(3000, fakeSleptMilliseconds);
}

TEST_F(PluginLinkTest, ARunWordOfZeroCutsWaitsShort) {
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT"));
    fakeClearRunWordAfterMs = 300;
    PostHostMessage("x", 3);
    EXPECT_EQ(300, fakeSleptMilliseconds);
    EXPECT_FALSE(IsRunRequested());
    fakeSleptMilliseconds = 0;
    WaitForHost(2000);
    EXPECT_EQ(100, fakeSleptMilliseconds) << "at least one sleep";
}

TEST_F(PluginLinkTest, OperationsAddUp) {
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT"));
    AddOperations(1);
    AddOperations(1);
    AddOperations(1);
    EXPECT_EQ(3, Record().operationsCount);
    EXPECT_TRUE(IsRunRequested());
}

} // namespace
