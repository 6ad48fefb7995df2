#pragma once
// Section sketch of the leaning wall (もたれ式擁壁).
#include "app/messages.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv {

// Family constant c of the scale rule s = (A - c + Z) / M.
inline constexpr float kLeaningSketchScaleConstant = 850;

// Draws the leaning wall section (base slab and the body leaning on the backfill) from the wall
// page's texts onto `vd`, with the zoom offset Z of the leaning family. Any failure shows
// kSketchErrorMessage and leaves what was drawn so far.
void DrawLeaningSketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                       MessageSink& sink);

}  // namespace ktv
