#pragma once
// Section sketch of the gravity wall (重力式擁壁).
#include "app/messages.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv {

// Family constant c of the scale rule s = (A - c + Z) / M.
inline constexpr float kGravitySketchScaleConstant = 800;

// Draws the gravity wall section from the wall page's texts onto `vd`, with the zoom offset Z of
// the gravity family. A β outside 0 … 360 shows the β message and leaves the previous sketch; any
// other failure shows kSketchErrorMessage and leaves what was drawn so far.
void DrawGravitySketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                       MessageSink& sink);

}  // namespace ktv
