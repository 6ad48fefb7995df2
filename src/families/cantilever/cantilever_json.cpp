#include "families/cantilever/cantilever_json.h"

#include <string>
#include <string_view>

#include "app/json.h"
#include "app/units.h"
#include "app/wall_family.h"
#include "families/cantilever/cantilever_checks.h"

namespace ktv {
namespace {

float F(double v) { return static_cast<float>(v); }

std::string Text(std::string_view s) { return std::string(s); }

// The elements as a JSON array.
template <typename T, typename Fn>
std::string Array(const T* items, int count, Fn object) {
  std::string out = "[";
  for (int i = 0; i < count; ++i) out += (i ? ", " : "") + object(items[i]).Str();
  return out + "]";
}

class Writer {
 public:
  explicit Writer(bool is_si) : is_si_(is_si) {}
  float Shown(float stress) const { return ShownStressF(stress, is_si_); }

  JsonObject Bar(const BarArrangement& b) const {
    JsonObject o;
    o.Add("present", b.present);
    if (b.present) {
      o.Add("bar", Text(b.designation).c_str()).Add("ctc_mm", F(b.ctc)).Add("As_cm2", b.as);
    }
    return o;
  }

  JsonObject Check(const SectionCheck& c) const {
    JsonObject o;
    o.Add("b_cm", c.b)
        .Add("D_cm", c.d_total)
        .Add("d_cm", c.d)
        .Add("M_work", c.m_work)
        .Add("S_work", c.s_work)
        .Add("M_bd2", c.m_bd2)
        .Raw("bar1", Bar(c.bar1).Str())
        .Raw("bar2", Bar(c.bar2).Str())
        .Add("As_cm2", c.as)
        .Add("p", c.p)
        .Add("k", c.k)
        .Add("j", c.j)
        .Add("n", c.n)
        .Add("inv_Lc", c.inv_lc)
        .Add("inv_Ls", c.inv_ls)
        .Add("sigma_c", Shown(c.sigma_c))
        .Add("sigma_s", Shown(c.sigma_s))
        .Add("tau", Shown(c.tau))
        .Add("sigma_ca", Shown(c.sigma_ca))
        .Add("sigma_sa", Shown(c.sigma_sa))
        .Add("tau_a", Shown(c.tau_a));
    for (const SectionCheckEntry& e : kSectionChecks) {
      o.Verdict(std::string(e.key).c_str(), (c.*e.check).ok);
    }
    return o;
  }

  JsonObject Slab(const SlabCase& c) const {
    JsonObject o;
    o.Add("case", c.seismic ? "seismic" : "normal")
        .Add("sum_Sw", c.sum_sw)
        .Add("sum_Mw", c.sum_mw)
        .Add("numerator", F(c.numerator))
        .Add("denominator", c.denominator)
        .Add("q_section", c.q_section)
        .Add("Mq", c.mq)
        .Add("Sq", c.sq)
        .Add("M", c.m)
        .Add("S", c.s)
        .Add("upper_tension", c.upper_tension)
        .Raw("check", Check(c.check).Str());
    return o;
  }

