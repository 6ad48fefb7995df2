#include "report/figure_kit.h"

#include <cmath>

#include "app/format.h"
#include "app/units.h"
#include "report/report_writer.h"

namespace ktv {

float Millimetres(float metres) { return StoreFloat(static_cast<double>(metres) * 1000); }

std::string SlopeText(double ratio) { return "1：" + FormatValue(ratio, kFmt2); }

void TextAlong(ReportWriter& w, std::string_view text, QPointF origin, double theta, double along,
               double lift, int angle_tenths) {
  const double c = std::cos(theta), s = std::sin(theta);
  w.SetX(origin.x() + along * c - lift * s);
  w.SetY(origin.y() - along * s - lift * c);
  w.SetTextAngle(angle_tenths);
  w.Text(text);
  w.SetTextAngle(0);
}

BackfillMark MakeBackfillMark(const ReportWriter& w, float beta_deg, float q, bool is_si,
                              double arm, double start, double lift_gap) {
  BackfillMark b;
  b.text = "β = " + FormatValue(beta_deg, kFmt2) + "°、q = " + FormatValue(q, kFmt0) +
           UnitLabel("t/m2", UnitFlag(is_si));
  b.beta_deg = beta_deg;
  b.beta = DegToRad(beta_deg);
  b.arm = arm;
  b.start = start;
  b.width = w.TextWidth(b.text);
  b.height = w.TextHeight(b.text);
  b.lift = b.height + lift_gap;
  return b;
}

void DrawBackfillMark(ReportWriter& w, QPointF corner, const BackfillMark& b) {
  const double c = std::cos(b.beta), s = std::sin(b.beta);
  w.SetPenWidth(30);
  w.DrawLine(corner.x(), corner.y(), corner.x() + b.arm, corner.y());
  w.DrawLine(corner.x(), corner.y(), corner.x() + b.arm * c, corner.y() - b.arm * s);
  w.SetPenWidth(0);
  if (b.beta_deg > 0) w.DrawArc(corner.x(), corner.y(), b.arm / 4, 0, b.beta);
  TextAlong(w, b.text, corner, b.beta, b.start, b.lift,
            static_cast<int>(std::lround(b.beta_deg * 10.0)));
}

}  // namespace ktv
