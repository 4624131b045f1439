#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/app_state.h"
#include "testrun/operator_checks.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"
#include "tests/fakes/fake_append_file.h"
#include "tests/fakes/fake_messages.h"
#include "tests/fakes/fake_plugin_seams.h"
#include "tests/temp_path.h"

namespace {

const char* const kNoOperator = "You must enter an Operator identification";
const char* const kNoProduct = "You must enter a Product identification";
const char* const kNoBatch = "You must enter a Batch identification";
const char* const kBadKeystrokes = "You must enter a number of keystrokes between 1 and 100";
const char* const kNoName = "Log Filename invalid: NULL not allowed";
const char* const kNoPath = "Log Filename invalid: No path specified";
const char* const kBadChars = "Log Filename invalid: NULL \\ / : * ? < > | not allowed";
const char* const kCannotOpen = "Unable to open log file. Please enter an alternate Filename";
const std::string kControl = " may not hold line breaks or other control characters";
int selectedField = -1; // the edit control the last "Continue" left selected

// Here the backslash is an ordinary character: "<tmp>/clavoro_<pid>_x\run.log" is one
// file, whose name has the folder part that the checks look for.
const std::string kPath = TempPath("x\\run.log");
const std::string kFolder = kPath.substr(0, kPath.rfind('\\') + 1);
const std::string kHeader = "======== START OF NEW TEST RUN ========\r\n"
                            "Clavoro V3.2 build 1002,  Windows XP\r\nMon Mar 09 14:00:59 2026\r\n";

// "Continue" with the fields as the dialog read them, at Mon Mar 09 14:00:59 2026.
int Accept(const std::vector<std::string>& f, bool append = false, const std::string& log = kPath) {
    OperatorEntry e = {};
    std::snprintf(e.operatorId, sizeof e.operatorId, "%s", f[0].c_str());
    std::snprintf(e.productId, sizeof e.productId, "%s", f[1].c_str());
    std::snprintf(e.batchId, sizeof e.batchId, "%s", f[2].c_str());
    std::snprintf(e.keystrokes, sizeof e.keystrokes, "%s", f[3].c_str());
    std::snprintf(e.logFileName, sizeof e.logFileName, "%s", log.c_str());
    e.append = append;
    std::tm t = {};
    t.tm_year = 126, t.tm_mon = 2, t.tm_mday = 9, t.tm_wday = 1, t.tm_hour = 14, t.tm_sec = 59;
    return AcceptOperatorEntry(reinterpret_cast<WindowHandle>(0x1234), e, "Windows XP", t,
                               &selectedField);
}

std::string Log() {
    CloseTestLog();
    return FileText(kPath);
}

class BatchLog : public ::testing::Test {
    void SetUp() override {
        ResetAppState();
        std::memset(&testRunInfo, 0, sizeof testRunInfo);
        std::remove(kPath.c_str());
    }
    void TearDown() override {
        shownMessages.clear();
        retryAnswers.clear();
        onRetry = nullptr;
        fakeDrive = FakeDrive();
        CloseTestLog();
        std::remove(kPath.c_str());
    }
};

// Every failed check in order, each owned by the dialog with the error caption; the
// fields are kept and the log mode set however the checks went.
TEST_F(BatchLog, ContinueShowsFailedChecksInOrder) {
    const std::string longPart = kFolder + std::string(300, 'a'); // every character checked
    const struct {
        std::vector<std::string> fields;
        std::string log;
        std::vector<std::string> messages;
    } rows[] = {
        {{"op", "prod", "b1", "3"}, kPath, {}},
        {{"", "", "", ""}, "", {kNoOperator, kNoPath}},
        {{"", "", "", "500"}, kPath, {kNoOperator}},
        {{"op", "", "", ""}, kPath, {kNoProduct}},
        {{"op", "prod", "", "-5"}, "run.log", {kNoBatch, kNoPath}},
        {{"op", "prod", "b1", "101"}, kPath, {kBadKeystrokes}},
        {{"op", "prod", "b1", "-5"}, kPath, {kBadKeystrokes}},
        {{"op", "prod", "b1", "0100"}, kPath, {}},
        {{"op", "prod", "b1", ""}, "", {kNoName}},
        {{"op", "prod", "b1", ""}, "C:/logs/run.log", {kNoPath}},
        {{"op", "prod", "b1", ""}, kFolder, {kBadChars}},
        {{"op", "prod", "b1", ""}, kFolder + "a:b.log", {kBadChars}},
        {{"op", "", "b1", "7"}, kFolder + "*.log", {kNoProduct, kBadChars}},
        {{"op", "prod", "b1", ""}, longPart, {kCannotOpen}}, // too long for the file system
        {{"op", "prod", "b1", ""}, longPart + "?", {kBadChars}},
        {{"op", "prod\t", "b\n", "500"}, "", {"The Product identification" + kControl, kNoPath}},
    };
    bool append = false;
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        shownMessages.clear();
        append = !append;
        EXPECT_EQ(row.messages.empty() ? 1 : 0, Accept(row.fields, append, row.log));
        EXPECT_EQ(row.messages.empty(), IsTestLogOpen());
        std::vector<std::string> shown;
        for (const ShownMessage& m : shownMessages) {
            shown.push_back(m.text);
            EXPECT_TRUE(m.owner == reinterpret_cast<WindowHandle>(0x1234) &&
                        m.caption == "Clavoro: Error" && m.icon == kIconNone);
        }
        EXPECT_EQ(row.messages, shown);
        EXPECT_EQ(row.fields[2], testRunInfo.batchId);
        EXPECT_EQ(append ? 0 : 1, testRunInfo.overwrite);
        CloseTestLog();
    }
}

