#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "layout/layout_catalogue.h"
#include "tests/fakes/fake_folder_listing.h"
#include "tests/fakes/fake_messages.h"
#include "tests/layout/temp_files.h"

namespace {

WindowHandle const kOwner = reinterpret_cast<WindowHandle>(0x5678);
const char* const kKeyLine = "27,1,\"Esc\",\"false\",\"CVSTATUSUP\",0,10,12,28,24\n";

class CatalogueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        ResetAltShortcuts();
        ResetFakeFolder();
        shownMessages.clear();
        program = folder.path + "/prog";
        std::snprintf(appState.programFolder, sizeof appState.programFolder, "%s", program.c_str());
    }
    void TearDown() override { FreeAllLayouts(); }

    // A listed layout file with these lines, and its picture unless told otherwise.
    void AddLayout(const std::string& name, const std::string& bytes = kKeyLine,
                   bool picture = true) {
        folder.Write("prog\\" + name, bytes);
        fakeFolderEntries.push_back(name);
        if (picture) {
            fakeExistingFiles.insert(program + "\\" + name.substr(0, name.rfind('.')) + ".bmp");
        }
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < catalogue.count; ++i) {
            names.push_back(catalogue.slots[i]->name);
        }
        return names;
    }
    TempFolder folder;
    std::string program;
};

TEST_F(CatalogueTest, MissingPictureIsSkippedWithAWarning) {
    AddLayout("A.kbl");
    AddLayout("B.kbl", kKeyLine, false);
    AddLayout("C.kbl");
    AddLayout("US.Desk.kbl");
    EXPECT_EQ(3, LoadLayoutCatalogue(kOwner));
    EXPECT_EQ(program, fakeListedFolder);
    EXPECT_EQ("*.kbl", fakeListedPattern);
    EXPECT_EQ((std::vector<std::string>{"A", "C", "US.Desk"}), Names());
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ("Cannot find the bitmap file\nB.bmp\ncorresponding to the keyboard layout file\n" +
                  program + "\\B.kbl.\nSkipping file.",
              shownMessages[0].text);
    EXPECT_EQ("Warning", shownMessages[0].caption);
    EXPECT_EQ(kIconWarning, shownMessages[0].icon);
    EXPECT_EQ(kOwner, shownMessages[0].owner);
    EXPECT_EQ(-1, catalogue.slots[0]->table[1].keyCode);
}

TEST_F(CatalogueTest, FilesWithoutDataOrWithErrors) {
    AddLayout("Comments.kbl", "# only a comment\n");
    AddLayout("Bad.kbl", std::string(kKeyLine) + kKeyLine + "27,1\n" + kKeyLine);
    AddLayout("Good.kbl");
    fakeFolderEntries.push_back("Gone.kbl"); // listed, picture there, file unreadable
    fakeExistingFiles.insert(program + "\\Gone.bmp");
    EXPECT_EQ(1, LoadLayoutCatalogue(kOwner));
    EXPECT_EQ((std::vector<std::string>{"Good"}), Names());
    ASSERT_EQ(3u, shownMessages.size());
    EXPECT_EQ("Skipping the file \n" + program + "\\Comments.kbl\nas it contains no data.",
              shownMessages[0].text);
    EXPECT_EQ("Warning", shownMessages[0].caption);
    EXPECT_EQ(kIconWarning, shownMessages[0].icon);
    EXPECT_EQ("Syntax error in line 3 (excluding comment lines) of file\nBad.kbl\nSkipping file.",
              shownMessages[1].text);
    EXPECT_EQ("Skipping the file \n" + program + "\\Gone.kbl\nas it contains no data.",
              shownMessages[2].text);
    for (const ShownMessage& m : shownMessages) {
        EXPECT_EQ(kOwner, m.owner);
    }
}

TEST_F(CatalogueTest, OneHundredLayoutsAtMost) {
    for (int i = 0; i < 105; ++i) {
        AddLayout("L" + std::to_string(i) + ".kbl");
    }
    EXPECT_EQ(100, LoadLayoutCatalogue(kOwner));
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ("More than 100 valid .kbl files have been found.\nOnly the first one hundred will "
              "be taken.",
              shownMessages[0].text);
    EXPECT_EQ("Alert", shownMessages[0].caption);
    EXPECT_EQ(kIconInformation, shownMessages[0].icon);
    EXPECT_EQ(101, fakeVisitedEntries) << "the listing stops at the 101st layout";
    EXPECT_EQ("L0", Names().front());
    EXPECT_EQ("L99", Names().back());

    // A 101st file without its picture gets its own warning and no alert.
    FreeAllLayouts();
    ResetFakeFolder();
    shownMessages.clear();
    for (int i = 0; i < 100; ++i) {
        AddLayout("L" + std::to_string(i) + ".kbl");
    }
    AddLayout("Extra.kbl", kKeyLine, false);
    EXPECT_EQ(100, LoadLayoutCatalogue(kOwner));
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ("Warning", shownMessages[0].caption);
}

TEST_F(CatalogueTest, NoLayoutAtAllAndTheTrace) {
    const std::string trace = folder.Write("trace.txt", "");
    std::snprintf(appState.traceFilePath, sizeof appState.traceFilePath, "%s", trace.c_str());
    appState.traceEnabled = true;
    AddLayout("Empty.kbl", "");
    EXPECT_EQ(0, LoadLayoutCatalogue(kOwner));
    ASSERT_EQ(2u, shownMessages.size());
    EXPECT_EQ("No valid keyboard layout (.kbl) files have been\nfound in the Clavoro "
              "directory.\n\nAt least one .kbl file is required to run Clavoro.",
              shownMessages[1].text);
    EXPECT_EQ("Clavoro - Error", shownMessages[1].caption);
    EXPECT_EQ(kIconWarning, shownMessages[1].icon);
    EXPECT_EQ(kOwner, shownMessages[1].owner);

    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ("Load keyboard layouts - start\nLoad keyboard layouts - done\n", text.str());
}

} // namespace
