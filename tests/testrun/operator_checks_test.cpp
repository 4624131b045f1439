#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/app_state.h"
#include "tests/fakes/fake_messages.h"
#include "tests/fakes/fake_plugin_seams.h"
#include "testrun/operator_checks.h"
#include "testrun/plugin_link.h"
#include "testrun/test_log.h"

namespace {

const char* const kNoOperator = "You must enter an Operator identification";
const char* const kNoProduct = "You must enter a Product identification";
const char* const kNoBatch = "You must enter a Batch identification";
const char* const kBadKeystrokes = "You must enter a number of keystrokes between 1 and 100";
const char* const kNullName = "Log Filename invalid: NULL not allowed";
const char* const kNoPath = "Log Filename invalid: No path specified";
const char* const kBadChars = "Log Filename invalid: NULL \\ / : * ? < > | not allowed";
const char* const kCannotOpen = "Unable to open log file. Please enter an alternate Filename";

WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0x1234);

OperatorEntry Entry(const char* op, const char* product, const char* batch, const char* keystrokes,
                    const char* logName, bool append = false) {
    OperatorEntry e = {};
    std::snprintf(e.operatorId, sizeof e.operatorId, "%s", op);
    std::snprintf(e.productId, sizeof e.productId, "%s", product);
    std::snprintf(e.batchId, sizeof e.batchId, "%s", batch);
    std::snprintf(e.keystrokes, sizeof e.keystrokes, "%s", keystrokes);
    std::snprintf(e.logFileName, sizeof e.logFileName, "%s", logName);
    e.append = append;
    return e;
}

std::vector<std::string> ShownTexts() {
    std::vector<std::string> texts;
    for (const ShownMessage& m : shownMessages) {
        texts.push_back(m.text);
    }
    return texts;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::tm Moment(int year, int month, int day, int wday, int h, int m, int s) {
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return t;
}

class BatchRecordsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CloseTestLog();
        ResetAppState();
        std::memset(&testRunInfo, 0, sizeof testRunInfo);
        shownMessages.clear();
        // On this system the backslash is an ordinary character: "<tmp>/dir\run.log"
        // is one file in <tmp>, which is what the checks need to see a folder part.
        logPath = ::testing::TempDir() + "clavoro_" + std::to_string(getpid()) + "\\run.log";
        std::remove(logPath.c_str());
    }
    void TearDown() override {
        CloseTestLog();
        std::remove(logPath.c_str());
    }
    std::string Log() {
        CloseTestLog();
        return ReadFile(logPath);
    }
    std::string logPath;
};

struct CheckCase {
    const char* op;
    const char* product;
    const char* batch;
    const char* keystrokes;
    const char* logName;
    std::vector<std::string> messages;
};

TEST_F(BatchRecordsTest, ContinueShowsFailedChecksInOrder) {
    const char* good = "C:\\logs\\run.log";
    const CheckCase cases[] = {
        {"op", "prod", "b1", "3", good, {}},
        {"", "", "", "", "", {kNoOperator, kNoPath}},
        {"", "", "", "500", good, {kNoOperator}},
        {"op", "", "", "", good, {kNoProduct}},
        {"op", "prod", "", "-5", "run.log", {kNoBatch, kNoPath}},
        {"op", "prod", "b1", "101", good, {kBadKeystrokes}},
        {"op", "prod", "b1", "-5", good, {kBadKeystrokes}},
        {"op", "prod", "b1", "-0", good, {}},
        {"op", "prod", "b1", "", good, {}},
        {"op", "prod", "b1", "0100", good, {}},
        {"op", "prod", "b1", "x9", good, {}},
        {"op", "prod", "b1", "", "", {kNullName}},
        {"op", "prod", "b1", "", "run.log", {kNoPath}},
        {"op", "prod", "b1", "", "C:\\logs\\", {kBadChars}},
        {"op", "prod", "b1", "", "C:\\logs\\a:b.log", {kBadChars}},
        {"op", "prod", "b1", "", "C:\\logs\\a/b.log", {kBadChars}},
        {"op", "prod", "b1", "", "C:/logs/run.log", {kNoPath}},
        {"op", "", "b1", "7", "C:\\logs\\*.log", {kNoProduct, kBadChars}},
    };
    for (const CheckCase& c : cases) {
        shownMessages.clear();
        OperatorEntry e = Entry(c.op, c.product, c.batch, c.keystrokes, c.logName);
        int valid = CheckOperatorEntry(kDialog, e);
        SCOPED_TRACE(std::string(c.op) + "|" + c.product + "|" + c.batch + "|" + c.keystrokes +
                     "|" + c.logName);
        EXPECT_EQ(c.messages, ShownTexts());
        EXPECT_EQ(c.messages.empty() ? 1 : 0, valid);
        for (const ShownMessage& m : shownMessages) {
            EXPECT_EQ(kDialog, m.owner);
            EXPECT_EQ("Clavoro: Error", m.caption);
            EXPECT_EQ(kIconNone, m.icon);
        }
    }
}

