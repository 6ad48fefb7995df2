#include "families/cantilever/cantilever_sketch.h"

#include <cmath>
#include <vector>

#include "app/format.h"
#include "app/units.h"
#include "sketch/sketch_kit.h"

namespace ktv {
namespace {

// Everything the drawing steps need, computed before anything is cleared, so that an invalid
// input leaves the previous sketch on screen.
struct CantileverLayout {
  // as entered (mm), for the symbols and the front ground
  float h0_mm, l1_mm, l2_mm, l3_mm, t1_mm, t2_mm, d0_mm, d1_mm, d2_mm, d4_mm;
  float s, g;    // scale, and 1.5 m at that scale
  float t2;      // crest width
  float x0, y0;  // underside of the toe end
  SketchPoint p[13];
  SketchPoint q;  // the backfill surface meets the back face
  float beta;     // radians
  SlopeFrame slope;
  float y_ground, x_ground_end;  // soil over the toe and where it meets the front face
  float y_l, y_t;                // dimension levels below the base (L) and above the crest (T)
  float x_d2, x_d, x_h;          // columns of the slab and height guides on the left
  float x_d4, x_h1;              // columns of the heel and H1 guides on the right
};

constexpr float kGroundBand = 20;  // height of the ground band

CantileverLayout ComputeLayout(const SketchInputs& in, float size_value, float scale_offset) {
  CantileverLayout c{};
  c.h0_mm = ReadSketchNumber(in.h[0]);
  const float h1_mm = ReadSketchNumber(in.h[1]);
  c.l1_mm = ReadSketchNumber(in.l[0]);
  c.l2_mm = ReadSketchNumber(in.l[1]);
  c.l3_mm = ReadSketchNumber(in.l[2]);
  c.t1_mm = ReadSketchNumber(in.t[0]);
  c.t2_mm = ReadSketchNumber(in.t[1]);
  c.d0_mm = ReadSketchNumber(in.d[0]);
  c.d1_mm = ReadSketchNumber(in.d[1]);
  c.d2_mm = ReadSketchNumber(in.d[2]);
  ReadUnusedBoxes({&in.d[3]});
  c.d4_mm = ReadSketchNumber(in.d[4]);
  const float beta_deg = ReadSketchNumber(in.beta);
  ReadUnusedBoxes({&in.w0});
  // The shear key is drawn whether or not its box is set; zero values leave it invisible.
  const float l5_mm = ReadSketchNumber(in.fk_l5);
  const float t5_mm = ReadSketchNumber(in.fk_t5);
  const float d5_mm = ReadSketchNumber(in.fk_d5);
  if (in.counterfort) ReadUnusedBoxes({&in.sw_t6, &in.sw_l6, &in.sw_bs});

  // back batter of the stem
  const float t3_mm = static_cast<float>(static_cast<double>(c.l2_mm) - c.t1_mm - c.t2_mm);
  const float bm = MetresOf(static_cast<double>(c.l1_mm) + static_cast<double>(c.l2_mm) + c.l3_mm);
  const float hm = MetresOf(c.h0_mm);
  c.s = SketchScale(size_value, kCantileverSketchScaleConstant, scale_offset, bm >= hm ? bm : hm);
  // The back face of the stem runs from the slab (D1) up to the crest (H0).
  if (c.h0_mm == c.d1_mm) throw SketchError("the stem has no height");
  const float s = c.s;
  c.g = Coordinate(1.5 * s);

  const float h0 = ScaledLength(c.h0_mm, s);
  const float h1 = h1_mm == 0 ? h0 : ScaledLength(h1_mm, s);
  const float l1 = ScaledLength(c.l1_mm, s);
  const float l3 = ScaledLength(c.l3_mm, s);
  const float t1 = ScaledLength(c.t1_mm, s);
  c.t2 = ScaledLength(c.t2_mm, s);
  const float t3 = ScaledLength(t3_mm, s);
  const float d1 = ScaledLength(c.d1_mm, s);
  const float d2 = ScaledLength(c.d2_mm, s);
  const float d4 = ScaledLength(c.d4_mm, s);
  const float l5 = ScaledLength(l5_mm, s);
  const float t5 = ScaledLength(t5_mm, s);
  const float d5 = ScaledLength(d5_mm, s);

  const float w = Coordinate(static_cast<double>(l1) + t1 + c.t2 + t3 + l3 + 4.0 * s);
  const float v = Coordinate(static_cast<double>(h0) + 3.0 * s);
  c.x0 = Coordinate(c.g - w / 2.0 + 75);
  c.y0 = Coordinate(c.g - v / 2.0 - 75);
  const double x0 = c.x0, y0 = c.y0;
  SketchPoint* p = c.p;
  p[0] = {c.x0, c.y0};
  p[1] = {c.x0, Coordinate(y0 + d2)};
  p[2] = {Coordinate(x0 + l1), Coordinate(y0 + d1)};
  p[3] = {Coordinate(static_cast<double>(p[2].x) + t1), Coordinate(y0 + h0)};
  p[4] = {Coordinate(static_cast<double>(p[3].x) + c.t2), p[3].y};
  p[5] = {Coordinate(x0 + l1 + t1 + c.t2 + t3), p[2].y};
  p[6] = p[5];
  p[7] = {Coordinate(static_cast<double>(p[5].x) + l3), Coordinate(y0 + d4)};
  p[8] = {p[7].x, c.y0};
  p[9] = {Coordinate(x0 + l5 + t5), c.y0};
  p[10] = {p[9].x, Coordinate(y0 - d5)};
  p[11] = {Coordinate(x0 + l5), p[10].y};
  p[12] = {p[11].x, c.y0};

  // Q on the back face P4-P5 at the height H1; the slope of the face is taken from the entered
  // values so that a zero scale still gives a (degenerate) point.
  const double face_drop = static_cast<double>(c.h0_mm) - c.d1_mm;
  c.q = {Coordinate(p[4].x + (static_cast<double>(h0) - h1) * t3_mm / face_drop),
         Coordinate(y0 + h1)};

  c.beta = DegToRad(beta_deg);
  c.slope = SlopeOf(c.beta);

  c.y_ground = Coordinate(static_cast<double>(p[2].y) + ScaledLength(c.d0_mm, s));
  c.x_ground_end =
      c.t1_mm != 0 ? Coordinate(p[2].x + ScaledLength(c.d0_mm, s) * (c.t1_mm / face_drop)) : p[2].x;

  c.y_l = Coordinate(y0 - s / 2.0);
  c.y_t = Coordinate(p[3].y + 0.75 * s);
  c.x_d2 = Coordinate(x0 - 40);
  c.x_d = Coordinate(c.x_d2 - 100.0);
  c.x_h = Coordinate(c.x_d - 100.0);
  c.x_d4 = Coordinate(p[7].x + c.g / 4.0);
  c.x_h1 = Coordinate(static_cast<double>(p[8].x) + s);
  return c;
}

double Mid(float a, float b) { return (static_cast<double>(a) + b) / 2; }

void Draw(SketchCanvas& vd, const CantileverLayout& c) {
  const SketchPoint* p = c.p;
  const SketchPoint q = c.q;
  const float x0 = c.x0, y0 = c.y0, g = c.g;

  // Section: stem, toe, heel and shear key.
  vd.SetFillColor(kSketchWindowFace);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlack);
  vd.SetPenWidth(0);
  vd.DrawPolygon(std::vector<SketchPoint>(p, p + 13));

