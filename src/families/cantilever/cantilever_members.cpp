#include "families/cantilever/cantilever_members.h"

#include <cmath>
#include <string>

#include "app/catalogue.h"
#include "families/cantilever/cantilever_common.h"

namespace ktv {
namespace {

using cantilever_detail::F;
using cantilever_detail::Fail;
using cantilever_detail::RequireFinite;

constexpr float kUnitWidth = 100;  // cm

std::string SectionText(std::string_view section_name) {
  return "断面" + std::string(section_name);
}

BarArrangement Arrangement(std::string_view section_name, const char* arrangement, int kind,
                           const BarPosition& bar) {
  const BarSize* size = FindBarSize(kind, bar.size);
  auto where = [&] { return SectionText(section_name) + arrangement; };
  if (size == nullptr) Fail(where() + "の鉄筋径が一覧にありません。");
  if (bar.ctc <= 0) Fail(where() + "の間隔＠が0以下です。");
  BarArrangement a;
  a.present = true;
  a.designation = size->name;
  a.ctc = bar.ctc;
  a.as = F(static_cast<double>(size->area) * (100 * 10) / bar.ctc);
  return a;
}

void AddRow(SlabTable& t, const char* name, bool has_area, double area, float gamma, double sw,
            double arm) {
  SlabRow& r = t.rows[t.count++];
  r.name = name;
  r.has_area = has_area;
  r.area = F(area);
  r.gamma = gamma;
  r.sw = F(sw);
  r.x = F(arm);
  r.mw = F(static_cast<double>(r.sw) * r.x);
}

void SumPrinted(SlabTable& t) {
  double sw = 0, mw = 0;
  for (int i = 0; i < t.count; ++i) {
    sw += AsPrinted(t.rows[i].sw);
    mw += AsPrinted(t.rows[i].mw);
  }
  t.sum_sw = F(sw);
  t.sum_mw = F(mw);
}

// Section forces from the reaction and the weights, then the check of the slab section (D01
// thick) with the bars from position first_bar on.
void FinishSlabCase(const CantileverInputs& in, const CantileverResults& r, const char* section,
                    int first_bar, SlabCase& c) {
  c.m = F(static_cast<double>(c.mq) - c.sum_mw);
  c.s = F(static_cast<double>(c.sq) - c.sum_sw);
  for (float v : {c.sum_sw, c.sum_mw, c.q_section, c.mq, c.sq, c.m, c.s}) {
    RequireFinite(v, "断面", section, "の断面力");
  }
  c.upper_tension = c.m < 0;
  c.check = CheckRectangularSection(section, c.seismic, true, c.m, c.s, F(in.shape.d01 * 100.0),
                                    in.dt1, in.bar_kind, in.bars[first_bar], in.bars[first_bar + 1],
                                    r.n, {in.sigma_ca, in.sigma_sa_t, in.tau_a});
}

}  // namespace

SectionCheck CheckRectangularSection(std::string_view section_name, bool seismic, bool slab,
                                     float m, float s, float d_total, float dt, int bar_kind,
                                     const BarPosition& bar1, const BarPosition& bar2, float n,
                                     const SectionAllowables& allowables) {
  SectionCheck c;
  c.b = kUnitWidth;
  c.d_total = d_total;
  c.d = F(static_cast<double>(d_total) - dt);
  if (!(c.d > 0)) {
    Fail(SectionText(section_name) + "の有効高さdが0以下です（かぶりdtが部材厚D以上）。");
  }
  // Slabs take the magnitudes (a negative moment is tension on the upper side); the stem is
  // checked with its signed values.
  c.m_work = F((slab ? std::fabs(static_cast<double>(m)) : m) * 100.0 * 1000.0);
  c.s_work = F((slab ? std::fabs(static_cast<double>(s)) : s) * 1000.0);
  const double b = c.b, d = c.d;
  c.m_bd2 = F(c.m_work / (b * d * d));
  c.bar1 = Arrangement(section_name, "の配筋1", bar_kind, bar1);
  if (bar2.size >= 0) c.bar2 = Arrangement(section_name, "の配筋2", bar_kind, bar2);
  c.as = F(static_cast<double>(c.bar1.as) + c.bar2.as);
  if (!(c.as > 0)) Fail(SectionText(section_name) + "の鉄筋量Asが0です。");
  c.n = n;
  c.p = F(c.as / (b * d));
  const double np = static_cast<double>(n) * c.p;
  c.k = F(std::sqrt(np * np + 2.0 * np) - np);
  if (!(c.k > 0)) Fail(SectionText(section_name) + "の中立軸の位置kが0です。");
  c.j = F(1.0 - c.k / 3.0);
  c.inv_lc = F((2.0 / c.k) / c.j);
  c.inv_ls = F((1.0 / c.p) / c.j);
  c.sigma_c = F(static_cast<double>(c.m_bd2) * c.inv_lc);
  c.sigma_s = F(static_cast<double>(c.m_bd2) * c.inv_ls);
  c.tau = F(c.s_work / b / d / c.j);
  const double factor = seismic ? 1.5 : 1.0;
  c.sigma_ca = F(allowables.sigma_ca * factor);
  c.sigma_sa = F(allowables.sigma_sa * factor);
  c.tau_a = F(allowables.tau_a * factor);
  c.sigma_c_check = MakeCheck(c.sigma_c, c.sigma_ca, SafeSide::Below);
  c.sigma_s_check = MakeCheck(c.sigma_s, c.sigma_sa, SafeSide::Below);
  c.tau_check = MakeCheck(c.tau, c.tau_a, SafeSide::Below);
  for (float v : {c.m_work, c.s_work, c.m_bd2, c.as, c.p, c.k, c.j, c.inv_lc, c.inv_ls, c.sigma_c,
                  c.sigma_s, c.tau, c.sigma_ca, c.sigma_sa, c.tau_a}) {
    RequireFinite(v, "断面", section_name, "の応力度");
  }
  return c;
}

StemCase DesignStemSection(const CantileverInputs& in, const CantileverResults& r,
                           StemSection section, bool seismic) {
  const CantileverShape& s = in.shape;
  StemCase c;
  c.section = section;
  c.seismic = seismic;
  c.h = section == StemSection::kAA ? in.h_aa : F(static_cast<double>(s.h) - s.d01);
  const double h = c.h;
  const double d_cm = (h * std::tan(static_cast<double>(r.angles.psi_f)) + s.t01 +
                       h * std::tan(static_cast<double>(r.angles.alpha))) *
                      100.0;
  const float d_total = F(d_cm);
  c.a = s.t01;
  c.d_m = static_cast<double>(d_total) / 100.0;
  const StemPressureCoefficients& k = r.stem_pressure;
  if (!seismic) {
    c.m = F(k.ca2 * h * h * h / 3.0 + k.ca1 * h * h / 2.0);
    c.s = F(k.ca2 * h * h + k.ca1 * h);
  } else {
    const double a = c.a, gc = in.gamma_c, kh = in.kh;
    c.m = F(k.ce2 * h * h * h / 3.0 + (gc / 6.0) * (2.0 * a + c.d_m) * kh * h * h);
    c.s = F(k.ce2 * h * h + (gc / 2.0) * h * (a + c.d_m) * kh);
  }
  const int first = section == StemSection::kAA ? 0 : 2;
  const char* name = section == StemSection::kAA ? "Ａ－Ａ´" : "Ｂ－Ｂ´";
  RequireFinite(c.m, "断面", name, "の曲げモーメント");
  RequireFinite(c.s, "断面", name, "のせん断力");
  c.check = CheckRectangularSection(name, seismic, false, c.m, c.s, d_total, in.dt0, in.bar_kind,
                                    in.bars[first], in.bars[first + 1], r.n,
                                    {in.sigma_ca, in.sigma_sa, in.tau_a});
  return c;
}

SlabTable ComputeToeTable(const CantileverShape& s, float gamma_c, float gamma) {
  SlabTable t;
  const double l = s.l00, d00 = s.d00, d01 = s.d01, d02 = s.d02;
  const float a1 = F(l * d02), a2 = F(l * 0.5 * (d01 - d02));
  const float a8 = F(l * 0.5 * (d00 + d01 - d02)), a9 = F(l * 0.5 * d00);
  // Arms of the soil triangles are their centroids from C-C′: the one on the slab's top face
  // at 2l/3, the one under the ground surface at l/3.
  AddRow(t, "W1", true, a1, gamma_c, static_cast<double>(a1) * gamma_c, l / 2.0);
  AddRow(t, "W2", true, a2, gamma_c, static_cast<double>(a2) * gamma_c, l / 3.0);
  AddRow(t, "W8", true, a8, gamma, static_cast<double>(a8) * gamma, 2.0 * l / 3.0);
  AddRow(t, "W9", true, a9, gamma, static_cast<double>(a9) * gamma, l / 3.0);
  SumPrinted(t);
  return t;
}

SlabTable ComputeHeelTable(const CantileverShape& s, float gamma_c, float gamma, float q_load) {
  SlabTable t;
  const double l = s.l02, h = s.h, d03 = s.d03, d04 = s.d04, t02 = s.t02, l01 = s.l01;
  const float a6 = F(l * d04), a7 = F(l * 0.5 * (d03 - d04));
  const float a10 = F(l * 0.5 * (h - d04)), a11 = F(l * 0.5 * (h - d03));
  AddRow(t, "W6", true, a6, gamma_c, static_cast<double>(a6) * gamma_c, l / 2.0);
  AddRow(t, "W7", true, a7, gamma_c, static_cast<double>(a7) * gamma_c, l / 3.0);
  AddRow(t, "W10", true, a10, gamma, static_cast<double>(a10) * gamma, 2.0 * l / 3.0);
  AddRow(t, "W11", true, a11, gamma, static_cast<double>(a11) * gamma, l / 3.0);
  if (s.beta > 0) {
    // The backfill wedge above the crest level (W12 of the part table), at its centroid.
    const double w = t02 + l01;
    const float a12 = F(w * w * 0.5 * std::tan(static_cast<double>(DegToRad(s.beta))));
    AddRow(t, "W12", true, a12, gamma, static_cast<double>(a12) * gamma, (2.0 * l01 - t02) / 3.0);
  }
  AddRow(t, "q", false, 0, 0, q_load, (l01 - t02) / 2.0);
  SumPrinted(t);
  return t;
}

SlabCase DesignToeSlab(const CantileverInputs& in, const CantileverResults& r, bool seismic,
                       float q1, float q2, const GroundReaction& reaction) {
  const CantileverShape& s = in.shape;
  SlabCase c;
  c.seismic = seismic;
  c.sum_sw = r.toe_table.sum_sw;
  c.sum_mw = r.toe_table.sum_mw;
  c.numerator = static_cast<double>(s.t00) + s.t01 + s.t02 + s.l01;
  c.denominator = r.stability.b;
  const double l = s.l00;
  if (!reaction.triangular) {
    c.q_section = F(q2 + (static_cast<double>(q1) - q2) * c.numerator / c.denominator);
    c.mq = F(l * l * (2.0 * q1 + c.q_section) / 6.0);
    c.sq = F((static_cast<double>(q1) + c.q_section) / 2.0 * l);
  } else {
    // The triangle may press on part of the toe only: its integrals over the toe, about C-C′.
    c.q_section = F(reaction.At(l));
    const GroundReaction::Load load = reaction.Over(0, l, l);
    c.mq = F(load.moment);
    c.sq = F(load.force);
  }
  FinishSlabCase(in, r, "Ｃ－Ｃ´", 4, c);
  return c;
}

SlabCase DesignHeelSlab(const CantileverInputs& in, const CantileverResults& r, bool seismic,
                        float q1, float q2, const GroundReaction& reaction) {
  const CantileverShape& s = in.shape;
  const SlabTable& t = r.heel_table;
  SlabCase c;
  c.seismic = seismic;
  const double l = s.l02;
  if (!seismic) {
    c.sum_sw = t.sum_sw;
    c.sum_mw = t.sum_mw;
  } else {
    // The vertical component of the seismic thrust replaces the surcharge, spread over the heel
    // as a triangle growing towards its end.
    const SlabRow& q_row = t.rows[t.count - 1];
    const float pve = r.earth.pve;
    c.sum_mw = F(static_cast<double>(t.sum_mw) - q_row.mw + pve * (2.0 * l / 3.0));
    c.sum_sw = F(static_cast<double>(t.sum_sw) - q_row.sw + pve);
  }
  c.numerator = l;
  c.denominator = r.stability.b;
  if (!reaction.triangular) {
    c.q_section = F(q2 + (static_cast<double>(q1) - q2) * l / c.denominator);
    c.mq = F(l * l * (2.0 * q2 + c.q_section) / 6.0);
    c.sq = F((static_cast<double>(q2) + c.q_section) / 2.0 * l);
  } else {
    // The heel's stretch B − l ≤ x ≤ B from the toe, about D-D′.
    const double b = reaction.b, x0 = b - l;
    c.q_section = F(reaction.At(x0));
    const GroundReaction::Load load = reaction.Over(x0, b, x0);
    c.mq = F(load.moment);
    c.sq = F(load.force);
  }
  FinishSlabCase(in, r, "Ｄ－Ｄ´", 6, c);
  return c;
}

void DesignCantileverMembers(const CantileverInputs& in, CantileverResults& r) {
  r.stem_case_count = 0;
  for (bool seismic : {false, true}) {
    if (in.design_section_aa) {
      r.stem_cases[r.stem_case_count++] = DesignStemSection(in, r, StemSection::kAA, seismic);
    }
    r.stem_cases[r.stem_case_count++] = DesignStemSection(in, r, StemSection::kBB, seismic);
  }
  const CantileverShape& s = in.shape;
  r.has_toe = s.l00 != 0;
  r.has_heel = s.l02 != 0;
  const CantileverStability& st = r.stability;
  if (r.has_toe) {
    r.toe_table = ComputeToeTable(s, in.gamma_c, in.gamma);
    for (int i = 0; i < r.toe_table.count; ++i) {
      RequireFinite(r.toe_table.rows[i].mw, "断面Ｃ－Ｃ´の自重および載土");
    }
  }
  if (r.has_heel) {
    r.heel_table = ComputeHeelTable(s, in.gamma_c, in.gamma, st.q_load);
    for (int i = 0; i < r.heel_table.count; ++i) {
      RequireFinite(r.heel_table.rows[i].mw, "断面Ｄ－Ｄ´の自重および載土");
    }
  }
  // Each slab takes the ground pressures of its case.
  for (int k = 0; k < 2; ++k) {
    const bool seismic = k == 1;
    const float q1 = seismic ? st.q1_e : st.q1, q2 = seismic ? st.q2_e : st.q2;
    const GroundReaction& reaction = seismic ? st.reaction_e : st.reaction;
    if (r.has_toe) r.toe[k] = DesignToeSlab(in, r, seismic, q1, q2, reaction);
    if (r.has_heel) r.heel[k] = DesignHeelSlab(in, r, seismic, q1, q2, reaction);
  }
}

}  // namespace ktv
