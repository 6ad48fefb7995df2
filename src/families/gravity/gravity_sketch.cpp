#include "families/gravity/gravity_sketch.h"

#include <cmath>

#include "app/format.h"
#include "app/units.h"
#include "sketch/sketch_kit.h"

namespace ktv {
namespace {

float Scaled(float millimetres, float s) { return ScaledLength(millimetres, s); }

// Everything the drawing steps need, computed before anything is cleared, so that an invalid
// input leaves the previous sketch on screen.
struct GravityLayout {
  float t1_mm, t2_mm, t3_mm, h_mm;
  float k, m;
  float wh;
  SketchPoint p0, p1, p2, p3, q;
  float yd, xh;
  float beta;  // radians
  SlopeFrame slope;
};

GravityLayout ComputeLayout(const SketchInputs& in, float size_value, float scale_offset) {
  GravityLayout g{};
  g.h_mm = ReadSketchNumber(in.h[0]);
  const float h1_mm = ReadSketchNumber(in.h[1]);
  g.t1_mm = ReadSketchNumber(in.t[0]);
  g.t2_mm = ReadSketchNumber(in.t[1]);
  g.t3_mm = ReadSketchNumber(in.t[2]);
  const float beta_deg = ReadSketchNumber(in.beta);
  ReadUnusedBoxes({&in.w0});
  if (in.shear_key) ReadUnusedBoxes({&in.fk_l5, &in.fk_d5, &in.fk_t5});

  const float hm = MetresOf(g.h_mm);
  const float bm = MetresOf(static_cast<double>(g.t1_mm) + g.t2_mm + g.t3_mm);
  const float s =
      SketchScale(size_value, kGravitySketchScaleConstant, scale_offset, hm > bm ? hm : bm);
  if (g.h_mm == 0) throw SketchError("the wall height is 0");

  const float h = Scaled(g.h_mm, s);
  const float h1_entered = h1_mm == 0 ? g.h_mm : h1_mm;
  const float h1 = h1_mm == 0 ? h : Scaled(h1_mm, s);
  const float t1 = Scaled(g.t1_mm, s);
  const float t2 = Scaled(g.t2_mm, s);
  const float t3 = Scaled(g.t3_mm, s);
  g.k = s;
  g.m = Coordinate(0.5 * s);

  const float w = Coordinate(static_cast<double>(t1) + g.m + t2 + g.k);
  const float v = Coordinate(static_cast<double>(g.k) + h);
  g.wh = Coordinate(w / 2.0);
  const float hh = Coordinate(v / 2.0);

  g.p0 = {Coordinate(static_cast<double>(g.m) - g.wh), -hh};
  g.p1 = {Coordinate(static_cast<double>(g.p0.x) + t1),
          Coordinate(static_cast<double>(g.p0.y) + h)};
  g.p2 = {Coordinate(static_cast<double>(g.p1.x) + t2), g.p1.y};
  g.p3 = {Coordinate(static_cast<double>(g.p2.x) + t3), g.p0.y};
  // Q on the back face P2-P3 at the height H1; the ratio is taken from the entered values so
  // that a zero scale still gives a (degenerate) point.
  const double drop = (static_cast<double>(g.h_mm) - h1_entered) / g.h_mm;
  g.q = {Coordinate(g.p2.x + t3 * drop), Coordinate(static_cast<double>(g.p0.y) + h1)};

  g.yd = Coordinate(static_cast<double>(g.p1.y) + g.k);
  g.xh = Coordinate(g.p2.x + 4.0 * g.k / 3.0);

  g.beta = DegToRad(beta_deg);
  g.slope = SlopeOf(g.beta);
  return g;
}

void Draw(SketchCanvas& vd, const GravityLayout& g) {
  const SketchPoint &p0 = g.p0, &p1 = g.p1, &p2 = g.p2, &p3 = g.p3, &q = g.q;
  const float k = g.k;
  const float wh = g.wh;

  vd.SetFillColor(kSketchWindowFace);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlack);
  vd.DrawPolygon({p0, p1, p2, p3});

