#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/temp_path.h"

#include "app/app_state.h"
#include "app/command_line.h"
#include "tests/fakes/fake_messages.h"

static int quitRequests = 0;
void PostQuitRequest() {
    ++quitRequests;
}

namespace {

struct Outcome {
    bool batch, plugin, detailed, filter;
    int quits;
    std::string layout, marker;
};

Outcome Read(std::vector<std::string> args, const char* initialMarker = "") {
    ResetAppState();
    quitRequests = 0;
    shownMessages.clear();
    args.insert(args.begin(), "C:\\Clavoro\\Clavoro.exe");
    std::vector<const char*> argv;
    for (const std::string& a : args) {
        argv.push_back(a.c_str());
    }
    char marker[kPluginMarkerSize];
    std::snprintf(marker, sizeof marker, "%s", initialMarker);
    ReadCommandLine(static_cast<int>(argv.size()), argv.data(), marker);
    return {appState.batchMode,
            appState.pluginMode,
            appState.detailedKeyLog,
            appState.filterSystemKeys,
            quitRequests,
            appState.layoutName,
            marker};
}

struct Case {
    std::vector<std::string> args;
    Outcome expected;
};

TEST(CommandLineTest, OptionsAndTheirValues) {
    const std::string P = "ARD_PLUGIN_INT_4711";
    const Case cases[] = {
        {{}, {false, false, false, false, 0, "", ""}},
        {{"/b"}, {true, false, false, false, 0, "", ""}},
        {{"/batch-anything"}, {true, false, false, false, 0, "", ""}},
        {{"/B"}, {false, false, false, false, 0, "", ""}},
        {{"/f"}, {false, false, false, true, 0, "", ""}},
        {{"/t"}, {true, false, true, false, 0, "", ""}},
        {{"/p", P}, {true, true, false, false, 0, "", P}},
        {{"/p"}, {true, true, false, false, 0, "", ""}},
        {{"/I"}, {false, false, false, false, 1, "", ""}},
        {{"/i"}, {false, false, false, false, 0, "", ""}},
        {{"/I", "/I"}, {false, false, false, false, 2, "", ""}},
        {{"b"}, {false, false, false, false, 0, "", ""}},
        {{"/k", "UK105"}, {false, false, false, false, 0, "UK105", ""}},
        {{"/k"}, {false, false, false, false, 0, "", ""}},
        {{"/b", "/k"}, {true, false, false, false, 0, "", ""}},
        {{"/k", "A", "/k", "B"}, {false, false, false, false, 0, "B", ""}},
        // The value of /k is never read as an option of its own...
        {{"/k", "/b"}, {false, false, false, false, 0, "/b", ""}},
        // ...but the marker test looks at it.
        {{"/k", P}, {false, false, false, false, 0, P, P}},
        {{"x" + P + "y", "/b"}, {true, false, false, false, 0, "", "x" + P + "y"}},
        {{"/p", "ard_plugin_int"}, {true, true, false, false, 0, "", ""}},
        // Four arguments are read; a fifth makes the program ignore them all.
        {{"/k", "UK105", "/b", "/f"}, {true, false, false, true, 0, "UK105", ""}},
        {{"/k", "UK105", "/b", "/f", "/t"}, {false, false, false, false, 0, "", ""}},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) {
            joined += a + " ";
        }
        SCOPED_TRACE(joined);
        Outcome got = Read(c.args);
        EXPECT_EQ(c.expected.batch, got.batch);
        EXPECT_EQ(c.expected.plugin, got.plugin);
        EXPECT_EQ(c.expected.detailed, got.detailed);
        EXPECT_EQ(c.expected.filter, got.filter);
        EXPECT_EQ(c.expected.quits, got.quits);
        EXPECT_EQ(c.expected.layout, got.layout);
        EXPECT_EQ(c.expected.marker, got.marker);
        EXPECT_FALSE(appState.traceEnabled);
        EXPECT_TRUE(shownMessages.empty());
    }
}

TEST(CommandLineTest, OverlongValuesAreCutToTheirBuffers) {
    std::string name(400, 'N');
    std::string marker = "ARD_PLUGIN_INT" + std::string(700, 'm');
    Outcome got = Read({"/k", name, marker});
    EXPECT_EQ(name.substr(0, 259), got.layout);
    EXPECT_EQ(marker.substr(0, 511), got.marker);
}

class TraceOptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = TempPath("command_line_trace.txt");
        std::remove(path.c_str());
    }
    void TearDown() override {
        std::remove(path.c_str());
        ResetAppState();
    }
    std::string Content() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string path;
};

TEST_F(TraceOptionTest, OpensTheFileAndAppendsOnEveryStart) {
    Read({"/l", path});
    EXPECT_TRUE(appState.traceEnabled);
    EXPECT_EQ(path, appState.traceFilePath);
    Read({"/b", "/l", path});
    EXPECT_TRUE(appState.batchMode);
    EXPECT_EQ("Created debug file\nCreated debug file\n", Content());
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(TraceOptionTest, ValueOfLayoutOptionCanItselfBeTheTraceOption) {
    Read({"/k", "/lx", path});
    EXPECT_EQ("/lx", std::string(appState.layoutName));
    EXPECT_TRUE(appState.traceEnabled);
}

TEST_F(TraceOptionTest, LastEntryIsIgnored) {
    Read({"/b", "/l"});
    EXPECT_FALSE(appState.traceEnabled);
    EXPECT_STREQ("", appState.traceFilePath);
    EXPECT_TRUE(shownMessages.empty());
}

TEST_F(TraceOptionTest, UnopenableFileIsReportedOnceAndStartUpGoesOn) {
    std::string bad = ::testing::TempDir() + "no_such_folder/trace.txt";
    Read({"/l", bad, "/b"});
    EXPECT_FALSE(appState.traceEnabled);
    EXPECT_TRUE(appState.batchMode);
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ(nullptr, shownMessages[0].owner);
    EXPECT_EQ("Could not open log file " + bad + ".\n", shownMessages[0].text);
    EXPECT_EQ("Clavoro Error", shownMessages[0].caption);
    EXPECT_EQ(kIconNone, shownMessages[0].icon);
}

} // namespace
