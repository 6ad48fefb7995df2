#include "families/gravity/gravity_reader.h"

#include <optional>
#include <string>

#include "app/standard_sizes.h"
#include "app/units.h"
#include "project/input_limits.h"

namespace ktv {
namespace {

template <typename Row>
Row Require(std::optional<Row> row, const ProjectDatabase& db, const char* table) {
  if (!row) {
    throw ProjectError("プロジェクトファイル " + db.path() + " の表 " + table +
                       " にデータがありません。");
  }
  return *row;
}

}  // namespace

GravityInputs ReadGravityInputs(const ProjectDatabase& db) {
  CheckInputLimits(db, kGravity);
  const ConcreteRow concrete = Require(db.ReadConcrete(), db, kTableConcrete);
  const SoilRow soil = Require(db.ReadSoil(), db, kTableSoil);
  const FoundationRow foundation = Require(db.ReadFoundation(), db, kTableFoundation);
  const ShapeRow shape = Require(db.ReadShape(0), db, ShapeTableName(0));

  GravityInputs in;
  in.is_si = db.IsSI();
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
