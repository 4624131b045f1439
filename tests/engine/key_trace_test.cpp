#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/engine/engine_fixture.h"

namespace {

TEST_F(EngineTest, KeyTraceOfOnePressAndRelease) {
    std::string path = testing::TempDir() + "engine_key_trace.log";
    Key(88, 45, "X");
    Compound("XC", 100, Untested, {88});
    Modified("Alt+X", 88, 18);
    Use();
    appState.detailedKeyLog = true;
    ASSERT_EQ(1, OpenTestLog(path.c_str(), true));
    AtMs(10);
    Down(88, 45);
    AtMs(70);
    Up(88, 45);
    CloseTestLog();
    std::ifstream in(path);
    std::stringstream log;
    log << in.rdbuf();
    std::remove(path.c_str());
    EXPECT_EQ("=============================================\n"
              "Key Down: Windows - 88, BIOS - 45\n"
              "Attempting key match of type 1\n"
              "Key matched: X. Current status 0\n"
              "Recorded time key depressed\n"
              "New status 1\n"
              "Attempting to match Modified key Alt+X\n"
              "Completed Key down processing\n"
              "=============================================\n"
              "Key Up: Windows - 88, BIOS - 45\n"
              "Attempting key match of type 1\n"
              "Key matched: X. Current status 1\n"
              "New status 2\n"
              "Attempting to match compound key XC\n"
              "History scancode 88. Compound key scancode 88. Time diff 0 (reqd: 100) \n"
              "Compound key match status 1\n"
              "Completed Key up processing\n",
              log.str());
}

} // namespace