  // height guide and the ground in front of the toe
  vd.SetPenColor(kSketchGrey);
  vd.DrawLine(-wh, p0.y, -wh, p1.y);
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(10);
  vd.DrawLine(-wh, p0.y, p0.x, p0.y);

  // extension lines up to the dimension level of T1, T2, T3
  vd.SetPenColor(kSketchGrey);
  vd.SetPenWidth(0);
  vd.DrawLine(-wh, p1.y, p1.x, p1.y);
  vd.DrawLine(p0.x, p0.y, p0.x, g.yd);
  vd.DrawLine(p1.x, p1.y, p1.x, g.yd);
  vd.DrawLine(p2.x, p1.y, p2.x, g.yd);
  vd.DrawLine(p3.x, p0.y, p3.x, g.yd);
  vd.DrawLine(p0.x, g.yd, p3.x, g.yd);

  // H1 guides
  vd.DrawLine(Coordinate(static_cast<double>(p2.x) + k), q.y, g.xh, q.y);
  vd.DrawLine(p3.x, p3.y, g.xh, p0.y);
  vd.DrawLine(g.xh, p0.y, g.xh, q.y);

  // surcharge band, 35 to 80 units above the surface, one metre along it
  vd.SetFillColor(kSketchGreen);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.DrawPolygon(SurchargeBand(q, k, g.slope));

  const SketchPoint surface_end = Along(q, k, g.slope.u);
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(0);
  vd.DrawLine(q.x, q.y, surface_end.x, surface_end.y);

  // horizontal reference of β and its arc
  vd.SetPenColor(kSketchBlack);
  vd.SetPenStyle(SketchPenStyle::Dot);
  vd.SetPenWidth(0);
  vd.DrawLine(q.x, q.y, Coordinate(static_cast<double>(p2.x) + k), q.y);
  vd.SetPenStyle(SketchPenStyle::Solid);
  vd.SetFillStyle(FillStyle::Transparent);
  if (g.beta != 0) vd.DrawArc(q.x, q.y, Coordinate(k / 3.0), 0, g.beta);

  // crest load W0
  vd.SetFillColor(kSketchGreen);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.DrawRectangle(p1.x, Coordinate(p1.y + 35.0), p2.x, Coordinate(p1.y + 80.0));

  UseSymbolFont(vd);
  const double symbol_y = g.yd + 60.0;
  if (g.t1_mm != 0) Symbol(vd, "T1", (p0.x + static_cast<double>(p1.x)) / 2 - 25, symbol_y);
  if (g.t2_mm != 0) Symbol(vd, "T2", (p1.x + static_cast<double>(p2.x)) / 2 - 25, symbol_y);
  if (g.t3_mm != 0) Symbol(vd, "T3", (p2.x + static_cast<double>(p3.x)) / 2 - 25, symbol_y);
  if (g.h_mm != 0) Symbol(vd, "H", -wh - 50.0, (p0.y + static_cast<double>(p1.y)) / 2 + 10);
  const double half_beta = g.beta / 2.0;
  Symbol(vd, "β", q.x + (k / 3.0) * std::cos(half_beta) + 40,
         q.y + (k / 3.0) * std::sin(half_beta) + 40);
  const SketchPoint& u = g.slope.u;
  Symbol(vd, "q1", q.x + 0.5 * k * u.x - 165.0 * u.y, q.y + 0.5 * k * u.y + 165.0 * u.x);
  Symbol(vd, "W0", p1.x - 90.0, p1.y + 105.0);
  Symbol(vd, "H1", g.xh - 65.0, (p1.y + static_cast<double>(p3.y) - 25) / 2);
}

}  // namespace

void DrawGravitySketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                       MessageSink& sink) {
  if (!CheckBetaRange(inputs.beta, sink)) return;
  RunSketch(
      vd, sink, [&] { return ComputeLayout(inputs, vd.SizeValue(), scale_offset); }, Draw);
}

}  // namespace ktv
