#pragma once

#include "foundation/string.h"
#include "online/transport.h"

class TNWebAnswer;

// The main window's simple GET: the user's proxy settings, the answer text
// ("OK" for an empty answer, empty after a failure) and, when fillList is
// set and answer is given, a copy of the parsed items. Runs on the calling
// thread; the window adds the wait cursor around it.
TNString HttpSend(const char* url, TNWebAnswer* answer, bool fillList, const TNCancelCheck& cancel = {});
