// BPDataScanner: the offer wall's byte scanner over a data buffer, the shared JSON data scanner.
#pragma once

#include "core/json_data_scanner.h"

namespace zelvan::brightpoint {

using BPDataScanner = zelvan::JsonDataScanner;

} // namespace zelvan::brightpoint