TEST_F(BatchRecordsTest, FieldsAreKeptAfterAFailedContinue) {
    CheckOperatorEntry(kDialog, Entry("anna", "", "b9", "-5", "x.log", true));
    EXPECT_STREQ("anna", testRunInfo.operatorId);
    EXPECT_STREQ("b9", testRunInfo.batchId);
    EXPECT_EQ(4294967291u, testRunInfo.keystrokes);
    EXPECT_EQ(0, testRunInfo.overwrite);
    CheckOperatorEntry(kDialog, Entry("anna", "", "b9", "", "x.log", false));
    EXPECT_EQ(1, testRunInfo.overwrite);
}

TEST(KeystrokesText, ParsesLikeASignedDecimal) {
    const struct {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"", 0},   {"0", 0},     {"100", 100}, {"0100", 100}, {"101", 101}, {"-5", 4294967291u},
        {"+7", 7}, {"  12", 12}, {"12ab", 12}, {"ab12", 0},   {"1-2", 1},   {"-", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value, ParseKeystrokes(c.text)) << '"' << c.text << '"';
    }
}

TEST(LogFileName, FilePartChecks) {
    const struct {
        const char* part;
        bool valid;
    } cases[] = {
        {"run.log", true}, {"a b-c_1.txt", true}, {"", false},      {"a\\b", false},
        {"a/b", false},    {"c:x", false},        {"*.log", false}, {"a?.log", false},
        {"<a", false},     {"a>", false},         {"a|b", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.valid, IsValidLogFileName(c.part)) << c.part;
    }
    // Long names are judged by their characters; the opening decides on the length.
    std::string longName(300, 'a');
    EXPECT_TRUE(IsValidLogFileName(longName.c_str()));
    longName[250] = '?';
    EXPECT_FALSE(IsValidLogFileName(longName.c_str()));
}

TEST(LogFileName, DefaultPathBesideTheProgram) {
    char out[400];
    DefaultLogPath("C:\\Program Files\\Clavoro\\Clavoro.exe", out, sizeof out);
    EXPECT_STREQ("C:\\Program Files\\Clavoro\\test.log", out);
    DefaultLogPath("Clavoro.exe", out, sizeof out);
    EXPECT_STREQ("\\test.log", out);

    // A module path longer than its buffer: the result is cut to the field, never overrun.
    std::string deep = "C:\\" + std::string(395, 'd') + "\\Clavoro.exe";
    char small[400];
    std::memset(small, 'X', sizeof small);
    DefaultLogPath(deep.c_str(), small, sizeof small);
    EXPECT_EQ(399u, std::strlen(small));
    EXPECT_EQ(0, std::strncmp(small, deep.c_str(), 399));
}

TEST(LogFileName, ChosenNameGetsTheLogExtension) {
    const struct {
        const char* chosen;
        const char* result;
    } cases[] = {
        {"C:\\logs\\line3", "C:\\logs\\line3.log"},
        {"C:\\logs\\line3.txt", "C:\\logs\\line3.txt"},
        {"C:\\logs.d\\line3", "C:\\logs.d\\line3.log"},
        {"C:\\logs\\", "C:\\logs\\"},
    };
    for (const auto& c : cases) {
        char path[260];
        std::snprintf(path, sizeof path, "%s", c.chosen);
        AddLogExtension(path, sizeof path);
        EXPECT_STREQ(c.result, path);
    }
    // No room left: the name stays as chosen rather than being cut.
    char full[16] = "C:\\a\\bcdefghij";
    AddLogExtension(full, sizeof full);
    EXPECT_STREQ("C:\\a\\bcdefghij", full);
}

