// BPJSONSerializer: the offer wall's compact JSON writer, the shared JSON serializer.
#pragma once

#include "core/json_serializer.h"

namespace zelvan::brightpoint {

using BPJSONSerializer = zelvan::JsonSerializer;

} // namespace zelvan::brightpoint
