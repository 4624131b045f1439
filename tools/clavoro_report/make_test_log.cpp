// Writes a large test log the way Clavoro writes one, for timing clavoro-report:
//   make-test-log FILE KEYBOARDS
// Runs of 1000 keyboards each; about one keyboard in twenty fails, with a reason.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: make-test-log FILE KEYBOARDS\n", stderr);
        return 1;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        return 2;
    }
    static const char* const kReasons[] = {"Bad key", "Bad row", "Bad column", "Bad LEDs",
                                           "Other reason"};
    long keyboards = std::atol(argv[2]);
    for (long k = 0; k < keyboards; ++k) {
        if (k % 1000 == 0) {
            long run = k / 1000;
            std::fprintf(out,
                         "======== START OF NEW TEST RUN ========\r\n"
                         "Clavoro V3.2 build 1002,  Windows XP\r\n"
                         "Sat Dec %02ld 08:%02ld:00 2026\r\n"
                         "Operator identification: OP%03ld\r\n"
                         "Product identification: KB-%ld\r\n"
                         "Batch identification: B%06ld\r\n"
                         "Loaded keyboard layout US104.kbl\r\n",
                         run % 28 + 1, run % 60, run % 7, run % 3, run);
        }
        std::fprintf(out, "Serial number: KB-LINE3-2026-%07ld\r\nVersion number: REV-A-1.02\r\n",
                     k);
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
