#pragma once
// Section sketch of the cantilever wall (逆T形・L形・逆L形擁壁).
#include "app/messages.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv {

// Family constant c of the scale rule s = (A - c + Z) / M.
inline constexpr float kCantileverSketchScaleConstant = 750;

// Draws the cantilever wall section (stem, toe, heel and shear key; an L wall has no toe, an
// inverted-L wall no heel) from the wall page's texts onto `vd`, with the zoom offset Z of the
// cantilever family. Any failure shows kSketchErrorMessage and leaves what was drawn so far.
void DrawCantileverSketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                          MessageSink& sink);

}  // namespace ktv