// The dialog as it opens: the station's values (keystrokes only a number from 0 to 100),
// else the default log in the data folder (cut to the field) to be overwritten; the
// operator's own identification always empty.
TEST(LogSetup, DialogFilledFromTheStation) {
    ResetAppState();
    const std::string deep = "C:\\" + std::string(395, 'd');
    std::snprintf(appState.dataFolder, sizeof appState.dataFolder, "%s", deep.c_str());
    const std::string byDefault = "|" + (deep + "\\test.log").substr(0, kLogFileNameLength);
    const struct {
        StationSettings station;
        std::string entry;
    } rows[] = {
        {{"/b", "UK105", "\\\\s\\l3", "KB", "Lot 7", "100", "Append"}, "|KB|Lot 7|100|\\\\s\\l3|1"},
        {{"", "", "", "", "", "0", "append"}, "|||0" + byDefault + "|1"},
        {{"", "", "", "", "", "007", "appended"}, "|||007" + byDefault + "|0"},
        {{"", "", "", "", "", "101", "overwrite"}, "|||" + byDefault + "|0"},
        {{"", "", "", "", "", "0100", "appen"}, "|||" + byDefault + "|0"},
        {{"", "", "", "", "", "1a", ""}, "|||" + byDefault + "|0"},
    };
    for (const auto& row : rows) {
        OperatorEntry entry;
        std::memset(&entry, 'x', sizeof entry);
        OperatorDefaults(row.station, &entry);
        EXPECT_EQ(row.entry, std::string(entry.operatorId) + "|" + entry.productId + "|" +
                                 entry.batchId + "|" + entry.keystrokes + "|" + entry.logFileName +
                                 "|" + std::to_string(entry.append));
    }
    ResetAppState();
}

TEST(LogSetup, KeystrokesNamesSystemAndDate) {
    const std::pair<const char*, uint32_t> keystrokes[] = {
        {"", 0},   {"0", 0},     {"100", 100}, {"0100", 100}, {"101", 101}, {"-5", 4294967291u},
        {"+7", 7}, {"  19", 19}, {"12ab", 12}, {"ab12", 0},   {"1-2", 1},   {"-", 0}};
    for (const auto& [text, value] : keystrokes) {
        EXPECT_EQ(value, ParseKeystrokes(text)) << text;
    }
    EXPECT_TRUE(IsValidLogFileName("a b-c_1.txt"));
    EXPECT_FALSE(IsValidLogFileName(""));
    for (const char* c = "\\/:*?<>|"; *c != 0; ++c) {
        EXPECT_FALSE(IsValidLogFileName((std::string("a") + *c + "b").c_str())) << *c;
    }
    // ".log" added to a browsed name that has no extension, when it fits.
    const std::string fits = "C:\\" + std::string(392, 'f'), full = fits + "f";
    const std::pair<std::string, std::string> paths[] = {
        {"C:\\logs\\line3", "C:\\logs\\line3.log"},
        {"C:\\logs\\line3.txt", "C:\\logs\\line3.txt"},
        {"C:\\logs.d\\line3", "C:\\logs.d\\line3.log"},
        {"C:\\logs\\", "C:\\logs\\"},
        {fits, fits + ".log"},
        {full, full},
    };
    for (const auto& [in, out] : paths) {
        char path[kLogFileNameLength + 1];
        std::snprintf(path, sizeof path, "%s", in.c_str());
        AddLogExtension(path, sizeof path);
        EXPECT_EQ(out, path);
    }
    const struct {
        unsigned major, minor, platform;
        const char* name;
    } systems[] = {
        {4, 0, 1, "Windows 95"}, {4, 89, 1, "Windows 98"}, {4, 90, 1, "Windows ME"},
        {3, 51, 2, "NT3"},       {4, 0, 2, "NT4"},         {5, 0, 2, "Windows 2000"},
        {5, 1, 2, "Windows XP"}, {6, 0, 2, "Windows XP"},  {5, 0, 3, "Unknown"},
    };
    for (const auto& s : systems) {
        EXPECT_STREQ(s.name, OsNameFromVersion(s.major, s.minor, s.platform)) << s.name;
    }
    // The date against the C library's English names, over a year of moments.
    char out[32], expected[32];
    for (std::time_t t = 1767225600; t < 1767225600 + 300 * 105307; t += 105307) {
        const std::tm moment = *std::gmtime(&t);
        std::strftime(expected, sizeof expected, "%a %b %d %H:%M:%S %Y", &moment);
        FormatLogDate(moment, out, sizeof out);
        ASSERT_STREQ(expected, out);
    }
}

