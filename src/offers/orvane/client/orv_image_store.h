// The offer network's picture files: "orvane/<id>.png" in the application's Documents folder, named by
// an id the server sent. Ids that could leave that folder are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace zelvan::orvane {

// The path of the picture `id` (its "orvane" folder made when missing), or nullopt (logged) for an id
// that is empty or holds "/", "\\" or "..", or that the folder does not contain.
std::optional<std::string> imagePathForID(std::string_view id);
// Writes `data` whole (atomically) to the picture's path; false when the id is refused or the write fails.
bool saveImageData(const fnd::Bytes& data, std::string_view id);

} // namespace zelvan::orvane