  // Guide lines: L1, L2, L3 below the base, T1, T2 above the crest, H0 and the slab
  // thicknesses on the left, D4 and H1 on the right.
  vd.SetPenColor(kSketchGrey);
  vd.SetPenWidth(0);
  vd.SetPenStyle(SketchPenStyle::Solid);
  for (float x : {p[0].x, p[2].x, p[5].x, p[7].x}) vd.DrawLine(x, y0, x, c.y_l);
  vd.DrawLine(p[0].x, c.y_l, p[7].x, c.y_l);
  for (int i : {2, 3, 4}) vd.DrawLine(p[i].x, p[i].y, p[i].x, c.y_t);
  vd.DrawLine(p[2].x, c.y_t, p[4].x, c.y_t);
  vd.DrawLine(c.x_h, y0, x0, y0);
  vd.DrawLine(c.x_h, y0, c.x_h, p[3].y);
  vd.DrawLine(c.x_h, p[3].y, p[3].x, p[3].y);
  vd.DrawLine(c.x_d, y0, c.x_d, c.y_ground);
  vd.DrawLine(c.x_d, p[2].y, p[2].x, p[2].y);
  vd.DrawLine(c.x_d, c.y_ground, x0, c.y_ground);
  vd.DrawLine(c.x_d2, y0, c.x_d2, p[1].y);
  vd.DrawLine(c.x_d2, p[1].y, x0, p[1].y);
  vd.DrawLine(p[8].x, y0, c.x_h1, y0);
  vd.DrawLine(c.x_d4, y0, c.x_d4, p[7].y);
  vd.DrawLine(p[7].x, p[7].y, c.x_d4, p[7].y);
  vd.DrawLine(c.x_h1, y0, c.x_h1, q.y);
  vd.DrawLine(Coordinate(static_cast<double>(p[4].x) + g), q.y, c.x_h1, q.y);

  // Horizontal reference of the slope, at Q's height from the back corner of the crest.
  vd.SetPenStyle(SketchPenStyle::Dot);
  vd.DrawLine(p[4].x, q.y, Coordinate(static_cast<double>(p[4].x) + g), q.y);
  vd.SetPenStyle(SketchPenStyle::Solid);

