// MNLog: the interstitial client's log front, a Debug line of the one log (so off unless debug logging is
// asked for). Texts from scripts or servers enter a line only through fnd::logPreview. The log list of
// the original client is never kept: init, dealloc and clear do nothing and the contents are none.
#pragma once

#include <optional>

#include "platform/foundation/log.h"
#include "platform/foundation/value.h"

#define MNLog(fmt, ...) ZLOG(Debug, fmt __VA_OPT__(, ) __VA_ARGS__)

namespace zelvan::marlin {

void MNLogInit();
void MNLogDealloc();
void MNLogClear();
// No log list is ever made, so there is none.
std::optional<fnd::Value> MNLogContents();

} // namespace zelvan::marlin
