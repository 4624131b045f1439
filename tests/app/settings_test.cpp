#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/temp_path.h"

#include "app/app_state.h"
#include "app/settings.h"

namespace {

struct ScanCase {
    const char* line;
    int assigned;
    WindowPlacement expected;
};

TEST(SettingsTest, SecondLineIsScannedLikeFourCommaSeparatedNumbers) {
    const ScanCase cases[] = {
        {"100,80,675,463\n", 4, {100, 80, 675, 463}},
        {"10,20\n", 2, {10, 20, 675, 463}},
        {"-50,-8,800,600", 4, {-50, -8, 800, 600}},
        {"  10, 20,\t30, 40\n", 4, {10, 20, 30, 40}},
        {"+5,6,7,8", 4, {5, 6, 7, 8}},
        {"10 ,20,30,40\n", 1, {10, 0, 675, 463}},
        {"10,,20,30", 1, {10, 0, 675, 463}},
        {"1,2,3,4,5", 4, {1, 2, 3, 4}},
        {"7x,8", 1, {7, 0, 675, 463}},
        {"3,-,4", 1, {3, 0, 675, 463}},
        {"99999999999,-99999999999,1,2", 4, {INT_MAX, INT_MIN, 1, 2}},
        {"left,top", 0, {0, 0, 675, 463}},
        {"-", 0, {0, 0, 675, 463}},
        {"\n", -1, {0, 0, 675, 463}},
        {"   \t \n", -1, {0, 0, 675, 463}},
        {"", -1, {0, 0, 675, 463}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.line);
        WindowPlacement p = kDefaultPlacement;
        EXPECT_EQ(c.assigned, ScanPlacementLine(c.line, &p));
        EXPECT_EQ(c.expected.x, p.x);
        EXPECT_EQ(c.expected.y, p.y);
        EXPECT_EQ(c.expected.width, p.width);
        EXPECT_EQ(c.expected.height, p.height);
    }
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = TempPath("settings_test.ini");
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }
    void Write(const std::string& content) {
        std::ofstream out(path, std::ios::binary);
        out << content;
    }
    std::string Content() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string path;
};

struct FileCase {
    const char* content;
    int usable;
    WindowPlacement expected;
};

TEST_F(SettingsFileTest, ReadsThePlacementOnlyBehindTheMarker) {
    const WindowPlacement untouched = {-1, -1, -1, -1};
    const FileCase cases[] = {
        {"[POSITION]\n100,80,675,463\n", 1, {100, 80, 675, 463}},
        {"[position]\n10,20\n", 1, {10, 20, 675, 463}},
        {"; saved [Position] here\n1,2,3,4", 1, {1, 2, 3, 4}},
        {"[POSITION]\n\n", 1, {0, 0, 675, 463}},
        {"[POSITION]\n10 ,20,30,40\n", 1, {10, 0, 675, 463}},
        {"[POSITION]\nabc\n", 0, untouched},
        {"[POSITION]\n", 0, untouched},
        {"[POSITION]", 0, untouched},
        {"POSITION\n1,2,3,4\n", 0, untouched},
        {"\n[POSITION]\n1,2,3,4\n", 0, untouched},
        {"", 0, untouched},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.content);
        Write(c.content);
        WindowPlacement p = untouched;
        EXPECT_EQ(c.usable, ReadPlacementFile(path.c_str(), &p));
        EXPECT_EQ(c.expected.x, p.x);
        EXPECT_EQ(c.expected.y, p.y);
        EXPECT_EQ(c.expected.width, p.width);
        EXPECT_EQ(c.expected.height, p.height);
    }
}

TEST_F(SettingsFileTest, MissingFileIsNotUsable) {
    WindowPlacement p = kDefaultPlacement;
    EXPECT_EQ(0, ReadPlacementFile(path.c_str(), &p));
}

TEST_F(SettingsFileTest, SavedPlacementIsReadBackAndNoPlacementEmptiesTheFile) {
    const WindowPlacement saved = {-50, 12, 1024, 700};
    ASSERT_EQ(1, WritePlacementFile(path.c_str(), &saved));
    EXPECT_EQ("[POSITION]\n-50,12,1024,700\n", Content());
    WindowPlacement read = kDefaultPlacement;
    ASSERT_EQ(1, ReadPlacementFile(path.c_str(), &read));
    EXPECT_EQ(saved.x, read.x);
    EXPECT_EQ(saved.height, read.height);

    ASSERT_EQ(1, WritePlacementFile(path.c_str(), nullptr)); // maximised at the end
    EXPECT_EQ("", Content());
    EXPECT_EQ(0, ReadPlacementFile(path.c_str(), &read));
}

TEST_F(SettingsFileTest, UnwritableFileIsReportedAsNotWritten) {
    std::string bad = ::testing::TempDir() + "no_such_folder/Clavoro.ini";
    EXPECT_EQ(0, WritePlacementFile(bad.c_str(), &kDefaultPlacement));
}

TEST(SettingsTest, PlacementMustStartInsideTheVirtualScreen) {
    EXPECT_TRUE(PlacementOnScreen({1279, 1023, 675, 463}, 1280, 1024));
    EXPECT_FALSE(PlacementOnScreen({1280, 0, 675, 463}, 1280, 1024));
    EXPECT_FALSE(PlacementOnScreen({0, 1024, 675, 463}, 1280, 1024));
    EXPECT_TRUE(PlacementOnScreen({-50, -5000, 675, 463}, 1280, 1024));
}

TEST(SettingsTest, FileLiesInTheSettingsFolder) {
    ResetAppState();
    std::snprintf(appState.settingsFolder, sizeof appState.settingsFolder, "%s",
                  "C:\\ProgramData\\Orvane\\Clavoro");
    char path[300];
    ASSERT_EQ(1, SettingsFilePath(path, sizeof path));
    EXPECT_STREQ("C:\\ProgramData\\Orvane\\Clavoro\\Clavoro.ini", path);
    char small[20];
    EXPECT_EQ(0, SettingsFilePath(small, sizeof small));
    ResetAppState();
}

} // namespace
