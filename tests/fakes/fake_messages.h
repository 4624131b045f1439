// Records every ShowMessage call of the code under test.
#pragma once
#include <string>
#include <vector>

#include "app/message_box.h"

struct ShownMessage {
    WindowHandle owner;
    std::string text;
    std::string caption;
    MessageIcon icon;
};
extern std::vector<ShownMessage> shownMessages;
