#include "tests/fakes/fake_messages.h"

std::vector<ShownMessage> shownMessages;

int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageIcon icon) {
    shownMessages.push_back({owner, text, caption, icon});
    return 1;
}

std::vector<bool> retryAnswers;
void (*onRetry)() = nullptr;

bool AskRetryOrCancel(const char* text, const char* caption, MessageIcon icon) {
    shownMessages.push_back({nullptr, text, caption, icon});
    if (retryAnswers.empty()) {
        return false;
    }
    const bool retry = retryAnswers.front();
    retryAnswers.erase(retryAnswers.begin());
    if (retry && onRetry != nullptr) {
        onRetry();
    }
    return retry;
}