// The records of three keyboards, byte for byte: a header with identifications as long
// as their fields, a Serial dialog that first lacks a field, a pass, a fail by the
// operator and a fail by the test (whose own record the engine writes). Without a log
// nothing is written.
TEST_F(BatchLog, ThreeKeyboards) {
    const std::string id(kIdentificationLength, 'i');
    ASSERT_EQ(1, Accept({id, "KB-105", "B2026/11", "1"}));
    SerialRefusal r;
    EXPECT_EQ(0, AcceptSerial("SN1", "", &r));
    EXPECT_EQ(0, AcceptSerial("", "V1", &r));
    EXPECT_EQ("Please enter a Serial Number and Version", std::string(r.message));
    EXPECT_EQ(1, AcceptSerial("SN1", "V1", &r));
    WriteVerification(true);
    AcceptSerial("SN2", "V1", &r);
    WriteVerification(false);
    ReportFailReason(kBadRow);
    AcceptSerial(std::string(60, 'i').c_str(), "V2", &r); // cut to its field
    ReportFailReason(kBadKey);
    WriteKeyTrace("only with /t\n");
    // Whatever a caller hands in, a record is one line: the writer's own defence.
    WriteLogRecord("Serial number: %s\n", "SN-9\r\nUser verification: PASSED\t");
    WriteLogRecord("no line end");
    WriteLogRecord("%s", "");
    WriteLogRecord("Serial number: %s\n", std::string(1008, 'k').c_str()); // 1024: cut to 1023
    const std::string log = Log();
    WriteLogRecord("lost\n");
    EXPECT_EQ(kHeader + "Operator identification: " + id +
                  "\r\nProduct identification: KB-105\r\nBatch identification: B2026/11\r\n"
                  "Serial number: SN1\r\nVersion number: V1\r\nUser verification: PASSED\r\n"
                  "Serial number: SN2\r\nVersion number: V1\r\nUser verification: FAILED\r\n"
                  "    Failure Reason: Bad row\r\nSerial number: " +
                  id +
                  "\r\nVersion number: V2\r\n    Failure Reason: Bad key\r\nSerial number: "
                  "SN-9??User verification: PASSED?\r\nno line end\r\n\r\nSerial number: " +
                  std::string(kLogLineLength - 17, 'k') + "\r\n",
              log);
}

// With /t the key-matching records too. Append adds a run; a failed check in append mode
// writes nothing, and overwrite after it starts the file again.
TEST_F(BatchLog, TraceAppendAndOverwrite) {
    const std::string run = kHeader + "Operator identification: a\r\nProduct identification: p\r\n"
                                      "Batch identification: b\r\n";
    appState.detailedKeyLog = true;
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}));
    WriteKeyTrace("trace %d\n", 1);
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}, true));
    EXPECT_EQ(run + "trace 1\r\n" + run, Log());
    EXPECT_EQ(0, Accept({"", "p", "b", ""}, true));
    EXPECT_EQ(run + "trace 1\r\n" + run, Log());
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}));
    EXPECT_EQ(run, Log());
}

