// Small pictograms the icon, avatar and screen recipes share: people, speech bubbles, a house, a
// phone handset, a camera, an envelope, a pencil, a tick, a cross and a landscape picture.
#pragma once

#include "tools/artgen/painter.h"

namespace zelvan::artgen {

// A head and shoulders fitted in `r` (the shoulders fill the bottom).
void glyphPerson(Painter& p, gfx::Rect r, const gfx::Color& c);
// A rounded speech bubble in `r` with its tail at the lower left.
void glyphBubble(Painter& p, gfx::Rect r, const gfx::Color& c);
void glyphHouse(Painter& p, gfx::Rect r, const gfx::Color& c);
// A handset lying diagonally in `r`; `hungUp` lays it flat.
void glyphPhone(Painter& p, gfx::Rect r, const gfx::Color& c, bool hungUp);
void glyphCamera(Painter& p, gfx::Rect r, const gfx::Color& body, const gfx::Color& lens);
void glyphEnvelope(Painter& p, gfx::Rect r, const gfx::Color& body, const gfx::Color& lines);
void glyphPencil(Painter& p, gfx::Rect r, const gfx::Color& c);
void glyphTick(Painter& p, gfx::Rect r, double lineWidth, const gfx::Color& c);
void glyphCross(Painter& p, gfx::Rect r, double lineWidth, const gfx::Color& c);
// A framed landscape: sky, sun, hills.
void glyphPicture(Painter& p, gfx::Rect r);

} // namespace zelvan::artgen
