// KavloDemographics and KavloFeedback: facts about the user (birth date, education, gender, income,
// location codes ...), a free comment and 0..5 ratings, each checked against its key table, queued under
// its own top key ("9", "x", "z") whether or not usage statistics were allowed, then synced.
#pragma once

#include <string>

#include "platform/foundation/value.h"

namespace zelvan::kavlo {

class KavloDemographics {
public:
    // Stores the accepted entries of `demographics` (caller's key -> value) under "9" and keeps them for
    // later ad requests; every refused entry is logged. Returns the record stored.
    static fnd::Value demographics(const fnd::Value& demographics);
    // The record alone (no storing), for the checks.
    static fnd::Value recordFor(const fnd::Value& demographics);
};

class KavloFeedback {
public:
    static void comment(const std::string& comment);
    // Stores the accepted ratings (caller's key -> text 0..5) under "z". Returns the record stored.
    static fnd::Value ratings(const fnd::Value& ratings);
    static fnd::Value recordFor(const fnd::Value& ratings);
};

} // namespace zelvan::kavlo
