// The built-in 5 x 7 pixel font of the drawing surface (internal).
#pragma once

namespace qe::picture {

constexpr int kFontGlyphWidth = 5;
constexpr int kFontGlyphHeight = 7;

// Seven rows of five characters, '#' for ink. Lower-case letters give their
// upper-case glyph; characters without a glyph give a hollow box.
const char* const* GlyphRows(wchar_t c);

}  // namespace qe::picture
