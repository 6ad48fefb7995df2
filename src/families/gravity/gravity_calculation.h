#pragma once
// Gravity wall (重力式擁壁), normal case: self weight in up to three parts, Coulomb earth pressure
// with a uniform surcharge, the resultant on the base and the checks of overturning, sliding,
// bearing and the body stress at the base.
//
// Every quantity is a 32-bit float; each named step is computed in double precision and stored
// back as a float. No I/O: the inputs come from ReadGravityInputs, the report prints the results.
#include <array>

#include "app/verdict.h"
#include "families/ground_reaction.h"

namespace ktv {

struct GravityInputs {
  bool is_si = true;    // selects unit labels only; the values are in the project's units
  float gamma_c = 0;    // γc, unit weight of concrete
  float sigma_ck = 0;   // σck, already multiplied by StressUnitFactor (printed only)
  float sigma_cac = 0;  // σcac, already multiplied by StressUnitFactor
  float sigma_cat = 0;  // σcat, already multiplied by StressUnitFactor (printed only)
  float gamma = 0;      // γ, unit weight of the backfill
  float phi = 0;        // φ, degrees
  float c = 0;          // cohesion, printed as the adhesion of the sliding check
  float tan_phi_b = 0;  // friction coefficient between base and ground
  float q = 0;          // surcharge q1
  float qa = 0;         // allowable bearing pressure, normal case
  float fsa = 0;        // required safety factor against sliding
  float h = 0;          // H, m
  float t00 = 0;        // front batter width, m
  float t01 = 0;        // top width, m
  float t02 = 0;        // back batter width, m
  float beta = 0;       // β, degrees
};

struct GravityEarthPressure {
  float phi_r = 0;   // φ in radians
  float beta_r = 0;  // β in radians
  float alpha = 0;   // back face from the vertical, radians
  float delta = 0;   // wall friction angle 2/3 φ, radians
  float theta = 0;   // α + δ, inclination of the thrust from the horizontal
  float ka = 0;      // 0 when the coefficient failed (its message has been shown)
  bool ka_failed = false;
  float pha = 0, pva = 0;  // backfill components
  float phq = 0, pvq = 0;  // surcharge components
  float ph = 0, pv = 0;    // totals
};

struct SelfWeightRow {
  const char* name = "";  // "W1", "W2" or "W3"
  float a = 0;            // area, m2
  float gamma_c = 0;
  float v = 0;  // weight
  float x = 0;  // arm from the toe
  float m = 0;  // moment about the toe
};

struct SelfWeightTable {
  std::array<SelfWeightRow, 3> rows{};
  int count = 0;  // parts present, in the order W1, W2, W3
  // Sums of the row values as printed with three decimals.
  float sum_a = 0;
  float sum_v = 0;  // ΣV_w
  float sum_m = 0;  // ΣM_w
};

struct ResultantAndChecks {
  float b = 0;           // base width T00 + T01 + T02
  float sum_v = 0;       // ΣV = ΣV_w + PV
  float sum_h = 0;       // ΣH = PH
  float xp = 0, yp = 0;  // arms of the thrust
  float m_pv = 0;        // xP · PV
  float m_ph = 0;        // yP · PH
  float mr = 0;          // resisting moment
  float m = 0;           // overturning moment
  float d = 0;           // resultant from the toe
  float e = 0;           // eccentricity, signed (negative behind the centre)
  float b6 = 0;          // B / 6
  float fs = 0;          // sliding safety factor
  float q1 = 0, q2 = 0;  // bearing pressures at the toe and the heel
  // The linear stresses of the base section, ΣV/B·(1 ± 6e/B): the body stress is read from them
  // (they may pull), the ground from the reaction below.
  float q1_linear = 0, q2_linear = 0;
  GroundReaction reaction;            // a triangle from the pressed edge beyond the middle third
  CheckValue overturning;             // |e| < B/6
  CheckValue sliding;                 // Fs > Fsa
  CheckValue bearing_q1, bearing_q2;  // q1 < qa, q2 < qa
  bool within_middle_third = false;   // |e| < B/6
};

struct BodyStress {
  float sigma_c1 = 0, sigma_c2 = 0;           // multiplied by StressUnitFactor like σcac
  CheckValue sigma_c1_check, sigma_c2_check;  // each < σcac
  bool tension = false;                       // the smaller of the two < 0
  // Plain concrete cannot take much tension: with tension, its magnitude against σcat.
  CheckValue tension_check;
};

struct GravityResults {
  SelfWeightTable self_weight;
  ResultantAndChecks checks;
  BodyStress body;
};

struct GravityCalculation {
  GravityEarthPressure earth;
  GravityResults results;
};

// Throws CalculationError for inputs outside the calculation (negative widths, H not positive,
// zero base width, values that are not finite).
void CheckGravityInputs(const GravityInputs& in);

// Earth pressure. A failed coefficient reads 0 and sets ka_failed; the report shows its message.
GravityEarthPressure ComputeGravityEarthPressure(float phi, float gamma, float q, float h,
                                                 float t02, float beta);

SelfWeightTable ComputeSelfWeightTable(float gamma_c, float t00, float t01, float t02, float h);

// Throws CalculationError when B, ΣV or ΣH is zero or a result is not finite.
ResultantAndChecks ComputeResultantAndChecks(float sum_v_w, float sum_m_w,
                                             const GravityEarthPressure& earth, float t00,
                                             float t01, float t02, float h, float qa, float fsa,
                                             float tan_phi_b);

// sigma_cat: the allowable tension, checked against the magnitude of a negative stress.
BodyStress CheckBodyStress(float q1, float q2, float sigma_cac, float sigma_cat = 0);

// The whole calculation in the order of the report.
GravityCalculation ComputeGravity(const GravityInputs& in);

}  // namespace ktv
