#include "cantilever_fixture.h"

#include "app/standard_sizes.h"
#include "project/project_database.h"

namespace ktv {
namespace {

// Stored list indexes of the deformed-bar lists: arrangement-2 lists start with "  -  ".
constexpr int16_t kD13 = 3, kD22 = 6, kD25 = 7;
constexpr int16_t kNoSecond = 0;

void WriteProject(const std::string& path, bool si, bool section_aa) {
  CreateProjectDatabase(path);
  ProjectDatabase db = ProjectDatabase::Open(path);
  db.BeginTransaction();
  db.Write(ProjectNameRow{"標準逆T形擁壁", "2024年4月1日", kCantilever});
  db.Write(UnitRow{si ? "SI 単位" : "CGS 単位", kCantilever});
  RebarRow rebar;
  rebar.kind = 1;      // 異形
  rebar.strength = 2;  // SD35
  rebar.sigma_sa = rebar.sigma_saT = si ? 180.0f : 1800.0f;
  rebar.es = si ? 200000.0f : 2000000.0f;
  rebar.dt0 = rebar.dt1 = 7.0f;
  rebar.size = {kD25, kNoSecond, kD25, kNoSecond, kD22, kNoSecond, kD25, kNoSecond};
  rebar.ctc = {125, 0, 125, 0, 125, 0, 125, 0};
  if (section_aa) {
    rebar.design_section_aa = true;
    rebar.hAA = 3.0f;
    for (int i = 1; i < 8; i += 2) {
      rebar.size[i] = kD13 + 1;
      rebar.ctc[i] = 250;
    }
  }
  db.Write(rebar);
  // Fc, Ec, σck, σcac, σcat, τa, γc as the window stores them (σcat = min(Fc/30, Fc/100 + d)
  // written as a whole number).
  db.Write(si ? ConcreteRow{24, 25000, 24, 8, 1, 0.39f, 24.5f}
              : ConcreteRow{240, 250000, 240, 80, 7, 3.9f, 2.45f});
  SoilRow soil;
  soil.ut_kind = "0";  // internal formula, "れき質土"
  soil.gamma = si ? 19.6f : 2.0f;
  soil.phi = 35;
  soil.c = 0;
  soil.phi_b = 0.6f;
  soil.q1 = si ? 10.0f : 1.0f;
  soil.kh = 0.2f;
  db.Write(soil);
  db.Write(si ? FoundationRow{300, 1.5f, 450, 1.2f} : FoundationRow{30, 1.5f, 45, 1.2f});
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
    if (family != kCantilever) row.hh = row.hl = 0.0f;
    db.WriteShape(family, row);
  }
  db.Commit();
}

}  // namespace

void WriteStandardCantileverProject(const std::string& path, bool si) {
  WriteProject(path, si, false);
}

void WriteSectionAaCantileverProject(const std::string& path) { WriteProject(path, true, true); }

}  // namespace ktv
