#include "families/leaning/leaning_json.h"

#include <span>

#include "app/json.h"
#include "app/units.h"
#include "app/wall_family.h"
#include "families/leaning/leaning_checks.h"

namespace ktv {
namespace {

// Values formed in double only for printing go out as the 32-bit values the report formats.
float F(double v) { return static_cast<float>(v); }

std::string Parts(std::span<const LeaningWeightRow> rows) {
  static const char* const kNames[] = {"W1", "W2", "W3"};
  std::string parts = "[";
  for (size_t i = 0; i < rows.size(); ++i) {
    const LeaningWeightRow& r = rows[i];
    JsonObject part;
    part.Add("part", kNames[i])
        .Add("A", r.a)
        .Add("gamma_c", r.gamma_c)
        .Add("V", r.v)
        .Add("x", r.x)
        .Add("M", r.m);
    parts += (i ? ", " : "") + part.Str();
  }
  return parts + "]";
}

}  // namespace

std::string LeaningJson(const LeaningInputs& in, const LeaningCalculation& calc) {
  auto shown = [&](float stress) { return ShownStressF(stress, in.is_si); };
  const LeaningGeometry& g = calc.geometry;
  const LeaningEarthPressure& p = calc.earth;
  const LeaningStability& s = calc.stability;
  const WallSectionCheck& a = calc.wall;
  const BaseSlabCheck& b = calc.slab;

  JsonObject inputs;
  inputs.Add("gamma_c", in.gamma_c)
      .Add("sigma_ck", shown(in.sigma_ck))
      .Add("sigma_cac", shown(in.sigma_cac))
      .Add("sigma_cat", shown(in.sigma_cat))
      .Add("tau_a", shown(in.tau_a))
      .Add("gamma", in.gamma)
      .Add("phi_deg", in.phi)
      .Add("c", in.c)
      .Add("q", in.q)
      .Add("soil_kind", static_cast<float>(in.soil_kind))
      .Add("tan_phi_b", in.tan_phi_b)
      .Add("qa", in.qa)
      .Add("Fsa", in.fsa)
      .Add("H", in.h)
      .Add("D1", in.d1)
      .Add("L1", in.l1)
      .Add("T1", in.t1)
      .Add("T2", in.t2)
      .Add("B", in.b)
      .Add("beta_deg", in.beta);
  JsonObject geometry;
  geometry.Add("h_body", g.h_body)
      .Add("run", g.run)
      .Add("B_A", g.b_a)
      .Add("theta_front_deg", F(g.theta_front_deg))
      .Add("theta_back_deg", g.theta_back_deg)
      .Add("front_slope", F(g.front_slope))
      .Add("back_slope", F(g.back_slope));
  JsonObject earth;
  earth.Add("phi_rad", p.phi_r)
      .Add("beta_rad", p.beta_r)
      .Add("delta_rad", p.delta)
      .Add("alpha_deg", p.alpha_deg)
      .Add("alpha_rad", p.alpha)
      .Add("alpha_delta_rad", p.alpha_delta)
      .Add("Ka", p.ka)
      .Add("Ka_error", p.ka_failed)
      .Add("PHA", p.pha)
      .Add("PVA", p.pva)
      .Add("PHq", p.phq)
      .Add("PVq", p.pvq)
      .Add("PH", p.ph)
      .Add("PV", p.pv)
      .Add("n", p.n)
      .Add("x1", p.x1)
      .Add("y1", p.y1)
      .Add("x2", p.x2)
      .Add("y2", p.y2)
      .Add("x1_from_heel_mm", F(p.x1_from_heel_mm));
  JsonObject weight;
  weight.Raw("parts", Parts(s.rows))
      .Add("sum_A", s.sum_a)
      .Add("sum_V_w", s.sum_v_w)
      .Add("sum_M_w", s.sum_m_w);
  JsonObject stability;
  stability.Add("sum_V", s.sum_v)
      .Add("sum_H", s.sum_h)
      .Add("PVA_x1", F(s.m_pva))
      .Add("PVq_x2", F(s.m_pvq))
      .Add("PHA_y1", F(s.m_pha))
      .Add("PHq_y2", F(s.m_phq))
      .Add("Mr", s.mr)
      .Add("M", s.m)
      .Add("d", s.d)
      .Add("e", s.e)
      .Add("B6", s.b6)
      .Add("Fs", s.fs)
      .Add("q1", s.q1)
      .Add("q2", s.q2);
  AddReaction(stability, s.reaction);
  JsonObject section_aa;
  section_aa.Add("h_body", a.h_body)
      .Add("PHA", a.pha)
      .Add("PVA", a.pva)
      .Add("PHq", a.phq)
      .Add("PVq", a.pvq)
      .Add("PH", F(a.ph))
      .Add("PV", F(a.pv))
      .Raw("parts", Parts(a.rows))
      .Add("sum_A", a.sum_a)
      .Add("sum_W", a.sum_w)
      .Add("sum_M_w", a.sum_m_w)
      .Add("sum_V", a.sum_v)
      .Add("S", a.s)
      .Add("xV1", a.xv1)
      .Add("yH1", a.yh1)
      .Add("xV2", a.xv2)
      .Add("yH2", a.yh2)
      .Add("PVA_xV1", F(a.m_pva))
      .Add("PVq_xV2", F(a.m_pvq))
      .Add("PHA_yH1", F(a.m_pha))
      .Add("PHq_yH2", F(a.m_phq))
      .Add("Mr", a.mr)
      .Add("M", a.m)
      .Add("d", a.d)
      .Add("B_A", a.b_a)
      .Add("x_A", a.x_a)
      .Add("B_A6", a.b_a6)
      .Add("sigma1", F(a.sigma1_printed))
      .Add("sigma2", F(a.sigma2_printed))
      .Add("tau", a.tau)
      .Add("tau_shown", F(a.tau_printed));
  JsonObject section_bb;
  section_bb.Add("q_toe", b.qt)
      .Add("q_heel", b.qh)
      .Add("qB", b.q_b)
      .Add("S", b.s)
      .Add("M", b.m)
      .Add("sigma", b.sigma)
      .Add("sigma_shown", F(b.sigma_printed))
      .Add("sigma_limit", shown(b.sigma_limit))
      .Add("tau", b.tau)
      .Add("tau_shown", F(b.tau_printed));
  JsonObject verdicts;
  for (const char* key : {"overturning", "sliding", "bearing", "section_aa_sigma", "section_aa_tau",
                          "section_bb_sigma", "section_bb_tau"}) {
    AddTableVerdict<LeaningCalculation>(verdicts, kLeaningChecks, calc, key);
  }
  if (a.sigma1 < 0) {
    AddTableVerdict<LeaningCalculation>(verdicts, kLeaningChecks, calc, "section_aa_tension");
  }
  verdicts.Add("section_aa_within_middle_third", a.within_middle_third);
  JsonObject all;
  all.Add("family", NamesOf(WallFamily::Leaning).key.data())
      .Add("units", in.is_si ? "SI" : "CGS")
      .Raw("inputs", inputs.Str())
      .Raw("geometry", geometry.Str())
      .Raw("earth_pressure", earth.Str())
      .Raw("self_weight", weight.Str())
      .Raw("stability", stability.Str())
      .Raw("section_aa", section_aa.Str())
      .Raw("section_bb", section_bb.Str())
      .Raw("verdicts", verdicts.Str());
  return all.Str() + "\n";
}

}  // namespace ktv
