#pragma once
// Figure kit: the pieces that the report figures of every wall family share.
//
// Usage, inside a family's figure (u = the figure's scaled unit length, corner = the back top
// corner of the wall on the page):
//
//   const BackfillMark mark = MakeBackfillMark(w, in.beta, q, in.is_si, 2 * u, 100, 50);
//   DrawBackfillMark(w, corner, mark);                    // lines, β arc, "β = …°、q = …"
//   TextAlong(w, SlopeText(ratio), face_top, theta, along, w.TextHeight(), tenths);  // "1：…"
//   w.DrawDimensionH(x0, y1, x8, y2, u / 4, Millimetres(in.t01));  // labels in millimetres
//
// Angles are radians, counter-clockwise from the x axis as seen on the page (y grows downwards).
#include <QPointF>
#include <string>
#include <string_view>

namespace ktv {

class ReportWriter;

// A length of the project (metres) as the window shows it: millimetres, for dimension labels.
float Millimetres(float metres);

// "1：" + the run per unit rise with two decimals (formatted from the double: printed only).
std::string SlopeText(double ratio);

// Writes a text whose baseline runs in the direction theta: its start lies `along` from the
// origin in that direction and `lift` across it (to the left of the direction), at the text angle
// angle_tenths; the angle is reset to 0 afterwards.
void TextAlong(ReportWriter& w, std::string_view text, QPointF origin, double theta, double along,
               double lift, int angle_tenths);

// The backfill surface at β from the back top corner: a horizontal reference and the surface line
// (both `arm` long, pen width 30), the β arc of radius arm / 4 when β > 0, and the text
// "β = " + β "0.00" + "°、q = " + q "0" + the unit of t/m2 written along the surface.
struct BackfillMark {
  std::string text;
  float beta_deg = 0;
  double beta = 0;    // radians
  double arm = 0;     // length of the two lines
  double start = 0;   // distance of the text from the corner along the surface
  double lift = 0;    // distance of the text's top edge above the surface
  double width = 0;   // of the text
  double height = 0;  // of the text
};

// start: distance along the surface; lift_gap: space between the surface and the text's
// baseline box (the text stands its own height plus this gap above the surface).
BackfillMark MakeBackfillMark(const ReportWriter& w, float beta_deg, float q, bool is_si,
                              double arm, double start, double lift_gap);
void DrawBackfillMark(ReportWriter& w, QPointF corner, const BackfillMark& mark);

}  // namespace ktv
