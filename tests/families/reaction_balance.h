#pragma once
// The ground reaction must carry the wall: its resultant ΣV and its moment about the toe ΣV·d,
// with no pressure below zero anywhere under the base.
#include <cmath>
#include <sstream>
#include <string>

#include "families/ground_reaction.h"

namespace ktv {

// "" when the reaction balances ΣV at d, otherwise what does not.
inline std::string ReactionBalance(const GroundReaction& r, float sum_v, float d) {
  if (r.outside) return r.q_toe == 0 && r.q_heel == 0 ? "" : "pressure under an overturned wall";
  std::ostringstream out;
  if (r.q_toe < 0 || r.q_heel < 0) out << "negative edge pressure " << r.q_toe << ", " << r.q_heel;
  const GroundReaction::Load load = r.Over(0, r.b, 0);
  // Float inputs: a relative tolerance of a few float steps of the largest term.
  const double tol = 1e-5 * (std::fabs(sum_v) * (1 + r.b) + 1e-3);
  if (std::fabs(load.force - sum_v) > tol) out << " force " << load.force << " vs ΣV " << sum_v;
  if (std::fabs(load.moment - static_cast<double>(sum_v) * d) > tol * (1 + r.b)) {
    out << " moment " << load.moment << " vs ΣV·d " << static_cast<double>(sum_v) * d;
  }
  return out.str();
}

}  // namespace ktv
