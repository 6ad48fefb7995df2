#include "families/gravity/gravity_reader.h"

#include "app/standard_sizes.h"
#include "app/units.h"
#include "project/input_limits.h"

namespace ktv {

GravityInputs GravityInputsOf(const ProjectData& data) {
  CheckInputLimits(data, kGravity);
  const ConcreteRow& concrete = RequireRow(data.concrete, data, kTableConcrete);
  const SoilRow& soil = RequireRow(data.soil, data, kTableSoil);
  const FoundationRow& foundation = RequireRow(data.foundation, data, kTableFoundation);
  const ShapeRow& shape = RequireRow(data.shapes[kGravity], data, ShapeTableName(kGravity));

  GravityInputs in;
  in.is_si = data.IsSI();
  in.gamma_c = concrete.gamma_c;
  in.sigma_ck = concrete.sigma_ck;
  in.sigma_cac = concrete.sigma_cac;
  in.sigma_cat = concrete.sigma_cat;
  ScaleStresses(StressUnitFactor(in.is_si), {&in.sigma_ck, &in.sigma_cac, &in.sigma_cat});
  in.gamma = soil.gamma;
  in.phi = soil.phi;
  in.c = soil.c;
  in.tan_phi_b = soil.phi_b;
  in.q = soil.q1;
  in.qa = foundation.r00;
  in.fsa = foundation.r01;
  in.h = shape.h;
  in.t00 = shape.t[0];
  in.t01 = shape.t[1];
  in.t02 = shape.t[2];
  in.beta = shape.beta;
  return in;
}

}  // namespace ktv
