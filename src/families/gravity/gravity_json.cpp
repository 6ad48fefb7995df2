#include "families/gravity/gravity_json.h"

#include "app/format.h"
#include "app/json.h"
#include "app/units.h"
#include "app/wall_family.h"
#include "families/gravity/gravity_checks.h"

namespace ktv {

std::string GravityJson(const GravityInputs& in, const GravityCalculation& calc) {
  auto shown = [&](float stress) { return ShownStressF(stress, in.is_si); };
  const GravityEarthPressure& p = calc.earth;
  const SelfWeightTable& w = calc.results.self_weight;
  const ResultantAndChecks& r = calc.results.checks;
  const BodyStress& s = calc.results.body;

  JsonObject inputs;
  inputs.Add("gamma_c", in.gamma_c)
      .Add("sigma_ck", shown(in.sigma_ck))
      .Add("sigma_cac", shown(in.sigma_cac))
      .Add("sigma_cat", shown(in.sigma_cat))
      .Add("gamma", in.gamma)
      .Add("phi_deg", in.phi)
      .Add("c", in.c)
      .Add("tan_phi_b", in.tan_phi_b)
      .Add("q", in.q)
      .Add("qa", in.qa)
      .Add("Fsa", in.fsa)
      .Add("H", in.h)
      .Add("T00", in.t00)
      .Add("T01", in.t01)
      .Add("T02", in.t02)
      .Add("beta_deg", in.beta);
  JsonObject earth;
  earth.Add("phi_rad", p.phi_r)
      .Add("beta_rad", p.beta_r)
      .Add("alpha_rad", p.alpha)
      .Add("alpha_deg", RadToDeg(p.alpha))
      .Add("delta_rad", p.delta)
      .Add("theta_rad", p.theta)
      .Add("Ka", p.ka)
      .Add("Ka_error", p.ka_failed)
      .Add("PHA", p.pha)
      .Add("PVA", p.pva)
      .Add("PHq", p.phq)
      .Add("PVq", p.pvq)
      .Add("PH", p.ph)
      .Add("PV", p.pv);
  std::string parts = "[";
  for (int i = 0; i < w.count; ++i) {
    const SelfWeightRow& row = w.rows[i];
    JsonObject part;
    part.Add("part", row.name)
        .Add("A", row.a)
        .Add("gamma_c", row.gamma_c)
        .Add("V", row.v)
        .Add("x", row.x)
        .Add("M", row.m);
    parts += (i ? ", " : "") + part.Str();
  }
  parts += "]";
  JsonObject weight;
  weight.Raw("parts", parts).Add("sum_A", w.sum_a).Add("sum_V_w", w.sum_v).Add("sum_M_w", w.sum_m);
  JsonObject stability;
  stability.Add("B", r.b)
      .Add("sum_V", r.sum_v)
      .Add("sum_H", r.sum_h)
      .Add("xP", r.xp)
      .Add("yP", r.yp)
      .Add("xP_PV", r.m_pv)
      .Add("yP_PH", r.m_ph)
      .Add("Mr", r.mr)
      .Add("M", r.m)
      .Add("d", r.d)
      .Add("e", r.e)
      .Add("B6", r.b6)
      .Add("Fs", r.fs)
      .Add("q1", r.q1)
      .Add("q2", r.q2);
  AddReaction(stability, r.reaction);
  JsonObject body;
  body.Add("sigma_c1", shown(s.sigma_c1)).Add("sigma_c2", shown(s.sigma_c2));
  JsonObject verdicts;
  for (const char* key : {"overturning", "sliding", "bearing", "body_stress"}) {
    AddTableVerdict<GravityResults>(verdicts, kGravityChecks, calc.results, key);
  }
  if (s.tension)
    AddTableVerdict<GravityResults>(verdicts, kGravityChecks, calc.results, "body_tension");
  verdicts.Add("within_middle_third", r.within_middle_third).Add("tension", s.tension);
  JsonObject all;
  all.Add("family", NamesOf(WallFamily::Gravity).key.data())
      .Add("units", in.is_si ? "SI" : "CGS")
      .Raw("inputs", inputs.Str())
      .Raw("earth_pressure", earth.Str())
      .Raw("self_weight", weight.Str())
      .Raw("stability", stability.Str())
      .Raw("body_stress", body.Str())
      .Raw("verdicts", verdicts.Str());
  return all.Str() + "\n";
}

}  // namespace ktv
