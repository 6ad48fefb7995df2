#pragma once
// Leaning wall (もたれ式擁壁), normal case: a plain-concrete body leaning onto the backfill on a
// base slab with a toe. Section and face angles, Coulomb earth pressure over the whole height with
// its points of application, the self weight in three parts with totals of the printed cells, the
// resultant with the checks of overturning, sliding and bearing, and the stresses of the body at
// its foot (section A-A) and of the toe slab at the front face (section B-B).
//
// Every quantity is a 32-bit float; each named step is computed in double precision and stored
// back as a float. A value that is only printed (a moment of the tables, a stress in the printed
// unit, a figure label) is kept as the double it was formed in, so that the report rounds it once.
// No I/O: the inputs come from ReadLeaningInputs; the report and its figures print the results.
//
// Co-ordinates: x towards the backfill, y upwards, origin at the toe (front bottom corner of the
// base slab). run = L1 + T1 + T2 − B is the horizontal projection of the back face, positive when
// its top overhangs the heel (the usual shape).
#include <array>

#include "app/verdict.h"
#include "families/ground_reaction.h"

namespace ktv {

struct LeaningInputs {
  bool is_si = true;    // selects unit labels and StressUnitFactor only
  float gamma_c = 0;    // γc, unit weight of concrete
  float sigma_ck = 0;   // σck × StressUnitFactor (printed only)
  float sigma_cac = 0;  // σcac × StressUnitFactor
  float sigma_cat = 0;  // σcat × StressUnitFactor
  float tau_a = 0;      // τa × StressUnitFactor
  float gamma = 0;      // γ, unit weight of the backfill
  float phi = 0;        // φ, degrees
  float c = 0;          // cohesion, printed as the adhesion of the sliding check
  float q = 0;          // surcharge q1 on the backfill
  int soil_kind = 0;  // UTKind as a number: 0 れき質土, 1 砂質土, 2 シルト・粘土, else no name
  float tan_phi_b = 0;  // friction coefficient between base and ground
  float qa = 0;         // allowable bearing pressure, normal case
  float fsa = 0;        // required safety factor against sliding
  float h = 0;          // H, total height from the underside of the base slab, m
  float d1 = 0;         // D1, thickness of the base slab, m
  float l1 = 0;         // L1, length of the toe, m
  float t1 = 0;         // T1, horizontal projection of the front face, m
  float t2 = 0;         // T2, crest width, m
  float b = 0;          // B, width of the base slab, m
  float beta = 0;       // β, slope of the backfill surface, degrees
};

struct LeaningPoint {
  float x = 0, y = 0;
};

// The section. Figures: outline P0…P7 (P7 repeats P0; P2 is point C), the face angles and the
// "1：…" slope texts of the two faces.
struct LeaningGeometry {
  std::array<LeaningPoint, 8> outline{};
  float h_body = 0;            // h′ = H − D1, height of the wall body
  float run = 0;               // L1 + T1 + T2 − B
  float b_a = 0;               // B_A = B − L1, width of the body at its foot
  float theta_front = 0;       // θf, front face from the horizontal, radians
  float theta_back = 0;        // θb, back face from the horizontal, radians
  float theta_back_deg = 0;    // θb in degrees; α is formed from it
  double theta_front_deg = 0;  // θf in degrees (figures only)
  double front_slope = 0;      // |tan(90° − θf)|, run per unit rise of the front face
  double back_slope = 0;       // |tan(90° − θb)|
};

// Earth pressure over the whole height H. Chapter 3 prints φ, β, α (F2), K_A and the six
// components; figure 2 draws the thrust at (x1, y1) in the direction α + δ with the δ and α arcs
// and the label "α=" (α formatted "0.000"), and dimensions the point from the heel.
struct LeaningEarthPressure {
  float phi_r = 0;             // φ, radians
  float beta_r = 0;            // β, radians
  float delta = 0;             // δ = 2/3 φ, radians
  float alpha_deg = 0;         // α = θb − 90°, degrees (negative for an overhanging back face)
  float alpha = 0;             // α, radians, converted from alpha_deg
  float alpha_delta = 0;       // α + δ, radians: the one sum every component uses
  float ka = 0;                // K_A; 0 when the coefficient failed
  bool ka_failed = false;      // the report shows kCoulombKaFailure
  float pha = 0, pva = 0;      // P_HA, P_VA: the backfill
  float phq = 0, pvq = 0;      // P_Hq, P_Vq: the surcharge
  float ph = 0, pv = 0;        // P_H, P_V
  float n = 0;                 // tan(π/2 − θb): run per unit height of the back face
  float x1 = 0, y1 = 0;        // point of application of P_HA, P_VA (at H/3 on the back-face line)
  float x2 = 0, y2 = 0;        // point of application of P_Hq, P_Vq (at H/2)
  double x1_from_heel_mm = 0;  // (x1 − B) × 1000, the horizontal dimension of figure 2
};

// One row of a self-weight table.
struct LeaningWeightRow {
  float a = 0;        // area, m2
  float gamma_c = 0;  // γc
  float v = 0;        // weight
  float x = 0;        // arm
  float m = 0;        // moment
};

// Chapter 4: self-weight table (rows W1, W2, W3 and the totals of their printed cells), loads and
// moments tables, d, e, B/6, Fs, q1, q2 and three verdicts. Figure 3 draws q1, q2 and d.
struct LeaningStability {
  std::array<LeaningWeightRow, 3> rows{};  // W1, W2 (the two triangles of the body), W3 (slab)
  float sum_a = 0;                         // ΣA of the printed cells
  float sum_v_w = 0;                       // ΣV_W of the printed cells
  float sum_m_w = 0;                       // ΣM_W of the printed cells
  float sum_v = 0;                         // ΣV = ΣV_W + P_VA + P_Vq
  float sum_h = 0;                         // ΣH = P_HA + P_Hq
  double m_pva = 0;                        // P_VA·x1 (moments table only)
  double m_pvq = 0;                        // P_Vq·x2
  double m_pha = 0;                        // P_HA·y1
  double m_phq = 0;                        // P_Hq·y2
  float mr = 0;                            // resisting moment about the toe
  float m = 0;                             // overturning moment about the toe
  float d = 0;                             // resultant from the toe
  float e = 0;   // B/2 − d, signed (negative behind the centre); the checks use |e|
  float b6 = 0;  // B/6
  float fs = 0;  // ΣV·tanφB / ΣH
  float q1 = 0;  // smaller edge reaction, ΣV/B·(1 − 6|e|/B); 0 beyond the middle third
  float q2 = 0;  // larger edge reaction, ΣV/B·(1 + 6|e|/B); 2·ΣV/(3·d′) beyond it
  GroundReaction reaction;            // at the toe and the heel, from the signed e
  CheckValue overturning;             // |e| < B/6
  CheckValue sliding;                 // Fs > Fsa
  CheckValue bearing_q1, bearing_q2;  // q1 < qa, q2 < qa
};

// Section A-A, the foot of the wall body; origin C = P2, y from the top of the base slab.
// Chapter 4.5 (1) prints every field; figure 3 marks d_A and x_A ("xa").
struct WallSectionCheck {
  float h_body = 0;                        // h′
  float pha = 0, pva = 0;                  // P_HA′, P_VA′
  float phq = 0, pvq = 0;                  // P_Hq′, P_Vq′
  double ph = 0, pv = 0;                   // P_HA′ + P_Hq′, P_VA′ + P_Vq′ (printed only)
  std::array<LeaningWeightRow, 2> rows{};  // W1, W2 with arms from C
  float sum_a = 0;                         // ΣA′ (unrounded sums, unlike the stability table)
  float sum_w = 0;                         // ΣW′
  float sum_m_w = 0;                       // ΣM_W′
  float sum_v = 0;                         // ΣV_A = P_VA′ + ΣW′ + P_Vq′
  float s = 0;                             // S_A = P_HA′ + P_Hq′
  float xv1 = 0, xv2 = 0;                  // arms of P_VA′, P_Vq′
  float yh1 = 0, yh2 = 0;                  // arms of P_HA′, P_Hq′
  double m_pva = 0, m_pvq = 0;             // P_VA′·xV1, P_Vq′·xV2 (moments table only)
  double m_pha = 0, m_phq = 0;             // P_HA′·yH1, P_Hq′·yH2
  float mr = 0;                            // Mr_A
  float m = 0;                             // M_A
  float d = 0;                             // d_A, resultant from C
  float b_a = 0;                           // B_A = B − L1
  float x_a = 0;                           // B_A/2 − d_A, signed; the checks use |x_A|
  float b_a6 = 0;                          // B_A/6
  bool within_middle_third = false;  // B_A/6 > |x_A|: no tension ("引っ張り応力は生じない")
  float sigma1 = 0, sigma2 = 0;      // extreme-fibre stresses, t/m2 or kN/m2
  double sigma1_printed = 0;         // σ1 × 0.1 shown (ShownStress), in kg/cm2 or N/mm2
  double sigma2_printed = 0;
  CheckValue sigma_check;    // σ2 × 0.1 < σcac, in the allowables' unit
  CheckValue tension_check;  // |σ1| × 0.1 < σcat, when σ1 < 0
  float tau = 0;             // S_A / B_A, t/m2 or kN/m2
  double tau_printed = 0;    // τ × 0.1 shown
  CheckValue tau_check;      // τ × 0.1 < τa
};

// Section B-B, the toe slab as a cantilever from the front face, under the reactions at the toe
// and the heel from the signed e (qt at the toe, qh at the heel; they are q2, q1 when the
// resultant lies toward the toe). Chapter 4.5 (2) prints qt as "q1" and qh as "q2".
struct BaseSlabCheck {
  float qt = 0;   // reaction at the toe (the stability's reaction)
  float qh = 0;   // reaction at the heel
  float q_b = 0;  // reaction at the section, qt + L1/B·(qh − qt) for the trapezoid
  // S_B = (qt + q_B)/2·L1 − γc·L1·D1 and M_B = (2qt + q_B)/6·L1² − γc·D1·L1²/2 for the
  // trapezoid; for the triangle the same integrals over the loaded part of the toe slab.
  float s = 0;
  float m = 0;
  float sigma = 0;           // 6·M_B / D1², printed with "±"
  double sigma_printed = 0;  // σ × 0.1 shown (ShownStress)
  float sigma_limit = 0;     // the smaller of σcac and σcat (σcat when equal)
  CheckValue sigma_check;    // σ × 0.1 < the limit
  float tau = 0;             // S_B / D1
  double tau_printed = 0;    // τ × 0.1 shown
  CheckValue tau_check;      // τ × 0.1 < τa
};

// Everything the leaning report and its three figures take from the calculation:
// - chapter 1 prints the inputs (LeaningInputs; stresses ÷ StressUnitFactor, soil name from
//   soil_kind);
// - chapter 2 and figure 1: geometry (outline, slopes) and β, q from the inputs;
// - chapter 3 and figure 2: earth (α, K_A, components, x1…y2, δ, α + δ, x1_from_heel_mm);
// - chapter 4: stability (tables, d, e, B/6, Fs, q1, q2, verdicts); figure 3 takes q1, q2, d and,
//   for "xa", wall.d and wall.x_a;
// - chapter 4.5: wall (section A-A) and slab (section B-B), their printed stresses and verdicts.
struct LeaningCalculation {
  LeaningGeometry geometry;
  LeaningEarthPressure earth;
  LeaningStability stability;
  WallSectionCheck wall;
  BaseSlabCheck slab;
};

// Throws CalculationError for a section the calculation cannot form: values that are not finite,
// D1 not positive, H not above D1, negative L1, T1 or T2, B not beyond L1, sizes whose millimetre
// labels overflow.
void CheckLeaningInputs(const LeaningInputs& in);

LeaningGeometry ComputeLeaningGeometry(const LeaningInputs& in);

// A failed coefficient reads 0 and sets ka_failed; the calculation then stops on ΣH = 0.
LeaningEarthPressure ComputeLeaningEarthPressure(const LeaningInputs& in, const LeaningGeometry& g);

// Throws CalculationError when ΣV is not positive, ΣH is 0 or a result is not finite.
LeaningStability ComputeLeaningStability(const LeaningInputs& in, const LeaningGeometry& g,
                                         const LeaningEarthPressure& p);

// Throws CalculationError when ΣV_A is not positive or a result is not finite.
WallSectionCheck ComputeWallSectionCheck(const LeaningInputs& in, const LeaningGeometry& g,
                                         const LeaningEarthPressure& p);

// Throws CalculationError when a result is not finite.
BaseSlabCheck ComputeBaseSlabCheck(const LeaningInputs& in, const LeaningStability& s);

// The whole calculation in the order of the report (checks the inputs first).
LeaningCalculation ComputeLeaning(const LeaningInputs& in);

}  // namespace ktv
