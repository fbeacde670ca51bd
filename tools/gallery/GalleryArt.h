// The gallery's pictures, drawn at start so that the gallery needs no files.
#pragma once

#include "gui/gdi/Bitmap.h"

namespace pellamy::gallery {

// Four 16 x 16 glyphs side by side on magenta: a note, a disc, a folder and
// a speaker.
TBitmap GlyphStrip();
// Two 16 x 16 images side by side, normal and disabled, for bit buttons and
// speed buttons; the top-left pixel is the transparent colour.
TBitmap ButtonGlyph();
// A small landscape of sky, sun and hills for the picture controls.
TBitmap Picture(int width, int height);
// The same landscape at dusk: the hover picture of the mouse-effect image.
TBitmap DuskPicture(int width, int height);

}  // namespace pellamy::gallery
