#pragma once
// Sketch kit: what the section sketches of every wall family share (scale rule, checked
// coordinates, symbol font, the draw-or-show-the-message sequence). The palette (kSketchBlack …
// kSketchWindowFace) is in sketch_canvas.h, the inputs, the strict reading of the boxes and the
// error message in sketch_common.h.
//
// Usage, for a family's sketch:
//
//   void DrawFooSketch(SketchCanvas& vd, const SketchInputs& in, float zoom, MessageSink& sink) {
//     RunSketch(vd, sink,
//               [&] {  // may throw: nothing is cleared yet
//                 FooLayout g;
//                 g.s = SketchScale(vd.SizeValue(), kFooScaleConstant, zoom, larger_m);
//                 g.h = ScaledLength(ReadSketchNumber(in.h[0]), g.s);
//                 return g;
//               },
//               [&](SketchCanvas& vd, const FooLayout& g) {
//                 UseSymbolFont(vd);
//                 Symbol(vd, "H", x, y);
//               });
//   }
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/messages.h"
#include "sketch/sketch_canvas.h"
#include "sketch/sketch_common.h"

namespace ktv {

// A family's drawing operation: draws `inputs` on the canvas with the zoom offset Z of the family
// and handles its own errors through the sink. Each family's lives in its folder; the family
// table hands them to the sketch panel.
using SketchDrawer = std::function<void(SketchCanvas& vd, const SketchInputs& inputs,
                                        float scale_offset, MessageSink& sink)>;

// A coordinate or length of the drawing; throws SketchError when it is not a finite float.
float Coordinate(double value);

// The scale rule s = (A − c + Z) / M in drawing units per metre: A the control's size value, c
// the family constant, Z the family's zoom offset, M the larger of the section's height and
// width in metres. Throws SketchError when M is 0.
float SketchScale(float size_value, float family_constant, float zoom_offset, float larger_m);

// A length entered in millimetres, in drawing units at the scale s.
float ScaledLength(float millimetres, float s);

// p + a·d1 + b·d2, checked.
SketchPoint Along(SketchPoint p, double a, SketchPoint d1, double b = 0, SketchPoint d2 = {});

// The directions of a backfill surface rising at β: u along it, n its upward normal.
struct SlopeFrame {
  SketchPoint u;
  SketchPoint n;
};
SlopeFrame SlopeOf(float beta_radians);

// The surcharge band over a backfill surface: from `start` along the surface for `length`, 35 to
// 80 units above it (vertices in drawing order, not closed).
inline constexpr float kBandNear = 35;
inline constexpr float kBandFar = 80;
std::vector<SketchPoint> SurchargeBand(SketchPoint start, float length, const SlopeFrame& slope);

// Reads boxes that feed no length of a sketch: a text that is not a number is still an error.
void ReadUnusedBoxes(std::initializer_list<const std::string*> texts);

// The symbols' font: character set 128 (Shift-JIS), text size 65.
inline constexpr int kSymbolCharset = 128;
inline constexpr float kSymbolTextSize = 65;
void UseSymbolFont(SketchCanvas& vd);
// A symbol (the name of a dimension) at a text position.
void Symbol(SketchCanvas& vd, const char* text, double x, double y);

// The sequence every sketch follows: prepare() computes the layout from the inputs before
// anything is cleared, so that an invalid input leaves the previous sketch; then the drawing
// state is saved, the drawing cleared, draw(vd, layout) run and the state set back. Any failure
// shows the sketch message and leaves what was drawn so far (the state is not restored).
template <typename Prepare, typename Draw>
void RunSketch(SketchCanvas& vd, MessageSink& sink, Prepare prepare, Draw draw) {
  try {
    const auto layout = prepare();
    const SavedDrawState saved = vd.SaveState();
    vd.Clear();
    draw(vd, layout);
    vd.RestoreState(saved);
  } catch (const std::exception&) {
    ReportSketchError(sink);
  }
}

}  // namespace ktv
