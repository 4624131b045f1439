#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/temp_path.h"

#include "app/app_state.h"
#include "app/trace.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        path = TempPath("trace_test.txt");
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }
    std::string path;
};

TEST_F(TraceTest, KeyCodesRunUntilEnterAndLinesFollowTheLastComma) {
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    TraceKeyCode(65);
    TraceKeyCode(66);
    TraceKeyCode(13);
    TraceKeyCode(67);
    TraceLine("Clear all start");
    EXPECT_EQ("Created debug file\n65,66,\n67,Clear all start\n", ReadAll(path));
}

TEST_F(TraceTest, NothingIsWrittenWithoutTheOption) {
    TraceLine("Show window");
    TraceKeyCode(65);
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(TraceTest, ReopeningAppendsBelowTheEarlierRun) {
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    TraceLine("WM_DESTROY");
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    EXPECT_EQ("Created debug file\nWM_DESTROY\nCreated debug file\n", ReadAll(path));
}

TEST_F(TraceTest, AFolderThatDoesNotExistLeavesTheTraceOff) {
    std::string bad = ::testing::TempDir() + "no/such/folder/trace.txt";
    EXPECT_EQ(0, OpenTrace(bad.c_str()));
    EXPECT_FALSE(appState.traceEnabled);
}

TEST_F(TraceTest, AnEntryLostToADeletedFileIsRecreatedByTheNext) {
    ASSERT_EQ(1, OpenTrace(path.c_str()));
    std::remove(path.c_str());
    TraceLine("InitDialog start");
    EXPECT_EQ("InitDialog start\n", ReadAll(path));
}

} // namespace
