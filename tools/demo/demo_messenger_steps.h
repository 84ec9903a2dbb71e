// The demo user's part in the messenger: from the lists to the friend's answer to the user's line.
#pragma once

#include "tools/demo/demo_session.h"

namespace zelvan::demo {

// Taps the messenger tab and waits for its lists ("01-messenger.png"); waits for the friend's line and
// opens its chat from the list; taps the input field, types the reply on the keyboard and sends it
// with the return key; waits for the friend's answer ("02-chat.png"). False when a step fails.
bool runMessengerSteps(DemoSession& session);

} // namespace zelvan::demo
