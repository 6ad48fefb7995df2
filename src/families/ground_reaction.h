#pragma once
// The ground reaction under a base of width B that carries ΣV at d from the toe. Within the
// middle third it is the trapezoid each family forms; beyond it the trapezoid would pull at one
// edge, which soil cannot do, so the reaction is a triangle from the edge nearer the resultant
// whose centroid lies under the resultant.
#include <cmath>
#include <string>

#include "app/errors.h"
#include "app/format.h"
#include "app/json.h"
#include "app/verdict.h"

namespace ktv {

// The report's sentence for a resultant outside the base.
inline constexpr const char* kResultantOutsideBase =
    "合力の作用位置が底版の外にあるため、地盤反力度は定まらない（擁壁は転倒する）。";

struct GroundReaction {
  bool triangular = false;  // |e| > B/6: q = 2·ΣV/(3·d′) at the pressed edge, 0 at the other
  bool toe_pressed = true;  // the edge nearer the resultant (triangular only)
  bool outside = false;     // d′ ≤ 0: nothing to bear on, no pressure, the bearing fails
  float b = 0;              // base width
  float d_edge = 0;         // d′: the resultant from the pressed edge (d or B − d)
  float q_toe = 0, q_heel = 0;

  // The pressure at x from the toe.
  double At(double x) const {
    if (!triangular) return q_toe + (static_cast<double>(q_heel) - q_toe) * x / b;
    const double from_edge = toe_pressed ? x : b - x;
    const double length = 3.0 * d_edge;  // the loaded length
    const double q = toe_pressed ? q_toe : q_heel;
    return from_edge < length ? q * (1.0 - from_edge / length) : 0.0;
  }
  // The loaded length 3·d′ (B for the trapezoid).
  double LoadedLength() const { return triangular ? 3.0 * d_edge : b; }

  struct Load {
    double force = 0;   // ∫ q dx
    double moment = 0;  // ∫ q·|x − about| dx
  };
  // The reaction over x0 ≤ x ≤ x1 from the toe and its moment about the point about, one end of
  // that stretch (a slab's section). Exact for the piecewise-linear pressure.
  Load Over(double x0, double x1, double about) const {
    Load load;
    auto add = [&](double s, double t) {
      if (!(t > s)) return;
      const double ps = At(s), pt = At(t);
      const double gs = std::fabs(s - about), gt = std::fabs(t - about);
      load.force += (ps + pt) / 2 * (t - s);
      load.moment += (t - s) / 6 * (ps * (2 * gs + gt) + pt * (gs + 2 * gt));
    };
    const double knot = !triangular ? x1 : toe_pressed ? LoadedLength() : b - LoadedLength();
    if (knot > x0 && knot < x1) {
      add(x0, knot);
      add(knot, x1);
    } else {
      add(x0, x1);
    }
    return load;
  }
};

// abs_e_beyond: |e| > B/6 as the family compares it; q_toe, q_heel: the trapezoid's edge values.
// A resultant outside the base (d′ ≤ 0) leaves nothing to bear on: the wall overturns. The
// reaction is then marked outside with no pressure, and its bearing checks fail (BearingCheck).
inline GroundReaction MakeGroundReaction(bool abs_e_beyond, float sum_v, float b, float d, float e,
                                         float q_toe, float q_heel) {
  GroundReaction r;
  r.b = b;
  if (!abs_e_beyond) {
    r.q_toe = q_toe;
    r.q_heel = q_heel;
    return r;
  }
  r.triangular = true;
  r.toe_pressed = e > 0;
  r.d_edge = r.toe_pressed ? d : StoreFloat(static_cast<double>(b) - d);
  if (!(r.d_edge > 0)) {
    r.outside = true;
    return r;
  }
  const float q = StoreFloat(2.0 * sum_v / (3.0 * r.d_edge));
  (r.toe_pressed ? r.q_toe : r.q_heel) = q;
  return r;
}

// The bearing check of an edge pressure q against qa: ＮＧ whatever q when the resultant lies
// outside the base.
inline CheckValue BearingCheck(const GroundReaction& r, float q, float qa) {
  CheckValue c = MakeCheck(q, qa, SafeSide::Below);
  if (r.outside) c.ok = false;
  return c;
}

// The JSON keys of a reaction: "reaction" ("trapezoid" or "triangle") and, for the triangle,
// "reaction_edge" ("toe" or "heel") and "d_edge" (d′) with the suffix given ("E" for the seismic
// case: "reactionE", …).
inline JsonObject& AddReaction(JsonObject& json, const GroundReaction& r,
                               const std::string& suffix = "") {
  json.Add(("reaction" + suffix).c_str(), r.outside      ? "outside"
                                          : r.triangular ? "triangle"
                                                         : "trapezoid");
  if (r.triangular) {
    json.Add(("reaction_edge" + suffix).c_str(), r.toe_pressed ? "toe" : "heel")
        .Add(("d_edge" + suffix).c_str(), r.d_edge);
  }
  return json;
}

}  // namespace ktv