// A drive that fills up: the record that does not fit and all after it are kept, in
// order, and written at the next step of the run (the operator asked while that fails);
// a record taken in part is finished, never repeated. At the end a last chance.
TEST_F(BatchLog, RecordsKeptInOrderUntilWritten) {
    appState.detailedKeyLog = true;
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}));
    SerialRefusal r;
    AcceptSerial("SN1", "V1", &r);
    const std::string before = FileText(kPath);
    const int writes = fakeDrive.writes;
    const int flushes = fakeDrive.flushes;
    fakeDrive.roomLeft = 10;
    WriteVerification(false);                // 10 bytes of it reach the file
    WriteKeyTrace("while it waits %d\n", 1); // neither tried nor asked about
    ReportFailReason(kBadRow);
    EXPECT_EQ(writes + 1, fakeDrive.writes);
    EXPECT_TRUE(shownMessages.empty()) << "no message in the middle of a keyboard";
    retryAnswers = {false};
    EXPECT_EQ(0, CommitTestLog());
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_EQ("The test log could not be written:\n" + kPath + "\n" + kDiskFull +
                  "\n\nRecords not written: serial number SN1.\n\nFree space on the drive or "
                  "reconnect it, then choose Retry to write them. Cancel goes on with the test "
                  "and keeps them, to be written before the next record.",
              shownMessages[0].text);
    EXPECT_TRUE(shownMessages[0].caption == "Clavoro: Error" && shownMessages[0].icon == kIconStop);
    EXPECT_EQ(flushes, fakeDrive.flushes);
    // The next keyboard's records wait behind them; Retry asks again until space is freed.
    retryAnswers = {true, true};
    onRetry = [] { fakeDrive.roomLeft = shownMessages.size() == 3 ? SIZE_MAX : 0; };
    EXPECT_EQ(1, AcceptSerial("SN2", "V2", &r));
    EXPECT_EQ(3u, shownMessages.size());
    EXPECT_NE(std::string::npos,
              shownMessages[2].text.find("not written: serial numbers SN1 to SN2."));
    EXPECT_EQ(0u, UnwrittenLogBytes());
    EXPECT_EQ(flushes + 1, fakeDrive.flushes);
    const std::string keyboard2 = "User verification: FAILED\r\nwhile it waits 1\r\n"
                                  "    Failure Reason: Bad row\r\nSerial number: SN2\r\n"
                                  "Version number: V2\r\n";
    EXPECT_EQ(before + keyboard2, FileText(kPath));
    // Still unwritten when the log is closed: asked once more, and put on the disk.
    fakeDrive.roomLeft = 0;
    WriteVerification(true);
    shownMessages.clear();
    retryAnswers = {true};
    onRetry = [] { fakeDrive.roomLeft = SIZE_MAX; };
    CloseTestLog();
    ASSERT_EQ(1u, shownMessages.size());
    EXPECT_NE(std::string::npos,
              shownMessages[0].text.find("Cancel ends the program without them."));
    EXPECT_EQ(before + keyboard2 + "User verification: PASSED\r\n", FileText(kPath));
    EXPECT_EQ(flushes + 2, fakeDrive.flushes);
    EXPECT_FALSE(IsTestLogOpen());
}

// A flush the disk refuses (a share gone) is a failed write: asked about as a full disk is, with
// the records in doubt, at every step until the disk has them, and at the end.
TEST_F(BatchLog, RefusedFlushAskedAboutAsAFullDisk) {
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}));
    SerialRefusal r;
    fakeDrive.flushFails = true;
    AcceptSerial("SN1", "V1", &r);
    EXPECT_EQ(0, CommitTestLog());
    retryAnswers = {true};
    onRetry = [] { fakeDrive.flushFails = false; };
    AcceptSerial("SN2", "V2", &r);
    fakeDrive.flushFails = true;
    WriteVerification(false);
    CloseTestLog();
    ASSERT_EQ(4u, shownMessages.size());
    EXPECT_EQ("The test log could not be put on the disk:\n" + kPath + "\n" + kNetworkNameGone +
                  "\n\nRecords not confirmed: serial number SN1.\n\nReconnect the drive, then "
                  "choose Retry. Cancel goes on with the test; the disk is asked again at the next "
                  "serial number or verdict.",
              shownMessages[0].text);
    EXPECT_NE(std::string::npos,
              shownMessages[2].text.find("confirmed: serial numbers SN1 to SN2"));
    EXPECT_NE(std::string::npos, shownMessages[3].text.find("Cancel ends the program without"));
}

