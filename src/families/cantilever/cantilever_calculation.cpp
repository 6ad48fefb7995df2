#include "families/cantilever/cantilever_calculation.h"

#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/catalogue.h"
#include "earth_pressure/earth_pressure.h"
#include "families/cantilever/cantilever_common.h"
#include "families/cantilever/cantilever_members.h"

namespace ktv {
namespace {

using cantilever_detail::F;
using cantilever_detail::Fail;
using cantilever_detail::kPiD;
using cantilever_detail::RequireFinite;

constexpr const char* kSectionNames[] = {"Ａ－Ａ´", "Ｂ－Ｂ´", "Ｃ－Ｃ´", "Ｄ－Ｄ´"};

// A face angle from the vertical, negative when its batter is (the face then leans the other way).
float SignedFaceAngle(float batter, float height) {
  const float angle = FaceAngle(batter, height);
  return batter < 0 ? -angle : angle;
}

double Deg(float radians) { return static_cast<double>(radians) / kPiD * 180.0; }

void CheckBars(const CantileverInputs& in, int section) {
  for (int arrangement = 0; arrangement < 2; ++arrangement) {
    const BarPosition& bar = in.bars[2 * section + arrangement];
    if (arrangement == 1 && bar.size < 0) continue;  // no second arrangement
    auto where = [&] {
      return "断面" + std::string(kSectionNames[section]) + "の配筋" +
             std::to_string(arrangement + 1);
    };
    if (FindBarSize(in.bar_kind, bar.size) == nullptr)
      Fail(where() + "の鉄筋径が一覧にありません。");
    if (bar.ctc <= 0) Fail(where() + "の間隔＠が0以下です。");
  }
}

}  // namespace

void CheckCantileverInputs(const CantileverInputs& in) {
  const CantileverShape& s = in.shape;
  const std::pair<float, const char*> all[] = {{in.gamma_c, "γc"},
                                               {in.sigma_ck, "σck"},
                                               {in.sigma_ca, "σca"},
                                               {in.tau_a, "τa"},
                                               {in.ec, "Ec"},
                                               {in.gamma, "γ"},
                                               {in.phi, "φ"},
                                               {in.c, "C"},
                                               {in.q, "q"},
                                               {in.kh, "kh"},
                                               {in.tan_phi_b, "tanφB"},
                                               {in.qa, "qa"},
                                               {in.qa_e, "qaE"},
                                               {in.fsa, "Fsa"},
                                               {in.fsa_e, "FsaE"},
                                               {in.sigma_sa, "σsa"},
                                               {in.sigma_sa_t, "σsaT"},
                                               {in.es, "Es"},
                                               {in.h_aa, "h"},
                                               {in.dt0, "dt"},
                                               {in.dt1, "dt"},
                                               {s.t00, "T1"},
                                               {s.t01, "T2"},
                                               {s.t02, "L2"},
                                               {s.l00, "L1"},
                                               {s.l01, "L3"},
                                               {s.l02, "L3"},
                                               {s.h, "H"},
                                               {s.d00, "D0"},
                                               {s.d01, "D1"},
                                               {s.d02, "D2"},
                                               {s.d03, "D3"},
                                               {s.d04, "D4"},
                                               {s.beta, "β"}};
  for (const auto& [v, name] : all) {
    if (!std::isfinite(v)) Fail("入力値" + std::string(name) + "が数値ではありません。");
  }
  const std::pair<float, const char*> lengths[] = {
      {s.t00, "T1"}, {s.t01, "T2"}, {s.l00, "L1"}, {s.l01, "L3"}, {s.l02, "L3"},
      {s.d00, "D0"}, {s.d01, "D1"}, {s.d02, "D2"}, {s.d03, "D3"}, {s.d04, "D4"}};
  for (const auto& [v, name] : lengths) {
    if (v < 0) Fail("寸法" + std::string(name) + "が負の値です。");
  }
  if (!(s.h > s.d01)) Fail("たて壁の高さ（H−D1）が0以下です。");
  if (!(s.h > s.d03)) Fail("たて壁の背面の高さ（H−D3）が0以下です。");
  if (!(F(static_cast<double>(s.t00) + s.t01 + s.t02) > 0)) {
    Fail("たて壁の基部の幅（L2）が0以下です。");
  }
  if (!(in.ec > 0)) Fail("コンクリートのヤング係数Ecが0以下です。");
  if (!(in.es > 0)) Fail("鉄筋のヤング係数Esが0以下です。");
  if (BarTypeName(in.bar_kind).empty() || BarGradeName(in.bar_kind, in.bar_grade).empty()) {
    Fail("鉄筋の種類または強度が一覧にありません。");
  }
  if (in.design_section_aa) {
    if (!(in.h_aa > 0) || in.h_aa > F(static_cast<double>(s.h) - s.d01)) {
      Fail("断面位置Ａ－Ａ´の天端からの高さhがたて壁の範囲（0＜h≦H−D1）にありません。");
    }
    CheckBars(in, 0);
  }
  CheckBars(in, 1);
  if (s.l00 != 0) CheckBars(in, 2);
  if (s.l02 != 0) CheckBars(in, 3);
}

CantileverAngles ComputeWallFaceAngles(const CantileverShape& shape, float phi) {
  CantileverAngles a;
  a.phi = DegToRad(phi);
  a.beta = DegToRad(shape.beta);
  a.psi_f = SignedFaceAngle(shape.t00, F(static_cast<double>(shape.h) - shape.d01));
  a.alpha = SignedFaceAngle(shape.t02, F(static_cast<double>(shape.h) - shape.d03));
  a.alpha_deg = Deg(a.alpha);
  a.beta_deg = Deg(a.beta);
  a.front_batter_ratio =
      static_cast<double>(shape.t00) / (static_cast<double>(shape.h) - shape.d01);
  return a;
}

float SeismicWallFriction(float beta, float theta, float phi) {
  const double sin_phi = std::sin(static_cast<double>(phi));
  const float s = F(std::sin(static_cast<double>(beta) + theta) / sin_phi);
  // The arcsine exists only for |s| < 1, that is β + θ < φ (the window's seismic-angle check).
  if (!(std::fabs(s) < 1)) {
    Fail("β＋θ＜φが成り立たないため、地震時の壁面摩擦角δEが定まりません。");
  }
  const double sd = s;
  const float big_delta = F(std::atan(sd / std::sqrt(1.0 - sd * sd)));
  const float u = F(static_cast<double>(theta) + big_delta - beta);
  const double ud = u;
  const float t = F(sin_phi * std::sin(ud) / (1.0 - std::cos(ud) * sin_phi));
  RequireFinite(t, "地震時の壁面摩擦角δE");
  const float c = F(1.0 / std::sqrt(1.0 + static_cast<double>(t) * t));
  const double root = std::sqrt(1.0 - static_cast<double>(c) * c);
  if (root == 0) return 0;
  return F(std::atan(-static_cast<double>(c) / root) + 2.0 * std::atan(1.0));
}

StabilityEarthPressure ComputeStabilityEarthPressure(float beta, float phi, float alpha, float kh,
                                                     float gamma, float q, float h) {
  StabilityEarthPressure p;
  p.theta = FaceAngle(kh, 1);
  p.theta_deg = Deg(p.theta);
  const auto ka = CoulombKa(phi, beta, alpha, beta);
  p.ka_failed = !ka.has_value();
  p.ka = F(ValueOrZero(ka));
  p.delta_e = SeismicWallFriction(beta, p.theta, phi);
  p.delta_e_deg = Deg(p.delta_e);
  const auto kae = CoulombKae(phi, alpha, beta, p.theta, p.delta_e);
  p.kae_failed = !kae.has_value();
  p.kae = F(ValueOrZero(kae));
  const double hh = static_cast<double>(h) * h;
  p.pa = F(hh * (static_cast<double>(gamma) * 0.5 * p.ka));
  p.pq = F(h * (static_cast<double>(p.ka) * q));
  p.pva = F(static_cast<double>(p.pa) * std::sin(static_cast<double>(alpha) + beta));
  p.pae = F(hh * (static_cast<double>(gamma) * 0.5 * p.kae));
  p.phe = F(p.pae * std::cos(static_cast<double>(p.delta_e)));
  p.pve = F(p.pae * std::sin(static_cast<double>(p.delta_e)));
  return p;
}

StemPressureCoefficients ComputeStemPressureCoefficients(float phi_deg, float alpha, float gamma,
                                                         float q, float ka, float kae) {
  StemPressureCoefficients c;
  c.delta_deg = 2.0 / 3.0 * phi_deg;
  c.delta_e_deg = phi_deg / 2.0;
  c.delta = F(c.delta_deg / 180.0 * kPiD);
  c.delta_e = F(c.delta_e_deg / 180.0 * kPiD);
  const double cos_a = std::cos(static_cast<double>(c.delta) + alpha);
  c.ca2 = F(static_cast<double>(gamma) * 0.5 * ka * cos_a);
  c.ca1 = F(static_cast<double>(q) * ka * cos_a);
  c.ce2 =
      F(static_cast<double>(gamma) * 0.5 * kae * std::cos(static_cast<double>(c.delta_e) + alpha));
  return c;
}

float StemBaseWidth(const CantileverShape& s) {
  return F(static_cast<double>(s.t00) + s.t01 + s.t02);
}

float BaseWidth(const CantileverShape& s) {
  return F(static_cast<double>(s.l00) + s.t00 + s.t01 + s.t02 + s.l01);
}

CantileverPartTable ComputePartTable(const CantileverShape& s, float gamma_c, float gamma,
                                     float kh) {
  struct Point {
    double x, y;
  };
  const double l00 = s.l00, t00 = s.t00, t01 = s.t01, t02 = s.t02, l01 = s.l01, h = s.h;
  const double d00 = s.d00, d01 = s.d01, d02 = s.d02, d03 = s.d03, d04 = s.d04;
  // Tb and B are 32-bit quantities of the wall: the vertices stand on the stored values.
  const double tb = StemBaseWidth(s);
  const double xs1 = l00 + t00;        // front edge of the crest
  const double xs2 = l00 + t00 + t01;  // back edge of the crest
  const double xb = l00 + tb;          // back face at the base
  const double b = BaseWidth(s);
  const double stem = h - d01;
  const double tan_beta = std::tan(static_cast<double>(DegToRad(s.beta)));

  CantileverPartTable t;
  double sum_v = 0, sum_h = 0, sum_vx = 0, sum_hy = 0;
  auto add = [&](const char* name, bool concrete, double area, std::initializer_list<Point> pts) {
    CantileverPart& r = t.rows[t.count++];
    r.name = name;
    r.a = F(area);
    r.gamma = concrete ? gamma_c : gamma;
    r.v = F(static_cast<double>(r.gamma) * r.a);
    r.h = F(static_cast<double>(r.v) * kh);
    double cx = 0, cy = 0;
    for (const Point& p : pts) cx += p.x, cy += p.y;
    r.x = F(cx / static_cast<double>(pts.size()));
    r.y = F(cy / static_cast<double>(pts.size()));
    r.vx = F(static_cast<double>(r.v) * r.x);
    r.hy = F(static_cast<double>(r.h) * r.y);
    sum_v += AsPrinted(r.v);
    sum_h += AsPrinted(r.h);
    sum_vx += AsPrinted(r.vx);
    sum_hy += AsPrinted(r.hy);
  };
  const bool toe = s.l00 > 0, heel = s.l01 > 0;
  if (toe) {
    add("W1", true, l00 * d02, {{0, 0}, {l00, 0}, {l00, d02}, {0, d02}});
    add("W2", true, l00 * 0.5 * (d01 - d02), {{0, d02}, {l00, d02}, {l00, d01}});
  }
  add("W3", true, tb * d01, {{l00, 0}, {xb, 0}, {xb, d01}, {l00, d01}});
  add("W4", true, stem * tb * 0.5, {{l00, d01}, {xb, d01}, {xs1, h}});
  add("W5", true, t01 * 0.5 * stem, {{xs1, h}, {xs2, h}, {xb, d01}});
  if (heel) {
    add("W6", true, l01 * d04, {{xb, 0}, {b, 0}, {b, d04}, {xb, d04}});
    add("W7", true, l01 * 0.5 * (d03 - d04), {{xb, d04}, {b, d04}, {xb, d03}});
  }
  if (toe) {
    add("W8", false, ((d01 - d02) + d00) * 0.5 * l00, {{0, d02}, {l00, d01}, {0, d01 + d00}});
    const double run = d00 * t00 / stem;  // the front batter over the depth of the soil
    add("W9", false, d00 * 0.5 * (run + l00), {{0, d01 + d00}, {l00, d01}, {l00 + run, d01 + d00}});
  }
  if (heel) {
    add("W10", false, (h - d04) * 0.5 * l01, {{xb, d03}, {b, d04}, {b, h}});
    add("W11", false, (h - d03) * (t02 + l01) * 0.5, {{xs2, h}, {xb, d03}, {b, h}});
  }
  if (s.beta > 0) {
    const double w = t02 + l01;
    add("W12", false, w * w * 0.5 * tan_beta, {{xs2, h}, {b, h}, {b, h + w * tan_beta}});
  }
  t.sum_v = F(sum_v);
  t.sum_h = F(sum_h);
  t.sum_vx = F(sum_vx);
  t.sum_hy = F(sum_hy);
  if (t.sum_v == 0) Fail("自重の合計ΣVが0です。");
  t.xg = F(static_cast<double>(t.sum_vx) / t.sum_v);
  // Without inertia forces (kh = 0) there is nothing whose arm yG would be.
  t.yg = t.sum_h == 0 ? 0.0f : F(static_cast<double>(t.sum_hy) / t.sum_h);
  return t;
}

CantileverStability ComputeCantileverStability(const CantileverPartTable& parts,
                                               const StabilityEarthPressure& earth,
                                               const CantileverInputs& in) {
  const CantileverShape& s = in.shape;
  CantileverStability r;
  r.b = BaseWidth(s);
  if (!(r.b > 0)) Fail("底版幅Bが0以下です。");
  const double bd = r.b;
  // Normal case.
  r.w = parts.sum_v;
  r.q_load = F((static_cast<double>(s.t02) + s.l01) * in.q);
  r.x_q =
      F((static_cast<double>(s.t00) + s.l00 + s.t01) + (static_cast<double>(s.t02) + s.l01) * 0.5);
  r.mr_w = static_cast<double>(r.w) * parts.xg;
  r.mr_q = static_cast<double>(r.q_load) * r.x_q;
  r.y_pa = static_cast<double>(s.h) / 3.0;
  r.y_pq = static_cast<double>(s.h) / 2.0;
  r.m_pa = earth.pa * r.y_pa;
  r.m_pq = earth.pq * r.y_pq;
  r.v = F(static_cast<double>(r.q_load) + r.w);
  r.h = F(static_cast<double>(earth.pq) + earth.pa);
  r.mr = F(static_cast<double>(r.w) * parts.xg + static_cast<double>(r.q_load) * r.x_q);
  r.m = F(earth.pa * r.y_pa + earth.pq * r.y_pq);
  if (r.v == 0) Fail("鉛直力Vが0です。");
  if (r.h == 0) Fail(earth.ka == 0 ? "水平力Hが0です（主働土圧係数Ka=0）。" : "水平力Hが0です。");
  r.d = F((static_cast<double>(r.mr) - r.m) / r.v);
  // Seismic case: no surcharge; PVE acts at the heel end.
  r.sum_h = parts.sum_h;
  const float xg = parts.xg;  // ΣV·x / ΣV once more
  r.mr_w_e = static_cast<double>(r.w) * xg;
  r.m_w_e = static_cast<double>(r.sum_h) * parts.yg;
  r.mr_pve = earth.pve * bd;
  r.m_phe = earth.phe * r.y_pa;
  r.v_e = F(static_cast<double>(earth.pve) + r.w);
  r.h_e = F(static_cast<double>(r.sum_h) + earth.phe);
  r.mr_e = F(static_cast<double>(r.w) * xg + earth.pve * bd);
  r.m_e = F(static_cast<double>(r.sum_h) * parts.yg + earth.phe * r.y_pa);
  if (r.v_e == 0) Fail("地震時の鉛直力VEが0です。");
  if (r.h_e == 0) Fail("地震時の水平力HEが0です。");
  r.d_e = F((static_cast<double>(r.mr_e) - r.m_e) / r.v_e);
  // Overturning: the eccentricities (signed, printed so) against the middle third / half on both
  // sides of the centre: a resultant far behind the centre fails as well.
  r.e = F(bd / 2.0 - r.d);
  r.e_e = F(bd / 2.0 - r.d_e);
  r.b6 = F(bd / 6.0);
  r.b3 = F(bd / 3.0);
  r.overturning = MakeCheck(std::fabs(r.e), r.b6, SafeSide::Below);
  r.overturning_e = MakeCheck(std::fabs(r.e_e), r.b3, SafeSide::Below);
  // Sliding.
  r.fs = F(static_cast<double>(in.tan_phi_b) * r.v / r.h);
  r.fs_e = F(static_cast<double>(in.tan_phi_b) * r.v_e / r.h_e);
  r.sliding = MakeCheck(r.fs, in.fsa, SafeSide::Above);
  r.sliding_e = MakeCheck(r.fs_e, in.fsa_e, SafeSide::Above);
  // Bearing: the trapezoid within the middle third; beyond it, in either case, the triangle from
  // the pressed edge (the trapezoid would pull at the other edge and understate this one).
  auto pressures = [&r, bd](float e, float d, float v, float& q1, float& q2) {
    const double ratio = 6.0 * e / bd;
    const double mean = static_cast<double>(v) / bd;
    const GroundReaction reaction = MakeGroundReaction(
        std::fabs(e) > r.b6, v, r.b, d, e, F((ratio + 1.0) * mean), F((1.0 - ratio) * mean));
    q1 = reaction.q_toe;
    q2 = reaction.q_heel;
    return reaction;
  };
  r.reaction = pressures(r.e, r.d, r.v, r.q1, r.q2);
  r.reaction_e = pressures(r.e_e, r.d_e, r.v_e, r.q1_e, r.q2_e);
  r.bearing_q1 = BearingCheck(r.reaction, r.q1, in.qa);
  r.bearing_q2 = BearingCheck(r.reaction, r.q2, in.qa);
  r.bearing_q1_e = BearingCheck(r.reaction_e, r.q1_e, in.qa_e);
  r.bearing_q2_e = BearingCheck(r.reaction_e, r.q2_e, in.qa_e);
  const std::pair<float, const char*> results[] = {{r.q_load, "過載荷重Q"},
                                                   {r.mr, "抵抗モーメントMr"},
                                                   {r.m, "転倒モーメントM"},
                                                   {r.v, "鉛直力V"},
                                                   {r.h, "水平力H"},
                                                   {r.d, "合力の作用位置d"},
                                                   {r.v_e, "鉛直力VE"},
                                                   {r.h_e, "水平力HE"},
                                                   {r.mr_e, "抵抗モーメントMrE"},
                                                   {r.m_e, "転倒モーメントME"},
                                                   {r.d_e, "合力の作用位置dE"},
                                                   {r.e, "偏心量e"},
                                                   {r.e_e, "偏心量eE"},
                                                   {r.fs, "安全率Fs"},
                                                   {r.fs_e, "安全率FsE"},
                                                   {r.q1, "地盤反力度q1"},
                                                   {r.q2, "地盤反力度q2"},
                                                   {r.q1_e, "地盤反力度q1E"},
                                                   {r.q2_e, "地盤反力度q2E"}};
  for (const auto& [v, name] : results) RequireFinite(v, name);
  return r;
}

CoefficientFailures FindCoefficientFailures(const CantileverInputs& in) noexcept {
  CoefficientFailures f;
  try {
    const CantileverAngles a = ComputeWallFaceAngles(in.shape, in.phi);
    f.ka = !CoulombKa(a.phi, a.beta, a.alpha, a.beta).has_value();
    const float theta = FaceAngle(in.kh, 1);
    const float delta_e = SeismicWallFriction(a.beta, theta, a.phi);
    f.kae = !CoulombKae(a.phi, a.alpha, a.beta, theta, delta_e).has_value();
  } catch (...) {
    // An undefined δE is the calculation's own message; no coefficient was formed.
  }
  return f;
}

CantileverResults ComputeCantilever(const CantileverInputs& in) {
  CheckCantileverInputs(in);
  CantileverResults r;
  r.bar_grade = BarGradeName(in.bar_kind, in.bar_grade);
  r.angles = ComputeWallFaceAngles(in.shape, in.phi);
  const CantileverAngles& a = r.angles;
  r.earth =
      ComputeStabilityEarthPressure(a.beta, a.phi, a.alpha, in.kh, in.gamma, in.q, in.shape.h);
  const StabilityEarthPressure& p = r.earth;
  const std::pair<float, const char*> pressures[] = {
      {p.ka, "主働土圧係数Ka"}, {p.kae, "地震時主働土圧係数KaE"},
      {p.pa, "土圧PA"},         {p.pq, "過載荷重土圧Pq"},
      {p.pva, "土圧PVA"},       {p.pae, "地震時土圧PAE"},
      {p.phe, "地震時土圧PHE"}, {p.pve, "地震時土圧PVE"}};
  for (const auto& [v, name] : pressures) RequireFinite(v, name);
  r.stem_pressure = ComputeStemPressureCoefficients(in.phi, a.alpha, in.gamma, in.q, p.ka, p.kae);
  RequireFinite(r.stem_pressure.ca2, "cA2");
  RequireFinite(r.stem_pressure.ca1, "cA1");
  RequireFinite(r.stem_pressure.ce2, "cE2");
  r.n = F(static_cast<double>(in.es) / in.ec);
  RequireFinite(r.n, "ヤング係数比n");
  r.parts = ComputePartTable(in.shape, in.gamma_c, in.gamma, in.kh);
  for (int i = 0; i < r.parts.count; ++i) {
    const CantileverPart& row = r.parts.rows[i];
    for (float v : {row.a, row.v, row.h, row.x, row.y, row.vx, row.hy}) {
      RequireFinite(v, row.name, "の値");
    }
  }
  for (float v :
       {r.parts.sum_v, r.parts.sum_h, r.parts.sum_vx, r.parts.sum_hy, r.parts.xg, r.parts.yg}) {
    RequireFinite(v, "自重の合計");
  }
  r.stability = ComputeCantileverStability(r.parts, r.earth, in);
  DesignCantileverMembers(in, r);
  return r;
}

}  // namespace ktv
