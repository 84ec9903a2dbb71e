// MNLog: the interstitial client's log front, a Debug line on its channel (so off unless debug logging is
// asked for, `--log-level marlin=debug`). Texts from scripts or servers enter a line only through
// fnd::logPreview. No log list is kept: init, dealloc and clear do nothing and the contents are none.
#pragma once

#include <optional>

#include "ads/marlin/animation/mn_log_channel.h"
#include "platform/foundation/value.h"

#define MNLog(fmt, ...) ZLOG_TO(::zelvan::marlin::kMarlinLog, Debug, fmt __VA_OPT__(, ) __VA_ARGS__)

namespace zelvan::marlin {

void MNLogInit();
void MNLogDealloc();
void MNLogClear();
// No log list is ever made, so there is none.
std::optional<fnd::Value> MNLogContents();

} // namespace zelvan::marlin
