#include "families/cantilever/cantilever_reader.h"

#include "app/format.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "project/input_limits.h"

namespace ktv {
CantileverInputs CantileverInputsOf(const ProjectData& data, bool design_section_aa) {
  CheckInputLimits(data, kCantilever);
  const ConcreteRow& concrete = RequireRow(data.concrete, data, kTableConcrete);
  const SoilRow& soil = RequireRow(data.soil, data, kTableSoil);
  const FoundationRow& foundation = RequireRow(data.foundation, data, kTableFoundation);
  const RebarRow& rebar = RequireRow(data.rebar, data, kTableRebar);
  const ShapeRow& shape = RequireRow(data.shapes[kCantilever], data, ShapeTableName(kCantilever));

  CantileverInputs in;
  in.is_si = data.IsSI();
  in.gamma_c = concrete.gamma_c;
  in.sigma_ck = concrete.sigma_ck;
  in.sigma_ca = concrete.sigma_cac;
  in.tau_a = concrete.tau_a;
  in.ec = concrete.ec;
  in.gamma = soil.gamma;
  in.phi = soil.phi;
  in.c = soil.c;
  in.q = soil.q1;
  in.kh = soil.kh;
  in.tan_phi_b = soil.phi_b;
  in.qa = foundation.r00;
  in.qa_e = foundation.e00;
  in.fsa = foundation.r01;
  in.fsa_e = foundation.e01;
  in.bar_kind = rebar.kind;
  in.bar_grade = rebar.strength;
  in.sigma_sa = rebar.sigma_sa;
  in.sigma_sa_t = rebar.sigma_saT;
  in.es = rebar.es;
  in.h_aa = rebar.hAA;
  in.dt0 = rebar.dt0;
  in.dt1 = rebar.dt1;
  for (int i = 0; i < 8; ++i) {
    // Arrangement-2 lists start with "  -  ", so their stored index is one past the catalogue's.
    in.bars[i].size = rebar.size[i] - (i % 2 == 1 ? 1 : 0);
    in.bars[i].ctc = rebar.ctc[i];
  }
  ScaleStresses(StressUnitFactor(in.is_si), {&in.sigma_ck, &in.sigma_ca, &in.tau_a, &in.sigma_sa,
                                             &in.sigma_sa_t, &in.es, &in.ec});
  in.design_section_aa = design_section_aa;

  CantileverShape& s = in.shape;
  s.t00 = shape.t[0];
  s.t01 = shape.t[1];
  // The stored L01 is the stem's base width [L2]; the back batter is what it leaves over.
  s.t02 =
      StoreFloat(static_cast<double>(shape.l[1]) - (static_cast<double>(shape.t[0]) + shape.t[1]));
  s.l00 = shape.l[0];
  s.l01 = shape.l[2];
  s.l02 = shape.l[2];
  s.h = shape.h;
  s.d00 = shape.d[0];
  s.d01 = shape.d[1];
  s.d02 = shape.d[2];
  s.d03 = shape.d[3];
  s.d04 = shape.d[4];
  s.beta = shape.beta;
  return in;
}

}  // namespace ktv
