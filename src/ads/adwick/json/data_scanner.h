// DataScanner: the banner client's byte scanner over a data buffer, the shared JSON data scanner.
#pragma once

#include "core/json_data_scanner.h"

namespace zelvan::adwick {

using DataScanner = zelvan::JsonDataScanner;

} // namespace zelvan::adwick
