// Writes a large test log the way Clavoro writes one, for timing clavoro-report:
//   make-test-log FILE KEYBOARDS [FIRST-DAY]
// Runs of 1000 keyboards each; about one keyboard in ten fails, with a reason, and half
// of those come back after rework and pass under the same serial number. The runs are
// dated Dec 01 to Dec 28, 2026, or with FIRST-DAY (YYYY-MM-DD) over the fourteen days
// from that day on.
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    int year = 0, month = 0, day = 0;
    if (argc < 3 || argc > 4 ||
        (argc == 4 && std::sscanf(argv[3], "%4d-%2d-%2d", &year, &month, &day) != 3)) {
        std::fputs("usage: make-test-log FILE KEYBOARDS [FIRST-DAY]\n", stderr);
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::fprintf(stderr, "make-test-log: cannot write %s\n", argv[1]);
        return 1;
    }
    static const char* const kReasons[] = {"Bad key", "Bad row", "Bad column", "Bad LEDs",
                                           "Other reason"};
    long keyboards = std::atol(argv[2]);
    for (long k = 0; k < keyboards; ++k) {
        if (k % 1000 == 0) {
            long run = k / 1000;
            char date[32];
            if (argc == 4) {
                std::tm t{};
                t.tm_year = year - 1900;
                t.tm_mon = month - 1;
                t.tm_mday = day + static_cast<int>(run % 14);
                t.tm_hour = 8 + static_cast<int>(run / 14 % 10);
                t.tm_min = static_cast<int>(run % 60);
                t.tm_isdst = -1;
                std::mktime(&t); // the weekday, and a day carried into the next month
                std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &t);
            } else {
                std::snprintf(date, sizeof date, "Sat Dec %02ld 08:%02ld:00 2026", run % 28 + 1,
                              run % 60);
            }
            std::fprintf(out,
                         "======== START OF NEW TEST RUN ========\r\n"
                         "Clavoro V3.2 build 1002,  Windows XP\r\n"
                         "%s\r\n"
                         "Operator identification: OP%03ld\r\n"
                         "Product identification: KB-%ld\r\n"
                         "Batch identification: B%06ld\r\n"
                         "Loaded keyboard layout US104.kbl\r\n",
                         date, run % 7, run % 3, run);
        }
        // A keyboard failed by the test comes back ten keyboards later, reworked.
        std::fprintf(out, "Serial number: KB-LINE3-2026-%07ld\r\nVersion number: REV-A-1.02\r\n",
                     k % 20 == 17 ? k - 10 : k);
        if (k % 20 == 7) {
            std::fprintf(out, "User Selection: FAILED\r\n    Failure Reason: %s\r\n",
                         kReasons[(k / 20) % 5]);
        } else if (k % 20 == 13) {
            std::fprintf(out, "User verification: FAILED\r\n    Failure Reason: %s\r\n",
                         kReasons[(k / 3) % 5]);
        } else {
            std::fputs("User verification: PASSED\r\n", out);
        }
    }
    return std::fclose(out) == 0 ? 0 : 2;
}
