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

// "caption|icon|text" of a shown message, for one comparison; every message has the owner.
std::string Shown(const ShownMessage& m) {
    EXPECT_EQ(kOwner, m.owner);
    return m.caption + "|" + std::to_string(m.icon) + "|" + m.text;
}
const std::string kWarning = "Warning|" + std::to_string(kIconWarning) + "|";

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
    EXPECT_EQ(kWarning +
                  "Cannot find the bitmap file\nB.bmp\ncorresponding to the keyboard "
                  "layout file\n" +
                  program + "\\B.kbl.\nSkipping file.",
              Shown(shownMessages[0]));
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
    EXPECT_EQ(kWarning + "Skipping the file \n" + program +
                  "\\Comments.kbl\nas it contains no data.",
              Shown(shownMessages[0]));
    EXPECT_EQ("Clavoro - Error|64|Syntax error in line 3 (excluding comment lines) of file\n"
              "Bad.kbl\nSkipping file.",
              Shown(shownMessages[1]));
    EXPECT_EQ(kWarning + "Skipping the file \n" + program + "\\Gone.kbl\nas it contains no data.",
              Shown(shownMessages[2]));
}

TEST_F(CatalogueTest, OneHundredLayoutsAtMost) {
    // A 101st layout stops the listing with an alert; one without its picture gets only
    // its own warning.
    for (bool extraHasPicture : {true, false}) {
        FreeAllLayouts();
        ResetFakeFolder();
        shownMessages.clear();
        for (int i = 0; i < 100; ++i) {
            AddLayout("L" + std::to_string(i) + ".kbl");
        }
        AddLayout("Extra.kbl", kKeyLine, extraHasPicture);
        EXPECT_EQ(100, LoadLayoutCatalogue(kOwner));
        EXPECT_EQ("L0", Names().front());
        EXPECT_EQ("L99", Names().back());
        ASSERT_EQ(1u, shownMessages.size());
        if (extraHasPicture) {
            EXPECT_EQ("Alert|64|More than 100 valid .kbl files have been found.\nOnly the first "
                      "one hundred will be taken.",
                      Shown(shownMessages[0]));
            EXPECT_EQ(101, fakeVisitedEntries) << "the listing stops at the 101st layout";
        } else {
            EXPECT_EQ(0u, shownMessages[0].text.find("Cannot find the bitmap file\nExtra.bmp"));
        }
    }
}

TEST_F(CatalogueTest, NoLayoutAtAllAndTheTrace) {
    const std::string trace = folder.Write("trace.txt", "");
    std::snprintf(appState.traceFilePath, sizeof appState.traceFilePath, "%s", trace.c_str());
    appState.traceEnabled = true;
    AddLayout("Empty.kbl", "");
    EXPECT_EQ(0, LoadLayoutCatalogue(kOwner));
    ASSERT_EQ(2u, shownMessages.size());
    EXPECT_EQ("Clavoro - Error|48|No valid keyboard layout (.kbl) files have been\nfound in "
              "the Clavoro directory.\n\nAt least one .kbl file is required to run Clavoro.",
              Shown(shownMessages[1]));

    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ("Load keyboard layouts - start\nLoad keyboard layouts - done\n", text.str());
}

} // namespace
