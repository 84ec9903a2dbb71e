// JSONSerializer: the banner client's compact JSON writer, the shared JSON serializer.
#pragma once

#include "core/json_serializer.h"

namespace zelvan::adwick {

using JSONSerializer = zelvan::JsonSerializer;

} // namespace zelvan::adwick
