// The demo game's art, built from the archive and font builders: its palette sprite archive and its
// bitmap font, and the resource keys under which the dev server's game folder holds them (with its
// sound, which zelvan-gameart synthesises).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/foundation/bytes.h"

namespace zelvan::gameart {

// Resource keys of the demo game (paths under the game folder's resources/).
inline constexpr std::string_view kDemoSpritesKey = "demo/sprites.dat";
inline constexpr std::string_view kDemoFontKey = "demo/font.dat";
inline constexpr std::string_view kDemoSoundKey = "demo/chime.wav";

// Sprites of the archive, each 32 x 32 pixels.
inline constexpr int kDemoSpriteSize = 32;
enum DemoSprite : int { kDemoBall = 0, kDemoDiamond = 1, kDemoTile = 2, kDemoSpriteCount = 3 };

// Palette indices of the sprites: 0 transparent, 1 body, 2 highlight, 3 outline. Palette 0 draws the
// body red, palette 1 blue, palette 2 green.
inline constexpr int kDemoPaletteCount = 3;
inline constexpr uint32_t kDemoBodyColors[kDemoPaletteCount] = {0xD02020, 0x2040D0, 0x20A040};

// The sprite archive: 8-bit indices, no offsets, kDemoPaletteCount palettes of 4 colours.
fnd::Bytes demoSpriteArchive();

// The bitmap font: the builders' pixel font (space, digits, capitals) in white, at twice its size
// (8 x 14 cells).
fnd::Bytes demoFont();

} // namespace zelvan::gameart