 private:
  bool is_si_;
};

std::string SlabTableJson(const SlabTable& t) {
  JsonObject o;
  o.Raw("rows", Array(t.rows.data(), t.count,
                      [](const SlabRow& row) {
                        JsonObject p;
                        p.Add("part", Text(row.name).c_str());
                        if (row.has_area) p.Add("A", row.area).Add("gamma", row.gamma);
                        p.Add("Sw", row.sw).Add("x", row.x).Add("Mw", row.mw);
                        return p;
                      }))
      .Add("sum_Sw", t.sum_sw)
      .Add("sum_Mw", t.sum_mw);
  return o.Str();
}

}  // namespace

std::string CantileverJson(const CantileverInputs& in, const CantileverResults& r) {
  const Writer w(in.is_si);
  const CantileverShape& s = in.shape;
  JsonObject shape;
  shape.Add("T00", s.t00)
      .Add("T01", s.t01)
      .Add("T02", s.t02)
      .Add("L00", s.l00)
      .Add("L01", s.l01)
      .Add("H", s.h)
      .Add("D00", s.d00)
      .Add("D01", s.d01)
      .Add("D02", s.d02)
      .Add("D03", s.d03)
      .Add("D04", s.d04)
      .Add("beta_deg", s.beta);
  JsonObject inputs;
  inputs.Add("gamma_c", in.gamma_c)
      .Add("sigma_ck", w.Shown(in.sigma_ck))
      .Add("sigma_ca", w.Shown(in.sigma_ca))
      .Add("tau_a", w.Shown(in.tau_a))
      .Add("Ec", w.Shown(in.ec))
      .Add("gamma", in.gamma)
      .Add("phi_deg", in.phi)
      .Add("c", in.c)
      .Add("q", in.q)
      .Add("kh", in.kh)
      .Add("tan_phi_b", in.tan_phi_b)
      .Add("qa", in.qa)
      .Add("qaE", in.qa_e)
      .Add("Fsa", in.fsa)
      .Add("FsaE", in.fsa_e)
      .Add("bar_grade", Text(r.bar_grade).c_str())
      .Add("sigma_sa", w.Shown(in.sigma_sa))
      .Add("sigma_saT", w.Shown(in.sigma_sa_t))
      .Add("Es", w.Shown(in.es))
      .Add("dt0_cm", in.dt0)
      .Add("dt1_cm", in.dt1)
      .Add("design_section_AA", in.design_section_aa)
      .Add("hAA", in.h_aa)
      .Raw("shape", shape.Str());

  const CantileverAngles& a = r.angles;
  const StabilityEarthPressure& e = r.earth;
  JsonObject earth;
  earth.Add("alpha_deg", F(a.alpha_deg))
      .Add("beta_deg", F(a.beta_deg))
      .Add("front_batter_ratio", F(a.front_batter_ratio))
      .Add("Ka", e.ka)
      .Add("Ka_error", e.ka_failed)
      .Add("theta_deg", F(e.theta_deg))
      .Add("deltaE_deg", F(e.delta_e_deg))
      .Add("KaE", e.kae)
      .Add("KaE_error", e.kae_failed)
      .Add("PA", e.pa)
      .Add("Pq", e.pq)
      .Add("PVA", e.pva)
      .Add("PAE", e.pae)
      .Add("PHE", e.phe)
      .Add("PVE", e.pve);
  const StemPressureCoefficients& c = r.stem_pressure;
  JsonObject stem_pressure;
  stem_pressure.Add("delta_deg", F(c.delta_deg))
      .Add("deltaE_deg", F(c.delta_e_deg))
      .Add("cA2", c.ca2)
      .Add("cA1", c.ca1)
      .Add("cE2", c.ce2);

  const CantileverPartTable& t = r.parts;
  JsonObject parts;
  parts
      .Raw("rows", Array(t.rows.data(), t.count,
                         [](const CantileverPart& p) {
                           JsonObject o;
                           o.Add("part", Text(p.name).c_str())
                               .Add("A", p.a)
                               .Add("gamma", p.gamma)
                               .Add("V", p.v)
                               .Add("H", p.h)
                               .Add("x", p.x)
                               .Add("y", p.y)
                               .Add("Vx", p.vx)
                               .Add("Hy", p.hy);
                           return o;
                         }))
      .Add("sum_V", t.sum_v)
      .Add("sum_H", t.sum_h)
      .Add("sum_Vx", t.sum_vx)
      .Add("sum_Hy", t.sum_hy)
      .Add("xG", t.xg)
      .Add("yG", t.yg);

  const CantileverStability& st = r.stability;
  const auto Verdicts = [&](JsonObject& o, const char* key, CheckCase load_case) -> JsonObject& {
    return AddTableVerdict<CantileverResults>(o, kCantileverChecks, r, key, load_case);
  };
  JsonObject normal;
  normal.Add("W", st.w)
      .Add("Q", st.q_load)
      .Add("xQ", st.x_q)
      .Add("Mr_W", F(st.mr_w))
      .Add("Mr_Q", F(st.mr_q))
      .Add("y_PA", F(st.y_pa))
      .Add("y_Pq", F(st.y_pq))
      .Add("M_PA", F(st.m_pa))
      .Add("M_Pq", F(st.m_pq))
      .Add("V", st.v)
      .Add("H", st.h)
      .Add("Mr", st.mr)
      .Add("M", st.m)
      .Add("d", st.d)
      .Add("e", st.e)
      .Add("B6", F(st.b6));
  Verdicts(normal, "B6_greater_than_e", CheckCase::Normal).Add("Fs", st.fs);
  Verdicts(normal, "sliding", CheckCase::Normal).Add("q1", st.q1).Add("q2", st.q2);
  AddReaction(normal, st.reaction);
  Verdicts(normal, "bearing", CheckCase::Normal);
  JsonObject seismic;
  seismic.Add("W", st.w)
      .Add("sum_H", st.sum_h)
      .Add("Mr_W", F(st.mr_w_e))
      .Add("M_W", F(st.m_w_e))
      .Add("Mr_PVE", F(st.mr_pve))
      .Add("M_PHE", F(st.m_phe))
      .Add("VE", st.v_e)
      .Add("HE", st.h_e)
      .Add("MrE", st.mr_e)
      .Add("ME", st.m_e)
      .Add("dE", st.d_e)
      .Add("eE", st.e_e)
      .Add("B3", F(st.b3));
  Verdicts(seismic, "B3_greater_than_eE", CheckCase::Seismic).Add("FsE", st.fs_e);
  Verdicts(seismic, "sliding", CheckCase::Seismic).Add("q1E", st.q1_e).Add("q2E", st.q2_e);
  AddReaction(seismic, st.reaction_e, "E");
  Verdicts(seismic, "bearing", CheckCase::Seismic);
  JsonObject stability;
  stability.Add("B", st.b).Raw("normal", normal.Str()).Raw("seismic", seismic.Str());

  const std::string stem = Array(r.stem_cases.data(), r.stem_case_count, [&](const StemCase& sc) {
    JsonObject o;
    o.Add("section", sc.section == StemSection::kAA ? "A-A" : "B-B")
        .Add("case", sc.seismic ? "seismic" : "normal")
        .Add("h", sc.h)
        .Add("M", sc.m)
        .Add("S", sc.s)
        .Add("a", sc.a)
        .Add("D", F(sc.d_m))
        .Raw("check", w.Check(sc.check).Str());
    return o;
  });

  JsonObject all;
  all.Add("family", NamesOf(WallFamily::Cantilever).key.data())
      .Add("units", in.is_si ? "SI" : "CGS")
      .Raw("inputs", inputs.Str())
      .Raw("earth_pressure", earth.Str())
      .Raw("stem_pressure", stem_pressure.Str())
      .Add("n", r.n)
      .Raw("parts", parts.Str())
      .Raw("stability", stability.Str())
      .Raw("stem", stem);
  if (r.has_toe) {
    JsonObject toe;
    toe.Raw("table", SlabTableJson(r.toe_table))
        .Raw("normal", w.Slab(r.toe[0]).Str())
        .Raw("seismic", w.Slab(r.toe[1]).Str());
    all.Raw("toe_CC", toe.Str());
  }
  if (r.has_heel) {
    JsonObject heel;
    heel.Raw("table", SlabTableJson(r.heel_table))
        .Raw("normal", w.Slab(r.heel[0]).Str())
        .Raw("seismic", w.Slab(r.heel[1]).Str());
    all.Raw("heel_DD", heel.Str());
  }
  return all.Str() + "\n";
}

}  // namespace ktv
