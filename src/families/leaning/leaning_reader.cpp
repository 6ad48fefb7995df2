#include "families/leaning/leaning_reader.h"

#include "app/format.h"
#include "app/standard_sizes.h"
#include "app/units.h"
#include "project/input_limits.h"

namespace ktv {
namespace {

// UTKind is stored as text; the report names the soil from its 16-bit integer value. A text whose
// value has no such integer names no soil.
int SoilKind(const std::string& ut_kind) {
  const double v = ReadNumber(ut_kind);
  if (!(v >= -32768.5 && v < 32767.5)) return -1;
  return RoundHalfEven(v);
}

}  // namespace

LeaningInputs LeaningInputsOf(const ProjectData& data) {
  CheckInputLimits(data, kLeaning);
  const ConcreteRow& concrete = RequireRow(data.concrete, data, kTableConcrete);
  const SoilRow& soil = RequireRow(data.soil, data, kTableSoil);
  const FoundationRow& foundation = RequireRow(data.foundation, data, kTableFoundation);
  const ShapeRow& shape = RequireRow(data.shapes[kLeaning], data, ShapeTableName(kLeaning));

  LeaningInputs in;
  in.is_si = data.IsSI();
  in.gamma_c = concrete.gamma_c;
  in.sigma_ck = concrete.sigma_ck;
  in.sigma_cac = concrete.sigma_cac;
  in.sigma_cat = concrete.sigma_cat;
  in.tau_a = concrete.tau_a;
  ScaleStresses(StressUnitFactor(in.is_si),
                {&in.sigma_ck, &in.sigma_cac, &in.sigma_cat, &in.tau_a});
  in.gamma = soil.gamma;
  in.phi = soil.phi;
  in.c = soil.c;
  in.q = soil.q1;
  in.soil_kind = SoilKind(soil.ut_kind);
  in.tan_phi_b = soil.phi_b;
  in.qa = foundation.r00;
  in.fsa = foundation.r01;
  in.h = shape.h;
  in.d1 = shape.d[1];
  in.l1 = shape.l[0];
  in.t1 = shape.t[0];
  in.t2 = shape.t[1];
  in.b = shape.b;
  in.beta = shape.beta;
  return in;
}

}  // namespace ktv
