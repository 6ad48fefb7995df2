#include "report/figure_kit.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"
#include "app/units.h"
#include "report/report_writer.h"

namespace ktv {

float Millimetres(float metres) { return MillimetresOf(metres); }

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
  if (b.beta_deg > 0) w.DrawArc(corner.x(), corner.y(), b.arc > 0 ? b.arc : b.arm / 4, 0, b.beta);
  if (b.level) {
    TextAlong(w, b.text, corner, 0, b.start, -20, 0);
  } else {
    TextAlong(w, b.text, corner, b.beta, b.start, b.lift,
              static_cast<int>(std::lround(b.beta_deg * 10.0)));
  }
}

std::vector<double> SpreadApart(const std::vector<double>& centres,
                                const std::vector<double>& lengths, double gap, double low) {
  // Clusters of labels that touch are set around the mean of their own places; neighbouring
  // clusters that then touch merge, until none do.
  struct Cluster {
    size_t first, last;
    double start;  // of the first label's extent
    double size;   // of all the cluster's extents and gaps
  };
  const size_t n = centres.size();
  std::vector<Cluster> clusters;
  for (size_t i = 0; i < n; ++i) {
    clusters.push_back({i, i, centres[i] - lengths[i] / 2, lengths[i]});
    while (clusters.size() > 1) {
      Cluster& b = clusters.back();
      Cluster& a = clusters[clusters.size() - 2];
      if (a.start + a.size + gap <= b.start) break;
      Cluster merged{a.first, b.last, 0, a.size + gap + b.size};
      // The mean offset of the members from where they would stand in the merged cluster.
      double offset = 0, at = 0;
      for (size_t k = merged.first; k <= merged.last; ++k) {
        offset += centres[k] - (at + lengths[k] / 2);
        at += lengths[k] + gap;
      }
      merged.start = offset / static_cast<double>(merged.last - merged.first + 1);
      clusters.pop_back();
      clusters.back() = merged;
    }
  }
  std::vector<double> out(n);
  for (const Cluster& c : clusters) {
    double at = c.start;
    for (size_t k = c.first; k <= c.last; ++k) {
      out[k] = at + lengths[k] / 2;
      at += lengths[k] + gap;
    }
  }
  for (size_t k = 0; k < n; ++k) {
    const double least = k == 0 ? low : out[k - 1] + lengths[k - 1] / 2 + gap;
    out[k] = std::max(out[k], least + lengths[k] / 2);
  }
  return out;
}

namespace {

constexpr double kChainDot = 35;        // as the writer's dimension lines
constexpr double kChainOvershoot = 40;  // extension lines run past the dimension line
constexpr double kChainGap = 120;       // between the labels of neighbouring spans
constexpr double kLevelGap = 40;        // the same where a level label's height is the extent

}  // namespace

