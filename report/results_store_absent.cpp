// The results store of a build without the database libraries (the Windows build): the
// store lives on the server or desktop where the logs land, in the native build.
#include "report/results_store.h"

int OpenResultsStore(const char*, int, ResultsStore** store, char* error, size_t errorSize) {
    *store = nullptr;
    std::snprintf(error, errorSize,
                  "--store is not in this build; use clavoro-report of the native build");
    return 1;
}

void CloseResultsStore(ResultsStore*) {}

int ImportLog(ResultsStore*, const char*, FILE*, char*, size_t) {
    return -1;
}

int ForgetLog(ResultsStore*, const char*, long*, char*, size_t) {
    return -1;
}

int ReplayStore(ResultsStore*, const LogEvents&, const char*, bool, char*, size_t) {
    return 0;
}
