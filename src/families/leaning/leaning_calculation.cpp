#include "families/leaning/leaning_calculation.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/errors.h"
#include "app/format.h"
#include "app/units.h"
#include "earth_pressure/earth_pressure.h"

namespace ktv {
namespace {

constexpr double kPiD = static_cast<double>(kPi);
// π/2 in the slope n of the back face, to eight digits (not kPi / 2).
constexpr double kQuarterTurn = 1.5707963;

float F(double v) { return StoreFloat(v); }
double D(float v) { return static_cast<double>(v); }

[[noreturn]] void Fail(const std::string& cause) {
  throw CalculationError("もたれ式擁壁の計算ができません：" + cause);
}

void RequireFinite(std::initializer_list<std::pair<double, const char*>> values) {
  for (const auto& [v, name] : values) {
    if (!std::isfinite(v)) Fail(std::string(name) + "が数値として定まりません。");
  }
}

// A stress in t/m2 or kN/m2 in the unit of the allowable stresses (kg/cm2 or N/cm2), as the
// 32-bit value that is compared.
float InAllowableUnit(float stress) { return F(D(stress) * 0.1); }

// The same stress as printed: kg/cm2 or N/mm2, formed in double from the stress.
double AsPrintedStress(float stress, bool is_si) { return ShownStress(D(stress) * 0.1, is_si); }

// A stress checked against its allowable, and its printed value.
// A stress of either sign is checked by its magnitude: a negative moment or shear stresses the
// section as much as a positive one.
CheckValue StressCheck(float stress, float allowable, double& printed, bool is_si) {
  printed = AsPrintedStress(stress, is_si);
  return MakeCheck(std::fabs(InAllowableUnit(stress)), allowable, SafeSide::Below);
}

double SlopeOf(double theta_deg) { return std::fabs(std::tan((90.0 - theta_deg) / 180.0 * kPiD)); }

// Backfill and surcharge thrust over a height, inclined at α + δ.
struct Thrust {
  float ha = 0, va = 0, hq = 0, vq = 0;
};
Thrust ThrustOver(double height, const LeaningInputs& in, const LeaningEarthPressure& p) {
  const double k = D(in.gamma) * 0.5 * p.ka;
  const double c = std::cos(D(p.alpha_delta));
  const double s = std::sin(D(p.alpha_delta));
  const double kqh = D(p.ka) * in.q * height;
  return {F(height * height * k * c), F(height * height * k * s), F(kqh * c), F(kqh * s)};
}

LeaningWeightRow Row(double area, float gamma_c, double arm) {
  LeaningWeightRow r;
  r.a = F(area);
  r.gamma_c = gamma_c;
  r.v = F(D(r.a) * gamma_c);
  r.x = F(arm);
  r.m = F(D(r.v) * r.x);
  return r;
}

}  // namespace

void CheckLeaningInputs(const LeaningInputs& in) {
  const std::pair<float, const char*> all[] = {{in.gamma_c, "γc"},
                                               {in.sigma_ck, "σck"},
                                               {in.sigma_cac, "σcac"},
                                               {in.sigma_cat, "σcat"},
                                               {in.tau_a, "τa"},
                                               {in.gamma, "γ"},
                                               {in.phi, "φ"},
                                               {in.c, "C"},
                                               {in.q, "q"},
                                               {in.tan_phi_b, "tanφB"},
                                               {in.qa, "qa"},
                                               {in.fsa, "Fsa"},
                                               {in.h, "H"},
                                               {in.d1, "D1"},
                                               {in.l1, "L1"},
                                               {in.t1, "T1"},
                                               {in.t2, "T2"},
                                               {in.b, "B"},
                                               {in.beta, "β"}};
  for (const auto& [v, name] : all) {
    if (!std::isfinite(v)) Fail("入力値" + std::string(name) + "が数値ではありません。");
  }
  // The toe slab's stresses divide by D1, the body's by B − L1 and its pressure acts over H − D1.
  if (!(in.d1 > 0)) Fail("底版の厚さD1が0以下です。");
  if (!(in.h > in.d1)) Fail("たて壁の高さH−D1が0以下です。");
  if (in.l1 < 0) Fail("つま先の長さL1が負の値です。");
  if (in.t1 < 0) Fail("前面の勾配幅T1が負の値です。");
  if (in.t2 < 0) Fail("天端幅T2が負の値です。");
  if (!(in.b > in.l1)) Fail("底版幅BがL1以下です（たて壁下端の幅B−L1が0以下）。");
  // The figures label the sizes in millimetres; a size beyond that range would print as "Inf".
  const std::pair<float, const char*> sizes[] = {{in.h, "H"},   {in.d1, "D1"}, {in.l1, "L1"},
                                                 {in.t1, "T1"}, {in.t2, "T2"}, {in.b, "B"}};
  for (const auto& [v, name] : sizes) {
    if (!std::isfinite(MillimetresOf(v))) Fail("寸法" + std::string(name) + "が大きすぎます。");
  }
}

LeaningGeometry ComputeLeaningGeometry(const LeaningInputs& in) {
  LeaningGeometry g;
  g.h_body = F(D(in.h) - in.d1);
  g.run = F(D(in.l1) + in.t1 + in.t2 - in.b);
  g.b_a = F(D(in.b) - in.l1);
  const float top_front = F(D(in.l1) + in.t1);
  const float top_back = F(D(in.l1) + in.t1 + in.t2);
  g.outline = {{{0, 0},
                {0, in.d1},
                {in.l1, in.d1},
                {top_front, in.h},
                {top_back, in.h},
                {in.b, in.d1},
                {in.b, 0},
                {0, 0}}};
  g.theta_front = FaceAngle(g.h_body, in.t1);
  g.theta_back = FaceAngle(g.h_body, g.run);
  g.theta_back_deg = RadToDeg(g.theta_back);
  g.theta_front_deg = D(g.theta_front) / kPiD * 180.0;
  g.front_slope = SlopeOf(g.theta_front_deg);
  g.back_slope = SlopeOf(g.theta_back_deg);
  return g;
}

LeaningEarthPressure ComputeLeaningEarthPressure(const LeaningInputs& in,
                                                 const LeaningGeometry& g) {
  LeaningEarthPressure p;
  p.alpha_deg = F(D(g.theta_back_deg) - 90.0);
  p.alpha = DegToRad(p.alpha_deg);
  p.phi_r = DegToRad(in.phi);
  p.beta_r = DegToRad(in.beta);
  p.delta = F(2.0 / 3.0 * p.phi_r);
  // From α in degrees: the stored radians would round α twice.
  p.alpha_delta = F(D(p.alpha_deg) / 180.0 * kPiD + p.delta);
  const auto ka = CoulombKa(p.phi_r, p.beta_r, p.alpha, p.delta);
  p.ka_failed = !ka.has_value();
  p.ka = F(ValueOrZero(ka));
  const double h = in.h;
  const Thrust t = ThrustOver(h, in, p);
  p.pha = t.ha, p.pva = t.va, p.phq = t.hq, p.pvq = t.vq;
  p.ph = F(D(p.pha) + p.phq);
  p.pv = F(D(p.pva) + p.pvq);
  // The thrust acts on the line of the back face extended to the underside of the slab, at one
  // third (backfill) and one half (surcharge) of the total height; x first from the heel corner.
  p.n = F(std::tan(kQuarterTurn - g.theta_back));
  p.x1 = F(D(in.b) + F(D(g.run) - 2.0 / 3.0 * h * p.n));
  p.x2 = F(D(in.b) + F(D(g.run) - 1.0 / 2.0 * h * p.n));
  p.y1 = F(h / 3.0 + in.d1 - in.d1);
  p.y2 = F(h / 2.0 + in.d1 - in.d1);
  p.x1_from_heel_mm = MillimetresExact(D(p.x1) - in.b);
  return p;
}

LeaningStability ComputeLeaningStability(const LeaningInputs& in, const LeaningGeometry& g,
                                         const LeaningEarthPressure& p) {
  LeaningStability s;
  const double b = in.b, l1 = in.l1, t1 = in.t1, t2 = in.t2, h_body = D(in.h) - in.d1;
  const double b_a = b - l1;
  s.rows[0] = Row(b_a * 0.5 * h_body, in.gamma_c, l1 + b_a / 2 + (t1 - b_a / 2) / 3);
  s.rows[1] = Row(t2 * 0.5 * h_body, in.gamma_c, l1 + t1 + t2 / 2 + (t2 / 2 - g.run) / 3);
  s.rows[2] = Row(b * in.d1, in.gamma_c, b * 0.5);
  double sum_a = 0, sum_v = 0, sum_m = 0;
  for (const LeaningWeightRow& r : s.rows) {
    sum_a += AsPrinted(r.a);
    sum_v += AsPrinted(r.v);
    sum_m += AsPrinted(r.m);
  }
  s.sum_a = F(sum_a);
  s.sum_v_w = F(sum_v);
  s.sum_m_w = F(sum_m);
  RequireFinite({{s.rows[0].m, "W1"}, {s.rows[1].m, "W2"}, {s.rows[2].m, "W3"}});

  s.sum_v = F(D(s.sum_v_w) + p.pva + p.pvq);
  s.sum_h = F(D(p.pha) + p.phq);
  s.m_pva = D(p.pva) * p.x1;
  s.m_pvq = D(p.pvq) * p.x2;
  s.m_pha = D(p.pha) * p.y1;
  s.m_phq = D(p.phq) * p.y2;
  s.mr = F(D(s.sum_m_w) + s.m_pva + s.m_pvq);
  s.m = F(s.m_phq + s.m_pha);
  RequireFinite({{s.sum_v, "ΣV"}, {s.sum_h, "ΣH"}, {s.mr, "Mr"}, {s.m, "M"}});
  // An upward resultant leaves the wall without bearing: d, e and the reactions mean nothing.
  if (s.sum_v == 0) Fail("鉛直力の合計ΣVが0です。");
  if (s.sum_v < 0) Fail("鉛直力の合計ΣVが負の値です（擁壁が浮き上がります）。");
  s.d = F((D(s.mr) - s.m) / s.sum_v);
  s.e = F(b / 2 - s.d);
  s.b6 = F(b / 6);
  s.overturning = MakeCheck(std::fabs(s.e), s.b6, SafeSide::Below);
  if (s.sum_h == 0) {
    Fail(p.ka == 0 ? "水平力の合計ΣHが0です（主働土圧係数Ka=0）。" : "水平力の合計ΣHが0です。");
  }
  s.fs = F(D(s.sum_v) * in.tan_phi_b / s.sum_h);
  s.sliding = MakeCheck(s.fs, in.fsa, SafeSide::Above);
  const double mean = D(s.sum_v) / b;
  const double ratio = 6 * D(std::fabs(s.e)) / b;
  const double signed_ratio = 6 * D(s.e) / b;
  s.reaction = MakeGroundReaction(std::fabs(s.e) > s.b6, s.sum_v, in.b, s.d, s.e,
                                  F(mean * (1 + signed_ratio)), F(mean * (1 - signed_ratio)));
  if (s.reaction.triangular) {
    s.q1 = 0;
    s.q2 = std::max(s.reaction.q_toe, s.reaction.q_heel);
  } else {
    s.q1 = F(mean * (1 - ratio));
    s.q2 = F(mean * (1 + ratio));
  }
  s.bearing_q1 = BearingCheck(s.reaction, s.q1, in.qa);
  s.bearing_q2 = BearingCheck(s.reaction, s.q2, in.qa);
  RequireFinite({{s.d, "d"}, {s.e, "e"}, {s.fs, "Fs"}, {s.q1, "q1"}, {s.q2, "q2"}});
  return s;
}

WallSectionCheck ComputeWallSectionCheck(const LeaningInputs& in, const LeaningGeometry& g,
                                         const LeaningEarthPressure& p) {
  WallSectionCheck w;
  w.h_body = F(D(in.h) - in.d1);
  const double h = w.h_body;
  const Thrust t = ThrustOver(h, in, p);
  w.pha = t.ha, w.pva = t.va, w.phq = t.hq, w.pvq = t.vq;
  w.ph = D(w.pha) + w.phq;
  w.pv = D(w.pva) + w.pvq;

  const double b_a = D(in.b) - in.l1, t1 = in.t1, t2 = in.t2;
  w.rows[0] = Row(b_a * 0.5 * h, in.gamma_c, (t1 - b_a / 2) / 3 + b_a / 2);
  w.rows[1] = Row(t2 * 0.5 * h, in.gamma_c, t1 + t2 / 2 + (t2 / 2 - g.run) / 3);
  w.sum_a = F(D(w.rows[0].a) + w.rows[1].a);
  w.sum_w = F(D(w.rows[0].v) + w.rows[1].v);
  w.sum_m_w = F(D(w.rows[0].m) + w.rows[1].m);
  w.sum_v = F(D(w.pva) + w.sum_w + w.pvq);
  w.s = F(D(w.pha) + w.phq);

  const double run = D(in.t1) + in.t2 + in.l1 - in.b;
  w.xv1 = F(run / 3 + b_a);
  w.xv2 = F(run / 2 + b_a);
  w.yh1 = F(h / 3);
  w.yh2 = F(h / 2);
  w.m_pva = D(w.pva) * w.xv1;
  w.m_pvq = D(w.pvq) * w.xv2;
  w.m_pha = D(w.pha) * w.yh1;
  w.m_phq = D(w.phq) * w.yh2;
  w.mr = F(w.m_pva + w.sum_m_w + w.m_pvq);
  w.m = F(w.m_phq + w.m_pha);
  RequireFinite({{w.sum_v, "ΣVA"}, {w.s, "SA"}, {w.mr, "MrA"}, {w.m, "MA"}});
  // The stresses below hold for a compressive resultant only.
  if (w.sum_v == 0) Fail("たて壁下端の鉛直力の合計ΣVAが0です。");
  if (w.sum_v < 0) Fail("たて壁下端の鉛直力の合計ΣVAが負の値です（たて壁が浮き上がります）。");
  w.d = F((D(w.mr) - w.m) / w.sum_v);
  w.b_a = F(b_a);
  w.x_a = F(D(w.b_a) / 2 - w.d);
  w.b_a6 = F(D(w.b_a) / 6);
  const double x_a = std::fabs(w.x_a);
  w.within_middle_third = w.b_a6 > x_a;
  const double mean = D(w.sum_v) / w.b_a;
  w.sigma1 = F((1 - 6 * x_a / w.b_a) * mean);
  w.sigma2 = F((1 + 6 * x_a / w.b_a) * mean);
  w.sigma1_printed = AsPrintedStress(w.sigma1, in.is_si);
  w.sigma_check = StressCheck(w.sigma2, in.sigma_cac, w.sigma2_printed, in.is_si);
  // The plain-concrete body in tension at the toe face: that stress against σcat.
  double sigma1_shown = 0;
  w.tension_check = StressCheck(w.sigma1, in.sigma_cat, sigma1_shown, in.is_si);
  w.tau = F(D(w.s) / w.b_a);
  w.tau_check = StressCheck(w.tau, in.tau_a, w.tau_printed, in.is_si);
  RequireFinite({{w.d, "dA"}, {w.x_a, "xA"}, {w.sigma1, "σ1"}, {w.sigma2, "σ2"}, {w.tau, "τ"}});
  return w;
}

BaseSlabCheck ComputeBaseSlabCheck(const LeaningInputs& in, const LeaningStability& s) {
  BaseSlabCheck k;
  // The toe carries the reaction at its own edge: qt is the larger one when the resultant lies
  // toward the toe, which q1 (always the smaller) is not.
  const double b = in.b, l1 = in.l1, d1 = in.d1, gamma_c = in.gamma_c;
  const GroundReaction& r = s.reaction;
  k.qt = r.q_toe;
  k.qh = r.q_heel;
  if (!r.triangular) {
    k.q_b = F(D(k.qt) + l1 / b * (D(k.qh) - k.qt));
    k.s = F((D(k.qt) + k.q_b) / 2 * l1 - gamma_c * l1 * d1);
    k.m = F((2 * D(k.qt) + k.q_b) / 6 * (l1 * l1) - gamma_c * d1 * (l1 * l1) / 2);
  } else {
    // The triangle reaches over part of the toe slab only: integrate it where it presses, the
    // shear and the moment about the section at L1.
    k.q_b = F(r.At(l1));
    const GroundReaction::Load load = r.Over(0, l1, l1);
    k.s = F(load.force - gamma_c * l1 * d1);
    k.m = F(load.moment - gamma_c * d1 * (l1 * l1) / 2);
  }
  k.sigma = F(6 * D(k.m) / (d1 * d1));
  k.sigma_limit = in.sigma_cac < in.sigma_cat ? in.sigma_cac : in.sigma_cat;
  k.sigma_check = StressCheck(k.sigma, k.sigma_limit, k.sigma_printed, in.is_si);
  k.tau = F(D(k.s) / d1);
  k.tau_check = StressCheck(k.tau, in.tau_a, k.tau_printed, in.is_si);
  RequireFinite({{k.qt, "q1"},
                 {k.qh, "q2"},
                 {k.q_b, "qB"},
                 {k.s, "SB"},
                 {k.m, "MB"},
                 {k.sigma, "σ"},
                 {k.tau, "τ"}});
  return k;
}

LeaningCalculation ComputeLeaning(const LeaningInputs& in) {
  CheckLeaningInputs(in);
  LeaningCalculation c;
  c.geometry = ComputeLeaningGeometry(in);
  c.earth = ComputeLeaningEarthPressure(in, c.geometry);
  const LeaningEarthPressure& p = c.earth;
  RequireFinite({{p.ka, "Ka"},
                 {p.pha, "PHA"},
                 {p.pva, "PVA"},
                 {p.phq, "PHq"},
                 {p.pvq, "PVq"},
                 {p.ph, "PH"},
                 {p.pv, "PV"},
                 {p.x1, "x1"},
                 {p.x2, "x2"}});
  c.stability = ComputeLeaningStability(in, c.geometry, c.earth);
  c.wall = ComputeWallSectionCheck(in, c.geometry, c.earth);
  c.slab = ComputeBaseSlabCheck(in, c.stability);
  return c;
}

}  // namespace ktv
