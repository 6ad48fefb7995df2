#include "families/cantilever/cantilever_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "app/format.h"
#include "app/standard_sizes.h"
#include "cantilever_fixture.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;

const std::string kData = KTV_CANTILEVER_DATA_DIR;
const std::string kOut = KTV_CANTILEVER_OUTPUT_DIR;

std::string P3(float v) { return FormatValue(v, kFmt3); }

std::string Fixture(const char* name) { return kData + "/" + name; }

// A scratch folder per test holding a working copy of a fixture.
class CantileverReader : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = kOut + "/reader_" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  std::string Working(const char* fixture) {
    const std::string path = dir_ + "/Data.mdb";
    fs::copy_file(Fixture(fixture), path, fs::copy_options::overwrite_existing);
    return path;
  }
  std::string dir_;
};

TEST_F(CantileverReader, StandardProjectsInBothUnitSystems) {
  struct Case {
    const char* fixture;
    bool si;
    float gamma_c, gamma, q, qa, qa_e, sigma_ca, tau_a, sigma_sa, es, ec;
  };
  const Case cases[] = {
      // Stresses and moduli arrive multiplied by StressUnitFactor (100 in SI).
      {kStandardCantileverSI, true, 24.5f, 19.6f, 10, 300, 450, 800, 39, 18000, 2e7f, 2.5e6f},
      {kStandardCantileverCGS, false, 2.45f, 2.0f, 1, 30, 45, 80, 3.9f, 1800, 2e6f, 2.5e5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const CantileverInputs in =
        ReadCantileverInputs(ProjectDatabase::Open(Fixture(c.fixture)), false);
    EXPECT_EQ(in.is_si, c.si);
    EXPECT_EQ(std::tie(in.gamma_c, in.gamma, in.q, in.qa, in.qa_e),
              std::tie(c.gamma_c, c.gamma, c.q, c.qa, c.qa_e));
    EXPECT_FLOAT_EQ(in.sigma_ca, c.sigma_ca);
    EXPECT_FLOAT_EQ(in.tau_a, c.tau_a);
    EXPECT_FLOAT_EQ(in.sigma_sa, c.sigma_sa);
    EXPECT_FLOAT_EQ(in.sigma_sa_t, c.sigma_sa);
    EXPECT_FLOAT_EQ(in.es, c.es);
    EXPECT_FLOAT_EQ(in.ec, c.ec);
    EXPECT_EQ(in.phi, 35.0f);
    EXPECT_EQ(in.kh, 0.2f);
    EXPECT_EQ(in.fsa, 1.5f);
    EXPECT_EQ(in.fsa_e, 1.2f);
    EXPECT_EQ(in.bar_kind, 1);
    EXPECT_EQ(in.bar_grade, 2);
    EXPECT_FALSE(in.design_section_aa);
    // Arrangement 2 stored as "  -  " (list index 0) is no second arrangement.
    const int sizes[8] = {7, -1, 7, -1, 6, -1, 7, -1};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(in.bars[i].size, sizes[i]) << i;
    // The shape row as the calculation sees it: the back batter is what [L2] leaves over
    // [T1] + [T2], and the heel is [L3].
    const CantileverShape& s = in.shape;
    EXPECT_EQ(s.t02, static_cast<float>(0.6f - (static_cast<double>(0.57f) + 0.4f)));
    EXPECT_EQ(P3(s.t02), "-0.370");
    EXPECT_FLOAT_EQ(s.t00, 0.57f);
    EXPECT_FLOAT_EQ(s.l00, 1.0f);
    EXPECT_FLOAT_EQ(s.l01, 2.4f);
    EXPECT_FLOAT_EQ(s.l02, 2.4f);
    EXPECT_FLOAT_EQ(s.h, 6.3f);
    EXPECT_FLOAT_EQ(s.d03, s.d01);
    // The whole calculation runs on what was read (values worked out by hand for this wall).
    const CantileverResults r = ComputeCantilever(in);
    EXPECT_EQ(r.n, 8.0f);
    EXPECT_EQ(r.bar_grade, "SD35");
    EXPECT_EQ(P3(r.stability.v), c.si ? "404.764" : "41.016");
    EXPECT_EQ(P3(r.heel[0].m), c.si ? "-137.587" : "-14.035");
    EXPECT_EQ(r.stem_case_count, 2);
  }
}

TEST_F(CantileverReader, SectionAaVariantWithSecondArrangements) {
  const ProjectDatabase db = ProjectDatabase::Open(Fixture(kSectionAaCantileverSI));
  EXPECT_TRUE(db.ReadRebar()->design_section_aa);  // stored with the project
  const CantileverInputs in = ReadCantileverInputs(db, true);
  EXPECT_TRUE(in.design_section_aa);
  EXPECT_FLOAT_EQ(in.h_aa, 3.0f);
  for (int i = 1; i < 8; i += 2) {
    EXPECT_EQ(in.bars[i].size, 3) << i;  // D13
    EXPECT_EQ(in.bars[i].ctc, 250) << i;
  }
  const CantileverResults r = ComputeCantilever(in);
  ASSERT_EQ(r.stem_case_count, 4);
  EXPECT_EQ(r.stem_cases[0].section, StemSection::kAA);
  EXPECT_FLOAT_EQ(r.stem_cases[0].h, 3.0f);
  EXPECT_EQ(r.stem_cases[0].check.bar2.designation, "D13");
  EXPECT_EQ(FormatValue(r.stem_cases[0].check.as, kFmt2), "45.64");  // 40.56 + 5.08
  // The caller's switch decides, whatever the file holds.
  EXPECT_FALSE(ReadCantileverInputs(db, false).design_section_aa);
}

TEST(CantileverFixture, CommittedFilesAreWhatTheGeneratorWrites) {
  struct Case {
    const char* name;
    void (*write)(const std::string&);
  };
  const Case cases[] = {
      {kStandardCantileverSI,
       [](const std::string& p) { WriteStandardCantileverProject(p, true); }},
      {kStandardCantileverCGS,
       [](const std::string& p) { WriteStandardCantileverProject(p, false); }},
      {kSectionAaCantileverSI, [](const std::string& p) { WriteSectionAaCantileverProject(p); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string fresh = kOut + "/fresh_" + c.name;
    c.write(fresh);
    const ProjectDatabase a = ProjectDatabase::Open(fresh);
    const ProjectDatabase b = ProjectDatabase::Open(Fixture(c.name));
    EXPECT_EQ(a.IsSI(), b.IsSI());
    EXPECT_EQ(a.ReadUnit()->kisk, b.ReadUnit()->kisk);
    EXPECT_EQ(a.ReadProjectName()->cname, b.ReadProjectName()->cname);
    EXPECT_EQ(a.ReadProjectName()->shape, b.ReadProjectName()->shape);
    const RebarRow ra = *a.ReadRebar(), rb = *b.ReadRebar();
    EXPECT_EQ(std::tie(ra.kind, ra.strength, ra.sigma_sa, ra.sigma_saT, ra.es, ra.dt0, ra.dt1,
                       ra.hAA, ra.size, ra.ctc, ra.design_section_aa),
              std::tie(rb.kind, rb.strength, rb.sigma_sa, rb.sigma_saT, rb.es, rb.dt0, rb.dt1,
                       rb.hAA, rb.size, rb.ctc, rb.design_section_aa));
    const ConcreteRow ca = *a.ReadConcrete(), cb = *b.ReadConcrete();
    EXPECT_EQ(
        std::tie(ca.fc, ca.ec, ca.sigma_ck, ca.sigma_cac, ca.sigma_cat, ca.tau_a, ca.gamma_c),
        std::tie(cb.fc, cb.ec, cb.sigma_ck, cb.sigma_cac, cb.sigma_cat, cb.tau_a, cb.gamma_c));
    const SoilRow sa = *a.ReadSoil(), sb = *b.ReadSoil();
    EXPECT_EQ(std::tie(sa.ut_kind, sa.gamma, sa.phi, sa.c, sa.phi_b, sa.q1, sa.kh),
              std::tie(sb.ut_kind, sb.gamma, sb.phi, sb.c, sb.phi_b, sb.q1, sb.kh));
    const FoundationRow fa = *a.ReadFoundation(), fb = *b.ReadFoundation();
    EXPECT_EQ(std::tie(fa.r00, fa.r01, fa.e00, fa.e01), std::tie(fb.r00, fb.r01, fb.e00, fb.e01));
    for (int family = 0; family < kWallFamilyCount; ++family) {
      const ShapeRow ga = *a.ReadShape(family), gb = *b.ReadShape(family);
      EXPECT_EQ(std::tie(ga.t, ga.l, ga.h, ga.hh, ga.hl, ga.d, ga.b, ga.beta),
                std::tie(gb.t, gb.l, gb.h, gb.hh, gb.hl, gb.d, gb.b, gb.beta))
          << family;
    }
  }
}

}  // namespace
}  // namespace ktv