double DrawDimensionChainV(ReportWriter& w, double x, const std::vector<ChainLevel>& levels,
                           bool labels_left) {
  if (levels.size() < 2) return 0;
  for (const ChainLevel& l : levels) {
    const double end = x + (l.from.x() < x ? kChainOvershoot : -kChainOvershoot);
    w.DrawLine(l.from.x(), l.from.y(), end, l.from.y());
  }
  w.DrawLine(x, levels.front().from.y(), x, levels.back().from.y());
  w.SetBrushStyle(BrushStyle::Solid);
  for (const ChainLevel& l : levels) w.DrawCircle(x, l.from.y(), kChainDot);
  w.SetBrushStyle(BrushStyle::Transparent);
  // Upwards is the direction of the row. A label turned along the line needs its span; where one
  // does not fit, the labels stand level, and where even level labels would be pushed off their
  // spans, they stand in two columns, every other one in the outer column.
  std::vector<double> centres, turned_lengths, heights, widths;
  bool turned = true;
  for (size_t i = 1; i < levels.size(); ++i) {
    const double span = std::fabs(levels[i - 1].from.y() - levels[i].from.y());
    const std::string& label = levels[i].label;
    turned = turned && w.TextWidth(label) + 2 * kChainDot <= span;
    centres.push_back(-(levels[i - 1].from.y() + levels[i].from.y()) / 2);
    turned_lengths.push_back(w.TextWidth(label));
    heights.push_back(w.TextHeight(label));
    widths.push_back(w.TextWidth(label));
  }
  const size_t n = centres.size();
  const double low = -levels.front().from.y() + kChainDot;
  std::vector<double> at(n);
  std::vector<int> column(n, 0);
  if (turned) {
    at = SpreadApart(centres, turned_lengths, kChainGap, low);
  } else {
    at = SpreadApart(centres, heights, kLevelGap, low);
    bool off = false;
    for (size_t i = 0; i < n; ++i) {
      const double half_span = std::fabs(levels[i].from.y() - levels[i + 1].from.y()) / 2;
      // Its middle stays on its span; a span shorter than the label need only be covered.
      const double allowed = half_span + (2 * half_span < heights[i] ? heights[i] / 2 : 0);
      off = off || std::fabs(at[i] - centres[i]) > allowed;
    }
    if (off) {
      for (int col = 0; col < 2; ++col) {
        std::vector<double> c, h;
        for (size_t i = static_cast<size_t>(col); i < n; i += 2)
          c.push_back(centres[i]), h.push_back(heights[i]);
        const std::vector<double> spread = SpreadApart(c, h, kLevelGap, low);
        for (size_t k = 0, i = static_cast<size_t>(col); i < n; i += 2, ++k) {
          at[i] = spread[k];
          column[i] = col;
        }
      }
    }
  }
  double widest = 0;
  for (double width : widths) widest = std::max(widest, width);
  double reach = 0;
  for (size_t i = 0; i < n; ++i) {
    const std::string& label = levels[i + 1].label;
    const double centre = -at[i];
    if (!turned) {
      const double inner = 60 + column[i] * (widest + 80);
      w.SetX(labels_left ? x - inner - widths[i] : x + inner);
      w.SetY(centre - heights[i] / 2);
      w.Text(label);
      reach = std::max(reach, inner + widths[i]);
    } else {
      // Turned a right angle, the text reads upwards and its top faces left.
      w.SetTextAngle(900);
      w.SetX(labels_left ? x - heights[i] - 60 : x + 60);
      w.SetY(centre + turned_lengths[i] / 2);
      w.Text(label);
      w.SetTextAngle(0);
      reach = std::max(reach, heights[i] + 60);
    }
  }
  return reach;
}

void DrawDimensionChainH(ReportWriter& w, double y, const std::vector<ChainLevel>& levels) {
  if (levels.size() < 2) return;
  for (const ChainLevel& l : levels) {
    const double end = y + (l.from.y() < y ? kChainOvershoot : -kChainOvershoot);
    w.DrawLine(l.from.x(), l.from.y(), l.from.x(), end);
  }
  w.DrawLine(levels.front().from.x(), y, levels.back().from.x(), y);
  w.SetBrushStyle(BrushStyle::Solid);
  for (const ChainLevel& l : levels) w.DrawCircle(l.from.x(), y, kChainDot);
  w.SetBrushStyle(BrushStyle::Transparent);
  std::vector<double> centres, lengths;
  for (size_t i = 1; i < levels.size(); ++i) {
    centres.push_back((levels[i - 1].from.x() + levels[i].from.x()) / 2);
    lengths.push_back(w.TextWidth(levels[i].label));
  }
  const std::vector<double> at = SpreadApart(centres, lengths, kChainGap);
  for (size_t i = 1; i < levels.size(); ++i) {
    const std::string& label = levels[i].label;
    w.DrawLabel(at[i - 1] - lengths[i - 1] / 2, y - w.TextHeight(label) - 20, label);
  }
}

}  // namespace ktv
