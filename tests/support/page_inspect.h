#pragma once
// Helpers for looking at laid-out pages.
#include <QPointF>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/report_writer.h"

namespace ktv::testing_util {

template <typename T>
std::vector<T> ItemsOf(const Page& page) {
  std::vector<T> out;
  for (const PageItem& item : page.items) {
    if (const T* p = std::get_if<T>(&item)) out.push_back(*p);
  }
  return out;
}

// Text runs of the page body (header and footer runs excluded).
inline std::vector<TextRun> BodyRuns(const Page& page) {
  std::vector<TextRun> out;
  for (const TextRun& r : ItemsOf<TextRun>(page)) {
    if (r.y >= kPageMargin && r.y < kA4Height - kPageMargin) out.push_back(r);
  }
  return out;
}

inline std::optional<TextRun> FindRun(const std::vector<TextRun>& runs, const std::string& text) {
  for (const TextRun& r : runs) {
    if (r.text == text) return r;
  }
  return std::nullopt;
}

// The box of a text run as laid out: anchored at its top-left corner, turned counter-clockwise.
struct Box {
  std::array<QPointF, 4> corners;
};

inline Box RunBox(const TextRun& r) {
  const double a = r.angle / 10.0 * std::numbers::pi / 180.0;
  const QPointF along(std::cos(a), -std::sin(a));
  const QPointF down(std::sin(a), std::cos(a));
  const QPointF p(r.x, r.y);
  return {{p, p + r.width * along, p + r.width * along + r.height * down, p + r.height * down}};
}

// Separating axes of two convex quadrilaterals, shrunk by a margin: true when they overlap.
inline bool Overlap(const Box& a, const Box& b, double margin = 15) {
  for (const Box* box : {&a, &b}) {
    for (int i = 0; i < 4; ++i) {
      const QPointF e = box->corners[(i + 1) % 4] - box->corners[i];
      const QPointF n(-e.y(), e.x());
      const double len = std::hypot(n.x(), n.y());
      if (len == 0) continue;
      auto project = [&](const Box& q) {
        double lo = 1e300, hi = -1e300;
        for (const QPointF& c : q.corners) {
          const double v = (c.x() * n.x() + c.y() * n.y()) / len;
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
        return std::pair(lo + margin, hi - margin);
      };
      const auto [alo, ahi] = project(a);
      const auto [blo, bhi] = project(b);
      if (ahi <= blo || bhi <= alo) return false;
    }
  }
  return true;
}

// The box drawn in by margin on every side (a box narrower than twice the margin keeps its
// middle line).
inline Box Shrunk(const Box& b, double margin) {
  Box out = b;
  const QPointF along = b.corners[1] - b.corners[0], down = b.corners[3] - b.corners[0];
  const double la = std::hypot(along.x(), along.y()), ld = std::hypot(down.x(), down.y());
  const double ma = la > 0 ? std::min(margin, la / 2) / la : 0;
  const double md = ld > 0 ? std::min(margin, ld / 2) / ld : 0;
  out.corners[0] = b.corners[0] + ma * along + md * down;
  out.corners[1] = b.corners[1] - ma * along + md * down;
  out.corners[2] = b.corners[2] - ma * along - md * down;
  out.corners[3] = b.corners[3] + ma * along - md * down;
  return out;
}

// True when the segment from a to b passes through the box (separating axes: the box's two
// edge directions and the segment's normal).
inline bool Crosses(const Box& box, QPointF a, QPointF b) {
  const QPointF e = b - a;
  const std::array<QPointF, 3> axes = {box.corners[1] - box.corners[0],
                                       box.corners[3] - box.corners[0], QPointF(-e.y(), e.x())};
  for (const QPointF& n : axes) {
    if (n.x() == 0 && n.y() == 0) continue;
    double lo = 1e300, hi = -1e300;
    for (const QPointF& c : box.corners) {
      const double v = c.x() * n.x() + c.y() * n.y();
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    const double va = a.x() * n.x() + a.y() * n.y(), vb = b.x() * n.x() + b.y() * n.y();
    if (std::max(va, vb) <= lo || std::min(va, vb) >= hi) return false;
  }
  return true;
}

// A writer with the page setup done and the document begun.
inline void Begin(ReportWriter& w) {
  w.PageSetup();
  w.BeginDocument();
}

}  // namespace ktv::testing_util