TEST(OsName, FromTheVersionRecord) {
    const struct {
        unsigned major, minor, platform;
        const char* name;
    } cases[] = {
        {4, 0, 1, "Windows 95"},   {4, 10, 1, "Windows 98"}, {4, 89, 1, "Windows 98"},
        {4, 90, 1, "Windows ME"},  {3, 51, 2, "NT3"},        {4, 0, 2, "NT4"},
        {5, 0, 2, "Windows 2000"}, {5, 1, 2, "Windows XP"},  {6, 1, 2, "Windows XP"},
        {10, 0, 2, "Windows XP"},  {10, 0, 3, "Unknown"},    {5, 0, 0, "Unknown"},
    };
    for (const auto& c : cases) {
        const char* name = OsNameFromVersion(c.major, c.minor, c.platform);
        EXPECT_STREQ(c.name, name) << c.major << "." << c.minor << " platform " << c.platform;
        EXPECT_LE(std::strlen(name), 12u);
    }
}

TEST(LogDate, TwentyFourCharactersWithTwoDigitDay) {
    char out[32];
    FormatLogDate(Moment(2026, 1, 2, 5, 9, 5, 7), out, sizeof out);
    EXPECT_STREQ("Fri Jan 02 09:05:07 2026", out);

    // Against the C library's own English names over a year of moments.
    std::time_t t = 1767225600; // 2026-01-01
    for (int i = 0; i < 300; ++i, t += 105307) {
        std::tm local = *std::gmtime(&t);
        char expected[64];
        std::strftime(expected, sizeof expected, "%a %b %d %H:%M:%S %Y", &local);
        FormatLogDate(local, out, sizeof out);
        ASSERT_STREQ(expected, out);
        ASSERT_EQ(24u, std::strlen(out));
    }
}

TEST_F(BatchRecordsTest, AcceptedContinueWritesTheRunHeader) {
    OperatorEntry e = Entry("Operator 7", "KB-105", "B2026/11", "1", logPath.c_str());
    ASSERT_EQ(1, AcceptOperatorEntry(kDialog, e, "Windows XP", Moment(2026, 3, 9, 1, 14, 0, 59)));
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ("======== START OF NEW TEST RUN ========\n"
              "Clavoro V3.2 build 1002,  Windows XP\n"
              "Mon Mar 09 14:00:59 2026\n"
              "Operator identification: Operator 7\n"
              "Product identification: KB-105\n"
              "Batch identification: B2026/11\n",
              Log());
}

TEST_F(BatchRecordsTest, AppendKeepsTheEarlierRunOverwriteEmptiesIt) {
    std::tm when = Moment(2026, 3, 9, 1, 14, 0, 59);
    ASSERT_EQ(1,
              AcceptOperatorEntry(kDialog, Entry("a", "p", "b", "", logPath.c_str()), "NT4", when));
    WriteLogRecord("Serial number: 1\n");
    std::string first = Log();
    ASSERT_EQ(1, AcceptOperatorEntry(kDialog, Entry("a", "p", "b", "", logPath.c_str(), true),
                                     "NT4", when));
    std::string both = Log();
    EXPECT_EQ(first + first.substr(0, first.size() - std::strlen("Serial number: 1\n")), both);

    // A failed check in append mode, then overwrite: the file is emptied first.
    EXPECT_EQ(0, AcceptOperatorEntry(kDialog, Entry("", "p", "b", "", logPath.c_str(), true), "NT4",
                                     when));
    EXPECT_EQ(both, ReadFile(logPath)) << "nothing is written before the checks pass";
    ASSERT_EQ(1, AcceptOperatorEntry(kDialog, Entry("a", "p", "b", "", logPath.c_str(), false),
                                     "NT4", when));
    EXPECT_EQ(first.substr(0, first.size() - std::strlen("Serial number: 1\n")), Log());
}

