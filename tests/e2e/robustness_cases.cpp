// Input a technician's bench can produce by accident: over-long arguments, crowded
// folders, broken pictures and settings. The program must keep running.
#include <cstdio>

#include "tests/e2e/clavoro_cases.h"

// Values far beyond the program's buffers are cut or refused, never overrun: the
// window comes up with the first layout, and a trace message, if any, is the usual one.
E2E_CASE(over_long_arguments) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    const std::string longName(3000, 'K');
    const std::string longPath(3000, 'L');
    const std::string marker = "ARD_PLUGIN_INT" + std::string(5000, 'M');
    const std::string rows[] = {
        "/k " + longName,
        "/l " + longPath,
        "/k " + longName + " /l " + longPath + " " + marker,
    };
    for (const std::string& arguments : rows) {
        Note("arguments of %u characters", static_cast<unsigned>(arguments.size()));
        Program p;
        REQUIRE(StartProgram(p, arguments.c_str()));
        HWND box = nullptr;
        WaitUntil([&] {
            box = FindTopWindow(p, "#32770", nullptr);
            return box != nullptr || FindTopWindow(p, mainWindowClass, nullptr) != nullptr;
        });
        if (box != nullptr) {
            CHECK_EQ(WindowText(box), std::string("Clavoro Error"));
            const std::string text = MessageText(box);
            CHECK_EQ(text.substr(0, 24), std::string("Could not open log file "));
            CHECK(text.size() < 300);
            PressButton(box, IDOK);
        }
        REQUIRE(WaitMainWindow(p));
        CHECK_EQ(SelectedLayout(p.main), std::string("Small"));
        CHECK(CloseProgram(p));
    }
}

// More layout files than the catalogue holds: one "Alert", then the first hundred in
// listing order.
E2E_CASE(hundreds_of_layout_files) {
    REQUIRE(PrepareProgramFolder());
    for (int i = 0; i < 130; ++i) {
        char name[32];
        snprintf(name, sizeof name, "Keyboard%03d", i);
        REQUIRE(WriteTextFile((std::string(name) + ".kbl").c_str(), kSmallLayout));
        REQUIRE(WriteBitmap((std::string(name) + ".bmp").c_str(), RGB(255, 255, 255), 16, 16));
    }
    const std::vector<std::string> listed = ListedLayouts();
    REQUIRE_EQ(listed.size(), 130u);
    Program p;
    REQUIRE(StartProgram(p, ""));
    CHECK(ExpectMessage(p, "Alert",
                        "More than 100 valid .kbl files have been found.\nOnly the first one "
                        "hundred will be taken."));
    REQUIRE(WaitMainWindow(p));
    CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr);
    REQUIRE_EQ(LayoutCount(p.main), 100);
    for (int i = 0; i < 100; ++i) {
        if (!CHECK_EQ(LayoutEntry(p.main, i), listed[i])) {
            break;
        }
    }
    CHECK(CloseProgram(p));
}

// Broken settings files are ignored and replaced by a good one at the end; a settings
// file that cannot be written is silently given up.
E2E_CASE(broken_settings) {
    REQUIRE(PrepareProgramFolder());
    REQUIRE(WriteLayout("Small"));
    std::string noise;
    unsigned seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise += static_cast<char>(seed >> 24);
    }
    const std::string rows[] = {
        noise,
        std::string(10000, '['),
        "[POSITION]\r\n" + std::string(5000, '9') + ",5,5,5\r\n",
        "[POSITION]\r\n-2147483648,-2147483648,-2147483648,-2147483648\r\n",
        "[POSITION]\r\n10,10,2147483647,2147483647\r\n",
        std::string("[POSITION]\0\r\n10,10,640,480\r\n", 27),
    };
    for (const std::string& file : rows) {
        Note("settings file of %u bytes", static_cast<unsigned>(file.size()));
        REQUIRE(WriteTextFile(SettingsFilePath().c_str(), file));
        Program p;
        REQUIRE(StartProgram(p, ""));
        REQUIRE(WaitMainWindow(p));
        CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr);
        CHECK(CloseProgram(p));
        std::string text;
        CHECK(ReadWholeFile(SettingsFilePath(), &text));
        CHECK_EQ(text.substr(0, 12), std::string("[POSITION]\r\n"));
    }
    // A folder where the file should be: nothing can be written, nothing is said.
    DeleteFileA(SettingsFilePath().c_str());
    REQUIRE(CreateDirectoryA(SettingsFilePath().c_str(), nullptr));
    Program p;
    REQUIRE(StartProgram(p, ""));
    REQUIRE(WaitMainWindow(p));
    CHECK(FindTopWindow(p, "#32770", nullptr) == nullptr);
    CHECK(CloseProgram(p));
    CHECK(GetFileAttributesA(SettingsFilePath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA(SettingsFilePath().c_str());
}
