#include "families/gravity/gravity_calculation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/errors.h"
#include "app/format.h"
#include "app/units.h"
#include "app/verdict.h"
#include "earth_pressure/earth_pressure.h"

namespace ktv {
namespace {

constexpr double kPiD = static_cast<double>(kPi);

float F(double v) { return StoreFloat(v); }

constexpr const char* kZeroBaseWidth = "底版幅B（T1+T2+T3）が0です。";

[[noreturn]] void Fail(const std::string& cause) {
  throw CalculationError("重力式擁壁の計算ができません：" + cause);
}

void RequireFinite(float v, const char* name) {
  if (!std::isfinite(v)) Fail(std::string(name) + "が数値として定まりません。");
}

}  // namespace

void CheckGravityInputs(const GravityInputs& in) {
  const std::pair<float, const char*> all[] = {{in.gamma_c, "γc"},
                                               {in.sigma_ck, "σck"},
                                               {in.sigma_cac, "σcac"},
                                               {in.sigma_cat, "σcat"},
                                               {in.gamma, "γ"},
                                               {in.phi, "φ"},
                                               {in.c, "C"},
                                               {in.tan_phi_b, "tanφB"},
                                               {in.q, "q"},
                                               {in.qa, "qa"},
                                               {in.fsa, "Fsa"},
                                               {in.h, "H"},
                                               {in.t00, "T1"},
                                               {in.t01, "T2"},
                                               {in.t02, "T3"},
                                               {in.beta, "β"}};
  for (const auto& [v, name] : all) {
    if (!std::isfinite(v)) Fail("入力値" + std::string(name) + "が数値ではありません。");
  }
  if (!(in.h > 0)) Fail("擁壁の高さHが0以下です。");
  if (in.t00 < 0) Fail("前面の勾配幅T1が負の値です。");
  if (in.t01 < 0) Fail("天端幅T2が負の値です。");
  if (in.t02 < 0) Fail("背面の勾配幅T3が負の値です。");
  const float b = F(static_cast<double>(in.t00) + in.t01 + in.t02);
  if (!(b > 0)) Fail(kZeroBaseWidth);
  // The figures label the sizes in millimetres; a size beyond that range would print as "Inf".
  const std::pair<float, const char*> sizes[] = {
      {in.h, "H"}, {in.t00, "T1"}, {in.t01, "T2"}, {in.t02, "T3"}, {b, "底版幅B"}};
  for (const auto& [v, name] : sizes) {
    if (!std::isfinite(MillimetresOf(v))) {
      Fail("寸法" + std::string(name) + "が大きすぎます。");
    }
  }
}

GravityEarthPressure ComputeGravityEarthPressure(float phi, float gamma, float q, float h,
                                                 float t02, float beta) {
  GravityEarthPressure p;
  p.phi_r = F(static_cast<double>(phi) * kPiD / 180.0);
  p.beta_r = F(static_cast<double>(beta) * kPiD / 180.0);
  p.delta = F(2.0 / 3.0 * p.phi_r);
  p.alpha = FaceAngle(t02, h);
  const auto ka = CoulombKa(p.phi_r, p.beta_r, p.alpha, p.delta);
  p.ka_failed = !ka.has_value();
  p.ka = F(ValueOrZero(ka));
  p.theta = F(static_cast<double>(p.alpha) + p.delta);
  const double hh = static_cast<double>(h) * h;
  const double k = static_cast<double>(gamma) * 0.5 * p.ka;
  const double c = std::cos(static_cast<double>(p.theta));
  const double s = std::sin(static_cast<double>(p.theta));
  p.pha = F(hh * k * c);
  p.pva = F(hh * k * s);
  const double kqh = static_cast<double>(p.ka) * q * h;
  p.phq = F(kqh * c);
  p.pvq = F(kqh * s);
  p.ph = F(static_cast<double>(p.pha) + p.phq);
  p.pv = F(static_cast<double>(p.pva) + p.pvq);
  return p;
}

SelfWeightTable ComputeSelfWeightTable(float gamma_c, float t00, float t01, float t02, float h) {
  SelfWeightTable t;
  double sum_a = 0, sum_v = 0, sum_m = 0;
  const float b = F(static_cast<double>(t00) + t01 + t02);
  auto add = [&](const char* name, double area, double arm) {
    SelfWeightRow& r = t.rows[t.count++];
    r.name = name;
    r.a = F(area);
    r.gamma_c = gamma_c;
    r.v = F(static_cast<double>(r.a) * gamma_c);
    r.x = F(arm);
    r.m = F(static_cast<double>(r.v) * r.x);
    sum_a += AsPrinted(r.a);
    sum_v += AsPrinted(r.v);
    sum_m += AsPrinted(r.m);
  };
  const double h_d = h;
  if (t00 > 0) add("W1", t00 * 0.5 * h_d, 2.0 * t00 / 3.0);
  add("W2", static_cast<double>(t01) * h_d, t00 + 0.5 * t01);
  if (t02 > 0) add("W3", 0.5 * h_d * t02, b - 2.0 * t02 / 3.0);
  // Summed exactly and stored once: the totals are the nearest floats to the printed sums.
  t.sum_a = F(sum_a);
  t.sum_v = F(sum_v);
  t.sum_m = F(sum_m);
  return t;
}

ResultantAndChecks ComputeResultantAndChecks(float sum_v_w, float sum_m_w,
                                             const GravityEarthPressure& earth, float t00,
                                             float t01, float t02, float h, float qa, float fsa,
                                             float tan_phi_b) {
  ResultantAndChecks r;
  r.b = F(static_cast<double>(t00) + t01 + t02);
  if (r.b == 0) Fail(kZeroBaseWidth);
  r.sum_v = F(static_cast<double>(sum_v_w) + earth.pv);
  r.sum_h = earth.ph;
  r.xp = F(static_cast<double>(t00) + t01 + 2.0 * t02 / 3.0);
  r.yp = F(static_cast<double>(h) / 3.0);
  r.m_pv = F(static_cast<double>(r.xp) * earth.pv);
  r.m_ph = F(static_cast<double>(r.yp) * earth.ph);
  r.mr = F(sum_m_w + static_cast<double>(r.xp) * earth.pv);
  r.m = F(static_cast<double>(r.yp) * earth.ph);
  if (r.sum_v == 0) Fail("鉛直力の合計ΣVが0です。");
  r.d = F((static_cast<double>(r.mr) - r.m) / r.sum_v);
  r.e = F(r.b / 2.0 - r.d);
  r.b6 = F(r.b / 6.0);
  // The middle third is a limit on both sides of the centre: a resultant far behind the centre
  // must fail as well as one far in front of it.
  r.overturning = MakeCheck(std::fabs(r.e), r.b6, SafeSide::Below);
  // The bearing chapter states where the resultant lies with the overturning check's limit: at
  // |e| = B/6 it is no longer inside.
  r.within_middle_third = std::fabs(r.e) < r.b6;
  if (r.sum_h == 0) {
    Fail(earth.ka == 0 ? "水平力の合計ΣHが0です（主働土圧係数Ka=0）。" : "水平力の合計ΣHが0です。");
  }
  r.fs = F(static_cast<double>(r.sum_v) * tan_phi_b / r.sum_h);
  r.sliding = MakeCheck(r.fs, fsa, SafeSide::Above);
  const double ratio = 6.0 * r.e / r.b;
  const double mean = static_cast<double>(r.sum_v) / r.b;
  r.q1_linear = F((ratio + 1.0) * mean);
  r.q2_linear = F((1.0 - ratio) * mean);
  // Beyond the middle third soil cannot pull: the reaction is a triangle, whose edge value is
  // larger than the trapezoid's.
  r.reaction =
      MakeGroundReaction(std::fabs(r.e) > r.b6, r.sum_v, r.b, r.d, r.e, r.q1_linear, r.q2_linear);
  r.q1 = r.reaction.q_toe;
  r.q2 = r.reaction.q_heel;
  r.bearing_q1 = BearingCheck(r.reaction, r.q1, qa);
  r.bearing_q2 = BearingCheck(r.reaction, r.q2, qa);
  const std::pair<float, const char*> results[] = {{r.sum_v, "ΣV"}, {r.sum_h, "ΣH"}, {r.mr, "Mr"},
                                                   {r.m, "M"},      {r.d, "d"},      {r.e, "e"},
                                                   {r.fs, "Fs"},    {r.q1, "q1"},    {r.q2, "q2"}};
  for (const auto& [v, name] : results) RequireFinite(v, name);
  return r;
}

BodyStress CheckBodyStress(float q1, float q2, float sigma_cac, float sigma_cat) {
  BodyStress s;
  s.sigma_c1 = F(q1 * 0.1);
  s.sigma_c2 = F(q2 * 0.1);
  // Each stress is checked, so the larger one decides wherever the resultant lies; tension exactly
  // when the smaller one is negative.
  s.sigma_c1_check = MakeCheck(s.sigma_c1, sigma_cac, SafeSide::Below);
  s.sigma_c2_check = MakeCheck(s.sigma_c2, sigma_cac, SafeSide::Below);
  s.tension = std::min(s.sigma_c1, s.sigma_c2) < 0;
  s.tension_check =
      MakeCheck(std::fabs(std::min(s.sigma_c1, s.sigma_c2)), sigma_cat, SafeSide::Below);
  return s;
}

GravityCalculation ComputeGravity(const GravityInputs& in) {
  CheckGravityInputs(in);
  GravityCalculation c;
  c.earth = ComputeGravityEarthPressure(in.phi, in.gamma, in.q, in.h, in.t02, in.beta);
  const GravityEarthPressure& p = c.earth;
  const std::pair<float, const char*> pressures[] = {{p.ka, "Ka"},   {p.pha, "PHA"}, {p.pva, "PVA"},
                                                     {p.phq, "PHq"}, {p.pvq, "PVq"}, {p.ph, "PH"},
                                                     {p.pv, "PV"}};
  for (const auto& [v, name] : pressures) RequireFinite(v, name);
  GravityResults& r = c.results;
  r.self_weight = ComputeSelfWeightTable(in.gamma_c, in.t00, in.t01, in.t02, in.h);
  for (int i = 0; i < r.self_weight.count; ++i) {
    const SelfWeightRow& row = r.self_weight.rows[i];
    RequireFinite(row.a, "断面積");
    RequireFinite(row.v, "自重");
    RequireFinite(row.m, "自重のモーメント");
  }
  r.checks = ComputeResultantAndChecks(r.self_weight.sum_v, r.self_weight.sum_m, c.earth, in.t00,
                                       in.t01, in.t02, in.h, in.qa, in.fsa, in.tan_phi_b);
  r.body = CheckBodyStress(r.checks.q1_linear, r.checks.q2_linear, in.sigma_cac, in.sigma_cat);
  // Every value the report prints: a step that overflowed ends the calculation here instead of
  // printing "Inf".
  const SelfWeightTable& w = r.self_weight;
  const ResultantAndChecks& k = r.checks;
  const std::pair<float, const char*> printed[] = {{p.phi_r, "φ"},
                                                   {p.beta_r, "β"},
                                                   {p.alpha, "α"},
                                                   {p.delta, "δ"},
                                                   {p.theta, "α+δ"},
                                                   {w.sum_a, "断面積の合計"},
                                                   {w.sum_v, "自重の合計"},
                                                   {w.sum_m, "自重のモーメントの合計"},
                                                   {k.b, "B"},
                                                   {k.xp, "xP"},
                                                   {k.yp, "yP"},
                                                   {k.m_pv, "xP・PV"},
                                                   {k.m_ph, "yP・PH"},
                                                   {k.b6, "B/6"},
                                                   {r.body.sigma_c1, "σc1"},
                                                   {r.body.sigma_c2, "σc2"}};
  for (const auto& [v, name] : printed) RequireFinite(v, name);
  for (int i = 0; i < w.count; ++i) RequireFinite(w.rows[i].x, "自重の作用位置");
  return c;
}

}  // namespace ktv
