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
#include <vector>

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
  double beta = 0;     // radians
  double arm = 0;      // length of the two lines
  double start = 0;    // distance of the text from the corner along the surface
  double lift = 0;     // distance of the text's top edge above the surface
  double width = 0;    // of the text
  double height = 0;   // of the text
  double arc = 0;      // radius of the β arc; 0: arm / 4
  bool level = false;  // the text level under the horizontal reference instead of along the slope
};

// start: distance along the surface; lift_gap: space between the surface and the text's
// baseline box (the text stands its own height plus this gap above the surface).
BackfillMark MakeBackfillMark(const ReportWriter& w, float beta_deg, float q, bool is_si,
                              double arm, double start, double lift_gap);
void DrawBackfillMark(ReportWriter& w, QPointF corner, const BackfillMark& mark);

// Moves the centres of labels in a row apart so that no two of them come closer than gap,
// keeping their order and each as near its own place as the others allow, none starting before
// low. centres ascend; lengths are the labels' extents along the row.
std::vector<double> SpreadApart(const std::vector<double>& centres,
                                const std::vector<double>& lengths, double gap,
                                double low = -1e300);

// One level of a chain of dimensions: where its extension line starts (the point measured,
// page coordinates) and the label of the span from the previous level to this one.
struct ChainLevel {
  QPointF from;
  std::string label;  // empty for the first level
};

// A chain of vertical dimensions on one line at x, levels from the bottom up: extension lines
// from each level's point to the line, dots at every level and each span's label beside the
// line (left of it or right of it): turned along the line where the span holds the label, level
// beside its span where it does not; labels moved apart along the line where they would touch,
// never below the first level. Returns how far the labels reach from the line.
double DrawDimensionChainV(ReportWriter& w, double x, const std::vector<ChainLevel>& levels,
                           bool labels_left);
// A chain of horizontal dimensions on one line at y, levels from left to right, labels above
// the line.
void DrawDimensionChainH(ReportWriter& w, double y, const std::vector<ChainLevel>& levels);

}  // namespace ktv
