// The About box.
#pragma once
#include "base/handles.h"

void RunAboutBox(WindowHandle owner);
