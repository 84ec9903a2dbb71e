// The interstitial client's plain-function entry points (main thread). They reach the client's context
// (marlin_context.h) through the installed application delegate and do nothing without one.
#pragma once

#include <cstdint>
#include <memory>

#include "ads/marlin/marlin_delegate.h"

namespace zelvan::marlin {

class MNController;

std::shared_ptr<MNController> MNInit(int64_t applicationID);
// `server` (UTF-8, may be null) replaces the default ad bridge server.
std::shared_ptr<MNController> MNInitWithCustomServer(int64_t applicationID, const char* server);
// The controller, made on first use when an application id and a server are known; else null.
std::shared_ptr<MNController> MNControllerInstance();
void MNSetDelegate(std::weak_ptr<MarlinDelegate> delegate);
void MNSetRelativeRotation(float degrees);
void MNSetTimeout(int seconds);
// Whether a display of the prefetched ad started.
bool MNDisplayAd();
// Shuts the client down and forgets the controller.
void MNDealloc();

} // namespace zelvan::marlin
