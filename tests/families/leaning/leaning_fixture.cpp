#include "leaning_fixture.h"

#include "app/standard_sizes.h"
#include "project/project_database.h"

namespace ktv {

void WriteStandardLeaningProject(const std::string& path, bool si) {
  CreateProjectDatabase(path);
  ProjectDatabase db = ProjectDatabase::Open(path);
  db.BeginTransaction();
  db.Write(ProjectNameRow{"標準もたれ式擁壁", "2024年4月1日", kLeaning});
  db.Write(UnitRow{si ? "SI 単位" : "CGS 単位", kLeaning});
  db.Write(RebarRow{});
  // Fc, Ec, σck, σcac, σcat, τa, γc: N/mm2 and kN/m3, or kg/cm2 and t/m3.
  const ConcreteRow concrete = si ? ConcreteRow{18.0f, 0, 18.0f, 4.5f, 0.23f, 0.23f, 23.0f}
                                  : ConcreteRow{180.0f, 0, 180.0f, 45.0f, 2.3f, 2.3f, 2.3f};
  db.Write(concrete);
  SoilRow soil;
  soil.ut_kind = "0";  // internal formula, "れき質土" with its default constants
  soil.gamma = si ? 19.6f : 2.0f;
  soil.phi = 35;
  soil.c = 0;
  soil.phi_b = 0.6f;
  soil.q1 = si ? 10.0f : 1.0f;
  db.Write(soil);
  db.Write(FoundationRow{si ? 300.0f : 30.0f, 1.5f, 0, 0});
  // Every family's table holds its standard shape in metres, as the window writes them; the
  // reserved fields are empty for the current family only.
  for (int family = 0; family < kWallFamilyCount; ++family) {
    const FamilyDimensions s = StandardDimensions(family);
    ShapeRow row;
    for (int i = 0; i < 3; ++i) {
      row.t[i] = static_cast<float>(s.t[i] * 0.001);
      row.l[i] = static_cast<float>(s.l[i] * 0.001);
    }
    for (int i = 0; i < 5; ++i) row.d[i] = static_cast<float>(s.d[i] * 0.001);
    row.h = static_cast<float>(s.h * 0.001);
    row.b = static_cast<float>(s.b * 0.001);
    row.beta = s.beta;
    if (family != kLeaning) row.hh = row.hl = 0.0f;
    db.WriteShape(family, row);
  }
  db.Commit();
}

}  // namespace ktv
