#include "families/leaning/leaning_sketch.h"

#include <cmath>

#include "app/format.h"
#include "app/units.h"
#include "sketch/sketch_kit.h"

namespace ktv {
namespace {

// Everything the drawing steps need, computed before anything is cleared, so that an invalid
// input leaves the previous sketch on screen.
struct LeaningLayout {
  // as entered (mm), for the symbols
  float h_mm, t1_mm, t2_mm, l1_mm, b_mm, d1_mm;
  float m2;      // clearance above the crest, length of the backfill surface
  float x0, y0;  // underside of the toe
  SketchPoint p[7];
  SketchPoint q;  // the backfill surface meets the back face
  float beta;     // radians
  SlopeFrame slope;
  float ground_left, ground_right, ground_y;
  float x_h, x_d1;  // columns of the height and slab guides
  float y_dim;      // dimension level above the crest (L1, T1, T2)
  float y_b;        // dimension level below the base (B)
  float x_h1;       // column of the H1 guide
};

constexpr float kGroundBand = 20;  // height of the ground band

LeaningLayout ComputeLayout(const SketchInputs& in, float size_value, float scale_offset) {
  LeaningLayout g{};
  g.h_mm = ReadSketchNumber(in.h[0]);
  const float h1_mm = ReadSketchNumber(in.h[1]);
  g.t1_mm = ReadSketchNumber(in.t[0]);
  g.t2_mm = ReadSketchNumber(in.t[1]);
  g.l1_mm = ReadSketchNumber(in.l[0]);
  g.b_mm = ReadSketchNumber(in.b);
  g.d1_mm = ReadSketchNumber(in.d[1]);
  const float beta_deg = ReadSketchNumber(in.beta);
  ReadUnusedBoxes({&in.w0});
  if (in.shear_key) ReadUnusedBoxes({&in.fk_t5, &in.fk_d5, &in.fk_l5});

  const double front_mm = static_cast<double>(g.l1_mm) + g.t1_mm + g.t2_mm;  // toe to crest back
  const float hm = MetresOf(g.h_mm);
  const float wm = MetresOf(front_mm);
  const float s =
      SketchScale(size_value, kLeaningSketchScaleConstant, scale_offset, hm > wm ? hm : wm);
  // The back face runs from the slab (D1) up to the crest (H); without height it has no slope.
  if (g.h_mm == g.d1_mm) throw SketchError("the back face has no height");

  const float h = ScaledLength(g.h_mm, s);
  const float h1 = h1_mm == 0 ? h : ScaledLength(h1_mm, s);
  const float t1 = ScaledLength(g.t1_mm, s);
  const float t2 = ScaledLength(g.t2_mm, s);
  const float l1 = ScaledLength(g.l1_mm, s);
  const float b = ScaledLength(g.b_mm, s);
  const float d1 = ScaledLength(g.d1_mm, s);
  const float m1 = Coordinate(2.5 * s);
  g.m2 = Coordinate(2.2 * s);

  const float w = Coordinate(static_cast<double>(t1) + m1 + t2 + g.m2);
  const float v = Coordinate(g.m2 + (g.m2 / 2.0 + h));
  g.x0 = Coordinate(w - (static_cast<double>(l1) + t1 + t2) - g.m2 - w / 2.0);
  g.y0 = Coordinate(m1 / 2.0 - (v / 2.0 + 50));
  const float x0 = g.x0, y0 = g.y0;
  const float slab_top = Coordinate(static_cast<double>(y0) + d1);
  const float crest = Coordinate(static_cast<double>(y0) + h);
  g.p[0] = {x0, y0};
  g.p[1] = {x0, slab_top};
  g.p[2] = {Coordinate(static_cast<double>(x0) + l1), slab_top};
  g.p[3] = {Coordinate(static_cast<double>(x0) + l1 + t1), crest};
  g.p[4] = {Coordinate(static_cast<double>(x0) + l1 + t1 + t2), crest};
  g.p[5] = {Coordinate(static_cast<double>(x0) + b), slab_top};
  g.p[6] = {Coordinate(static_cast<double>(x0) + b), y0};

  // Q on the back face P5-P4 at the height H1; the slope of the face is taken from the entered
  // values so that a zero scale still gives a (degenerate) point.
  const double back_slope = (front_mm - g.b_mm) / (static_cast<double>(g.h_mm) - g.d1_mm);
  g.q = {Coordinate(g.p[4].x - (static_cast<double>(h) - h1) * back_slope),
         Coordinate(static_cast<double>(y0) + h1)};

  g.beta = DegToRad(beta_deg);
  g.slope = SlopeOf(g.beta);

  g.ground_left = Coordinate(100 - w / 2.0);
  g.ground_right = Coordinate(x0 + 0.8 * b);
  g.ground_y = Coordinate(y0 + (d1 + 0.1 * (static_cast<double>(h) - d1)));

  g.x_d1 = Coordinate(x0 - 40.0);
  g.x_h = Coordinate(g.x_d1 - 110.0);
  g.y_dim = Coordinate(static_cast<double>(crest) + g.m2);
  g.y_b = Coordinate(y0 - 100.0);
  g.x_h1 = Coordinate(static_cast<double>(g.p[4].x) + g.m2 + 50);
  return g;
}

double Mid(float a, float b) { return (static_cast<double>(a) + b) / 2; }

void Draw(SketchCanvas& vd, const LeaningLayout& g) {
  const SketchPoint* p = g.p;
  const SketchPoint q = g.q;
  const float x0 = g.x0, y0 = g.y0;

  // Guide lines: crest dimensions above, height and slab on the left, base width below, H1 on
  // the back side.
  vd.SetPenColor(kSketchGrey);
  vd.SetPenWidth(0);
  vd.SetPenStyle(SketchPenStyle::Solid);
  for (int i = 1; i <= 4; ++i) vd.DrawLine(p[i].x, p[i].y, p[i].x, g.y_dim);
  vd.DrawLine(p[1].x, g.y_dim, p[4].x, g.y_dim);
  vd.DrawLine(g.x_h, y0, g.x_h, p[3].y);
  vd.DrawLine(g.x_h, p[3].y, p[3].x, p[3].y);
  vd.DrawLine(g.x_h, y0, x0, y0);
  vd.DrawLine(g.x_d1, y0, g.x_d1, p[1].y);
  vd.DrawLine(g.x_d1, p[1].y, x0, p[1].y);
  vd.DrawLine(x0, y0, x0, g.y_b);
  vd.DrawLine(p[6].x, y0, p[6].x, g.y_b);
  vd.DrawLine(x0, g.y_b, p[6].x, g.y_b);
  vd.DrawLine(p[6].x, y0, g.x_h1, y0);
  vd.DrawLine(g.x_h1, y0, g.x_h1, q.y);
  vd.DrawLine(Coordinate(static_cast<double>(q.x) + g.m2), q.y, g.x_h1, q.y);

  // Ground in front of the wall, partly covered by the section drawn next.
  vd.SetFillColor(kSketchCyan);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchCyan);
  const float ground_low = Coordinate(g.ground_y - static_cast<double>(kGroundBand));
  vd.DrawPolygon({{g.ground_left, g.ground_y},
                  {g.ground_right, g.ground_y},
                  {g.ground_right, ground_low},
                  {g.ground_left, ground_low}});
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(10);
  vd.DrawLine(g.ground_left, g.ground_y, g.ground_right, g.ground_y);