  // Crest load W0.
  vd.SetFillColor(kSketchGreen);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.DrawRectangle(p[3].x, Coordinate(p[3].y + static_cast<double>(kBandNear)),
                   Coordinate(static_cast<double>(p[3].x) + c.t2),
                   Coordinate(p[3].y + static_cast<double>(kBandFar)));

  // Backfill surface and its slope angle.
  vd.SetPenWidth(10);
  const SketchPoint surface_end = Along(q, g, c.slope.u);
  vd.DrawLine(q.x, q.y, surface_end.x, surface_end.y);
  if (c.beta != 0) {
    vd.SetFillStyle(FillStyle::Transparent);
    vd.SetPenColor(kSketchGrey);
    vd.SetPenWidth(0);
    vd.DrawArc(p[4].x, q.y, Coordinate(g / 3.0), 0, c.beta);
  }

  // Surcharge q1 on the backfill.
  vd.SetFillColor(kSketchGreen);
  vd.SetFillStyle(FillStyle::Solid);
  vd.SetPenColor(kSketchBlue);
  vd.SetPenWidth(0);
  vd.DrawPolygon(SurchargeBand(q, g, c.slope));

  // Ground over the toe and its surcharge q2; an L wall has no toe to stand on.
  if (c.l1_mm != 0) {
    const float yg = c.y_ground, xe = c.x_ground_end;
    const float low = Coordinate(yg - static_cast<double>(kGroundBand));
    vd.SetFillColor(kSketchCyan);
    vd.SetPenColor(kSketchCyan);
    vd.DrawPolygon({{p[0].x, yg}, {xe, yg}, {xe, low}, {p[0].x, low}});
    vd.SetPenColor(kSketchBlue);
    vd.SetPenWidth(10);
    vd.DrawLine(p[0].x, yg, xe, yg);
    vd.SetFillColor(kSketchGreen);
    vd.SetPenWidth(0);
    vd.DrawRectangle(p[0].x, Coordinate(yg + static_cast<double>(kBandNear)), p[2].x,
                     Coordinate(yg + static_cast<double>(kBandFar)));
  }

  UseSymbolFont(vd);
  const double below = c.y_l + 75.0;
  if (c.l1_mm != 0) Symbol(vd, "L1", Mid(p[0].x, p[2].x) - 25, below);
  if (c.l2_mm != 0) Symbol(vd, "L2", Mid(p[2].x, p[5].x) - 25, below);
  if (c.l3_mm != 0) Symbol(vd, "L3", Mid(p[5].x, p[7].x) - 25, below);
  const double above = c.y_t + 75.0;
  if (c.t1_mm != 0) Symbol(vd, "T1", Mid(p[2].x, p[3].x) - 25, above);
  if (c.t2_mm != 0) Symbol(vd, "T2", Mid(p[3].x, p[4].x) - 25, above);
  if (c.h0_mm != 0) Symbol(vd, "H0", c.x_h - 90.0, Mid(y0, p[3].y) + 33);
  if (c.d0_mm != 0) Symbol(vd, "D0", c.x_d - 85.0, Mid(p[2].y, c.y_ground) + 33);
  if (c.d1_mm != 0) Symbol(vd, "D1", c.x_d - 85.0, Mid(y0, p[2].y) + 33);
  if (c.d2_mm != 0) Symbol(vd, "D2", c.x_d + 15.0, Mid(y0, p[1].y) + 33);
  if (c.d4_mm != 0) Symbol(vd, "D4", p[7].x + g / 4.0 + 15, Mid(p[8].y, p[7].y) + 35);
  const double r = g / 3.0;
  const double half_beta = c.beta / 2.0;
  Symbol(vd, "β", p[4].x + r * std::cos(half_beta) + 40, q.y + r * std::sin(half_beta) + 40);
  const SketchPoint& u = c.slope.u;
  Symbol(vd, "q1", p[4].x + 0.5 * g * u.x - 165.0 * u.y, q.y + 0.5 * g * u.y + 165.0 * u.x);
  Symbol(vd, "q2", Mid(p[1].x, p[2].x) - 20, c.y_ground + 180.0);
  Symbol(vd, "W0", p[3].x - 90.0, p[3].y + 105.0);
  Symbol(vd, "H1", c.x_h1 + 15.0, (static_cast<double>(q.y) + p[8].y - 35) / 2);
}

}  // namespace

void DrawCantileverSketch(SketchCanvas& vd, const SketchInputs& inputs, float scale_offset,
                          MessageSink& sink) {
  RunSketch(
      vd, sink, [&] { return ComputeLayout(inputs, vd.SizeValue(), scale_offset); }, Draw);
}

}  // namespace ktv