// Kept records have a bounded room; the key-matching records leave some of it to the
// verdicts, and what found none is reported once the rest is written.
TEST_F(BatchLog, KeptRecordsHaveBoundedRoom) {
    appState.detailedKeyLog = true;
    ASSERT_EQ(1, Accept({"a", "p", "b", ""}));
    fakeDrive.roomLeft = 0;
    size_t kept = 0;
    // Records of 100 bytes in the file until one finds no room, then of 2 bytes.
    for (const std::string& record : {std::string(98, 'k') + "\n", std::string("\n")}) {
        do {
            kept = UnwrittenLogBytes();
            WriteKeyTrace("%s", record.c_str());
        } while (UnwrittenLogBytes() > kept);
    }
    EXPECT_TRUE(kept + 64 * 1024 <= kUnwrittenLogSize && kept + 64 * 1024 + 2 > kUnwrittenLogSize);
    std::snprintf(testRunInfo.serialNumber, sizeof testRunInfo.serialNumber, "SN1");
    WriteVerification(true);
    EXPECT_EQ(kept + 27, UnwrittenLogBytes()) << "the verdict is kept";
    retryAnswers = {true};
    onRetry = [] { fakeDrive.roomLeft = SIZE_MAX; };
    EXPECT_EQ(1, CommitTestLog());
    ASSERT_EQ(2u, shownMessages.size());
    EXPECT_NE(std::string::npos,
              shownMessages[0].text.find(
                  "not written: the run header to serial number SN1.\n2 later records found"));
    EXPECT_EQ("2 records found no room while the test log could not be written and are missing "
              "from\n" +
                  kPath,
              shownMessages[1].text);
    const std::string log = Log();
    EXPECT_EQ("User verification: PASSED\r\n", log.substr(log.size() - 27));
}

// A control character in any text that goes into the log is refused with a message that
// names the field, which is left selected, and nothing is written: a line break would
// otherwise write a record of its own (a verdict, a serial number that was never tested).
TEST_F(BatchLog, ControlCharactersInAFieldAreRefused) {
    const char* const names[] = {"Operator identification", "Product identification",
                                 "Batch identification", "Serial number", "Version number"};
    for (int field = 0; field < 5; ++field) {
        for (const char* c : {"\r", "\n", "\r\n", "\t", "\x7f", "\x01"}) {
            SCOPED_TRACE(std::string(names[field]) + " " + std::to_string(c[0]));
            std::vector<std::string> f = {"op 1", "prod", "b1", "", "SN-9", "V1"};
            f[field + (field < 3 ? 0 : 1)] += c + std::string("User verification: PASSED");
            shownMessages.clear();
            SerialRefusal r = {"", 0};
            const int operatorAccepted = Accept(f);
            const std::string log = FileText(kPath);
            if (operatorAccepted) {
                EXPECT_EQ(0, AcceptSerial(f[4].c_str(), f[5].c_str(), &r));
                EXPECT_EQ(log, FileText(kPath));
                shownMessages.push_back({nullptr, r.message, "", kIconNone});
                selectedField = r.field;
            }
            EXPECT_EQ(field >= 3, operatorAccepted == 1);
            ASSERT_EQ(1u, shownMessages.size());
            EXPECT_EQ("The " + std::string(names[field]) + kControl, shownMessages[0].text);
            EXPECT_EQ(1021 + field, selectedField);
            CloseTestLog();
        }
    }
}

TEST_F(BatchLog, FailReasonsAndTheHost) {
    // The radio buttons checked (Bad key, row, column, LEDs, Key chatter) and the reason.
    const std::pair<const char*, const char*> checks[] = {
        {"10000", "Bad key"},  {"01000", "Bad row"},     {"00100", "Bad column"},
        {"00010", "Bad LEDs"}, {"00001", "Key chatter"}, {"00000", "Other reason"},
        {"01010", "Bad row"}};
    for (const auto& [checked, reason] : checks) {
        const bool c[5] = {checked[0] == '1', checked[1] == '1', checked[2] == '1',
                           checked[3] == '1', checked[4] == '1'};
        EXPECT_EQ(std::string("    Failure Reason: ") + reason + "\n",
                  FailReasonRecord(FailReasonFromChecks(c)));
    }
    ResetFakeHost(0);
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_1"));
    const PluginSharedRecord& r = *reinterpret_cast<const PluginSharedRecord*>(fakeHostBlock);
    ReportFailReason(kBadLeds); // batch mode alone: the host hears nothing
    EXPECT_EQ(0u, r.messageCount);
    appState.pluginMode = true;
    ReportFailReason(kBadLeds);
    EXPECT_STREQ("Failed by user -    Failure Reason: Bad LEDs ", r.messageText);
    EXPECT_EQ(3u, r.messageKind);
    EXPECT_EQ(1u, r.messageCount);
}

} // namespace