  // Concrete: base slab and body.
  vd.SetFillColor(kSketchWindowFace);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlack);
  vd.SetPenWidth(0);
  vd.SetPenStyle(SketchPenStyle::Solid);
  vd.DrawPolygon({p[0], p[1], p[2], p[3], p[4], p[5], p[6]});

  // Slope angle, its horizontal reference and the backfill surface.
  vd.SetFillStyle(FillStyle::Transparent);
  if (g.beta != 0) vd.DrawArc(q.x, q.y, Coordinate(g.m2 / 3.0), 0, g.beta);
  vd.SetPenStyle(SketchPenStyle::Dot);
  vd.DrawLine(q.x, q.y, Coordinate(static_cast<double>(q.x) + g.m2), q.y);
  vd.SetPenStyle(SketchPenStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(10);
  const SketchPoint surface_end = Along(q, g.m2, g.slope.u);
  vd.DrawLine(q.x, q.y, surface_end.x, surface_end.y);

  // Surcharge q1 along the surface and the crest load W0.
  vd.SetFillColor(kSketchGreen);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(0);
  vd.DrawPolygon(SurchargeBand(q, g.m2, g.slope));
  vd.DrawRectangle(p[3].x, Coordinate(p[3].y + static_cast<double>(kBandNear)), p[4].x,
                   Coordinate(p[3].y + static_cast<double>(kBandFar)));

  UseSymbolFont(vd);
  const double above = g.y_dim + 100.0;
  if (g.l1_mm != 0) Symbol(vd, "L1", Mid(p[1].x, p[2].x) - 25, above);
  if (g.t1_mm != 0) Symbol(vd, "T1", Mid(p[2].x, p[3].x) - 25, above);
  if (g.t2_mm != 0) Symbol(vd, "T2", Mid(p[3].x, p[4].x) - 25, above);
  if (g.h_mm != 0) Symbol(vd, "H0", g.x_h - 90.0, Mid(y0, p[3].y) + 33);
  if (g.d1_mm != 0) Symbol(vd, "D1", g.x_d1 - 85.0, Mid(y0, p[1].y) + 33);
  if (g.b_mm != 0) Symbol(vd, "B", Mid(x0, p[6].x) - 12, g.y_b - 10.0);
  const double r = g.m2 / 3.0;
  const double half_beta = g.beta / 2.0;
  Symbol(vd, "β", q.x + r * std::cos(half_beta) + 40, q.y + r * std::sin(half_beta) + 40);
  const SketchPoint& u = g.slope.u;
  Symbol(vd, "q1", q.x + 0.5 * g.m2 * u.x - 165.0 * u.y, q.y + 0.5 * g.m2 * u.y + 165.0 * u.x);
  Symbol(vd, "W0", p[3].x - 90.0, p[3].y + 105.0);
  Symbol(vd, "H1", g.x_h1 + 15.0, Mid(y0, q.y) + 33);
}

}  // namespace

void DrawLeaningSketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                       MessageSink& sink) {
  RunSketch(
      vd, sink, [&] { return ComputeLayout(inputs, vd.SizeValue(), scale_offset); }, Draw);
}

}  // namespace ktv