TEST_F(BatchRecordsTest, UnopenableLogKeepsTheDialogOpen) {
    std::string missing =
        ::testing::TempDir() + "no_such_folder_" + std::to_string(getpid()) + "/x\\run.log";
    EXPECT_EQ(0, AcceptOperatorEntry(kDialog, Entry("a", "p", "b", "", missing.c_str()), "NT4",
                                     Moment(2026, 1, 1, 4, 0, 0, 0)));
    EXPECT_EQ(std::vector<std::string>{kCannotOpen}, ShownTexts());
    EXPECT_EQ("Clavoro: Error", shownMessages[0].caption);
    EXPECT_FALSE(IsTestLogOpen());
}

TEST_F(BatchRecordsTest, SerialNeedsBothFields) {
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    EXPECT_EQ(0, AcceptSerial("SN100", ""));
    EXPECT_EQ(0, AcceptSerial("", "V1"));
    EXPECT_EQ(1, AcceptSerial("SN100", "V1"));
    EXPECT_STREQ("SN100", testRunInfo.serialNumber);
    EXPECT_EQ("Serial number: SN100\nVersion number: V1\n", Log());

    // Without a log the dialog accepts the same way and writes nothing.
    EXPECT_EQ(1, AcceptSerial("SN101", "V2"));
    EXPECT_STREQ("V2", testRunInfo.versionNumber);
    EXPECT_EQ("Serial number: SN100\nVersion number: V1\n", ReadFile(logPath));
}

TEST_F(BatchRecordsTest, VerdictRecords) {
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    WriteVerification(true);
    WriteVerification(false);
    const struct {
        bool checked[4];
        FailReason reason;
    } cases[] = {
        {{true, false, false, false}, kBadKey},       {{false, true, false, false}, kBadRow},
        {{false, false, true, false}, kBadColumn},    {{false, false, false, true}, kBadLeds},
        {{false, false, false, false}, kOtherReason}, {{false, true, false, true}, kBadRow},
    };
    for (const auto& c : cases) {
        FailReason reason = FailReasonFromChecks(c.checked);
        EXPECT_EQ(c.reason, reason);
        ReportFailReason(reason);
    }
    EXPECT_EQ("User verification: PASSED\n"
              "User verification: FAILED\n"
              "    Failure Reason: Bad key\n"
              "    Failure Reason: Bad row\n"
              "    Failure Reason: Bad column\n"
              "    Failure Reason: Bad LEDs\n"
              "    Failure Reason: Other reason\n"
              "    Failure Reason: Bad row\n",
              Log());
}

TEST_F(BatchRecordsTest, FailReasonTellsTheHostInPluginMode) {
    std::memset(&pluginLink, 0, sizeof pluginLink);
    std::memset(fakeHostBlock, 0, sizeof fakeHostBlock);
    fakeHostFailure = 0;
    fakeClearRunWordAfterMs = 0;
    ASSERT_EQ(0, ConnectToHost("ARD_PLUGIN_INT_1"));
    const PluginSharedRecord& r = *reinterpret_cast<const PluginSharedRecord*>(fakeHostBlock);

    ReportFailReason(kBadLeds); // batch mode alone: the host hears nothing
    EXPECT_EQ(0u, r.messageCount);

    appState.pluginMode = true;
    ReportFailReason(kBadLeds);
    EXPECT_STREQ("Failed by user -    Failure Reason: Bad LEDs ", r.messageText);
    EXPECT_EQ(3u, r.messageKind);
    EXPECT_EQ(1u, r.messageCount);
    std::memset(&pluginLink, 0, sizeof pluginLink);
}

TEST_F(BatchRecordsTest, LogWritersSkipWhenClosedAndNeverOverrun) {
    WriteLogRecord("lost\n");
    ASSERT_EQ(1, OpenTestLog(logPath.c_str(), true));
    WriteKeyTrace("trace off\n");
    appState.detailedKeyLog = true;
    WriteKeyTrace("trace on %d\n", 1);
    std::string huge(3000, 'k');
    WriteLogRecord("Serial number: %s\n", huge.c_str());
    std::string log = Log();
    ASSERT_EQ(std::string("trace on 1\n"), log.substr(0, 11));
    std::string cut = log.substr(11);
    EXPECT_EQ(static_cast<size_t>(kLogLineLength - 1), cut.size());
    EXPECT_EQ('\n', cut.back());
    EXPECT_EQ(0, cut.compare(0, 15, "Serial number: "));
}

} // namespace
