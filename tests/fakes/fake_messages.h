// Records every ShowMessage call of the code under test.
#pragma once
#include <string>
#include <vector>

#include "base/message_box.h"

struct ShownMessage {
    WindowHandle owner;
    std::string text;
    std::string caption;
    MessageIcon icon;
};
extern std::vector<ShownMessage> shownMessages;

// AskRetryOrCancel records its message in shownMessages (owner null) and answers from
// retryAnswers, front first; Cancel when none is left. onRetry runs before a Retry is
// answered (the operator freeing space).
extern std::vector<bool> retryAnswers;
extern void (*onRetry)();
