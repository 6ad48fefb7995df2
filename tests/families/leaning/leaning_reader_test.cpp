#include "families/leaning/leaning_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/format.h"
#include "app/standard_sizes.h"
#include "families/leaning/leaning_calculation.h"
#include "leaning_fixture.h"
#include "project/project_database.h"

namespace ktv {
namespace {

const std::string kOut = KTV_LEANING_OUTPUT_DIR;
const std::string kData = KTV_LEANING_DATA_DIR;

TEST(LeaningFixture, CommittedFilesAreWhatTheGeneratorWrites) {
  for (bool si : {true, false}) {
    SCOPED_TRACE(si ? "SI" : "CGS");
    const std::string fresh = kOut + (si ? "/fresh_si.mdb" : "/fresh_cgs.mdb");
    WriteStandardLeaningProject(fresh, si);
    const ProjectDatabase a = ProjectDatabase::Open(fresh);
    const ProjectDatabase b =
        ProjectDatabase::Open(kData + "/" + (si ? kStandardLeaningSI : kStandardLeaningCGS));
    EXPECT_EQ(b.IsSI(), si);
    EXPECT_EQ(a.ReadUnit()->kisk, b.ReadUnit()->kisk);
    EXPECT_EQ(a.ReadProjectName()->cname, b.ReadProjectName()->cname);
    EXPECT_EQ(a.ReadProjectName()->shape, b.ReadProjectName()->shape);
    const ConcreteRow ca = *a.ReadConcrete(), cb = *b.ReadConcrete();
    EXPECT_EQ(std::tie(ca.fc, ca.sigma_ck, ca.sigma_cac, ca.sigma_cat, ca.tau_a, ca.gamma_c),
              std::tie(cb.fc, cb.sigma_ck, cb.sigma_cac, cb.sigma_cat, cb.tau_a, cb.gamma_c));
    const SoilRow sa = *a.ReadSoil(), sb = *b.ReadSoil();
    EXPECT_EQ(std::tie(sa.ut_kind, sa.gamma, sa.phi, sa.c, sa.phi_b, sa.q1),
              std::tie(sb.ut_kind, sb.gamma, sb.phi, sb.c, sb.phi_b, sb.q1));
    EXPECT_EQ(a.ReadFoundation()->r00, b.ReadFoundation()->r00);
    EXPECT_EQ(a.ReadFoundation()->r01, b.ReadFoundation()->r01);
    for (int family = 0; family < kWallFamilyCount; ++family) {
      const ShapeRow ga = *a.ReadShape(family), gb = *b.ReadShape(family);
      EXPECT_EQ(std::tie(ga.t, ga.l, ga.h, ga.d, ga.b, ga.beta, ga.hh, ga.hl),
                std::tie(gb.t, gb.l, gb.h, gb.d, gb.b, gb.beta, gb.hh, gb.hl))
          << "family " << family;
    }
  }
}

TEST(LeaningReader, ReadsTheFourTablesAndScalesTheStresses) {
  struct Case {
    const char* fixture;
    bool si;
    float sigma_ck, sigma_cac, sigma_cat, tau_a, gamma_c, gamma, q, qa;
  };
  // Stresses are held in N/cm2 (SI, stored N/mm2 × 100) or kg/cm2 (CGS, as stored).
  const Case cases[] = {
      {kStandardLeaningSI, true, 1800, 450, 23, 23, 23.0f, 19.6f, 10, 300},
      {kStandardLeaningCGS, false, 180, 45, 2.3f, 2.3f, 2.3f, 2.0f, 1, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const LeaningInputs in = ReadLeaningInputs(ProjectDatabase::Open(kData + "/" + c.fixture));
    EXPECT_EQ(in.is_si, c.si);
    EXPECT_FLOAT_EQ(in.sigma_ck, c.sigma_ck);
    EXPECT_FLOAT_EQ(in.sigma_cac, c.sigma_cac);
    EXPECT_FLOAT_EQ(in.sigma_cat, c.sigma_cat);
    EXPECT_FLOAT_EQ(in.tau_a, c.tau_a);
    EXPECT_EQ(in.gamma_c, c.gamma_c);
    EXPECT_EQ(in.gamma, c.gamma);
    EXPECT_EQ(in.q, c.q);
    EXPECT_EQ(in.qa, c.qa);
    EXPECT_EQ(in.phi, 35.0f);
    EXPECT_EQ(in.c, 0.0f);
    EXPECT_EQ(in.soil_kind, 0);
    EXPECT_EQ(in.tan_phi_b, 0.6f);
    EXPECT_EQ(in.fsa, 1.5f);
    // The leaning shape, not the gravity or cantilever one stored beside it.
    EXPECT_EQ(in.h, 7.0f);
    EXPECT_EQ(in.d1, 1.0f);
    EXPECT_EQ(in.l1, 0.85f);
    EXPECT_EQ(in.t1, 3.0f);
    EXPECT_EQ(in.t2, 0.35f);
    EXPECT_EQ(in.b, 2.4f);
    EXPECT_EQ(in.beta, 25.0f);

    // The standard wall's toe slab exceeds σcat 0.23 N/mm2 (2.3 kg/cm2).
    const LeaningCalculation calc = ComputeLeaning(in);
    EXPECT_EQ(FormatValue(calc.slab.sigma_printed, kFmt2), c.si ? "0.25" : "2.62");
    EXPECT_FALSE(calc.slab.sigma_check.ok);
  }
}

TEST(LeaningReader, SoilKindIsTheIntegerOfTheStoredText) {
  struct Case {
    const char* ut_kind;
    int kind;
  };
  // A value without a 16-bit integer names no soil (-1); the regulation code 10 + k stays as it
  // is, and the report names no soil for it either.
  const Case cases[] = {{"0", 0},    {"1", 1},         {"2", 2},      {"3", 3},          {"12", 12},
                        {"", 0},     {"abc", 0},       {"1.5", 2},    {"2.5", 2},        {"-1", -1},
                        {"1e9", -1}, {"32767", 32767}, {"32768", -1}, {"-32768", -32768}};
  const std::string path = kOut + "/soil_kind.mdb";
  WriteStandardLeaningProject(path, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ut_kind);
    ProjectDatabase db = ProjectDatabase::Open(path);
    SoilRow soil = *db.ReadSoil();
    soil.ut_kind = c.ut_kind;
    db.Write(soil);
    EXPECT_EQ(ReadLeaningInputs(db).soil_kind, c.kind);
  }
}

TEST(LeaningReader, AnEmptyTableIsNamed) {
  // A project whose only gap is one table: the tables are written one by one onto an empty
  // project, leaving the named one out. The gravity shape alone does not stand in for the leaning.
  const char* tables[] = {kTableConcrete, kTableSoil, kTableFoundation, "tbl形状サイズ_もたれ式"};
  const ProjectDatabase full = ProjectDatabase::Open(kData + "/" + kStandardLeaningSI);
  for (const char* missing : tables) {
    SCOPED_TRACE(missing);
    const std::string path = kOut + "/gap.mdb";
    CreateProjectDatabase(path);
    ProjectDatabase db = ProjectDatabase::Open(path);
    db.Write(*full.ReadUnit());
    if (std::string(missing) != kTableConcrete) db.Write(*full.ReadConcrete());
    if (std::string(missing) != kTableSoil) db.Write(*full.ReadSoil());
    if (std::string(missing) != kTableFoundation) db.Write(*full.ReadFoundation());
    db.WriteShape(kGravity, *full.ReadShape(kGravity));
    if (std::string(missing) != tables[3]) db.WriteShape(kLeaning, *full.ReadShape(kLeaning));
    try {
      ReadLeaningInputs(db);
      ADD_FAILURE() << "no error";
    } catch (const ProjectError& e) {
      EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace ktv
