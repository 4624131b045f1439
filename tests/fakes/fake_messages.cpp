#include "tests/fakes/fake_messages.h"

std::vector<ShownMessage> shownMessages;

int ShowMessage(WindowHandle owner, const char* text, const char* caption, MessageIcon icon) {
    shownMessages.push_back({owner, text, caption, icon});
    return 1;
}
