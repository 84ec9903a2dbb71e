// Where the font file of each face lives: found through fontconfig, with the Debian path of
// fonts-dejavu-core as the fallback.
#pragma once

#include <string>

#include "platform/graphics/font.h"

namespace gfx {

// The path of the DejaVu Sans file for the face (looked up once per process).
const std::string& fontFilePath(FontFace face);

} // namespace gfx
