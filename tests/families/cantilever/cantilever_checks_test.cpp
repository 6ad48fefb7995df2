#include "families/cantilever/cantilever_checks.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>

#include "../reaction_balance.h"
#include "app/catalogue.h"
#include "app/errors.h"
#include "cantilever_fixture.h"
#include "check_sources.h"
#include "families/cantilever/cantilever_json.h"
#include "families/cantilever/cantilever_reader.h"
#include "families/cantilever/cantilever_report.h"
#include "families/family_table.h"
#include "project/project_database.h"
#include "report/report_build.h"
#include "report/report_writer.h"
#include "verdict_lines.h"

namespace ktv {
namespace {

std::string CopyOf(const char* fixture) {
  const std::string path = std::string(KTV_CANTILEVER_OUTPUT_DIR) + "/checks_" +
                           std::to_string(getpid()) + "_" + fixture;
  std::filesystem::copy_file(std::string(KTV_CANTILEVER_DATA_DIR) + "/" + fixture, path,
                             std::filesystem::copy_options::overwrite_existing);
  return path;
}

WallChecks BuildWithChecks(ReportWriter& w, const char* fixture, bool design_section_aa,
                           std::string* json = nullptr) {
  WallChecks checks;
  ReportContext ctx;
  ctx.results_json = json;
  ctx.working_database_path = CopyOf(fixture);
  ctx.design_section_aa = design_section_aa;
  ctx.checks = &checks;
  const ReportBuildResult r =
      BuildReport(w, WallFamily::Cantilever, ctx, ProgramFamilies().ReportEntries());
  EXPECT_TRUE(r.complete) << r.error;
  return checks;
}

constexpr CheckCase kN = CheckCase::Normal;
constexpr CheckCase kE = CheckCase::Seismic;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// The stability verdicts stand in stability.normal and .seismic, a section's in the "check"
// object of its stem case or slab case.
QJsonValue JsonVerdict(const QJsonObject& all, const CantileverCheckEntry& e) {
  const QString load_case = e.load_case == kE ? "seismic" : "normal";
  QJsonObject holder;
  if (e.section.empty()) {
    holder = all["stability"].toObject()[load_case].toObject();
  } else if (e.section == "C-C′" || e.section == "D-D′") {
    holder = all[e.section == "C-C′" ? "toe_CC" : "heel_DD"]
                 .toObject()[load_case]
                 .toObject()["check"]
                 .toObject();
  } else {
    const QString section = e.section == "A-A′" ? "A-A" : "B-B";
    for (const QJsonValue& stem : all["stem"].toArray()) {
      const QJsonObject o = stem.toObject();
      if (o["section"] == section && o["case"] == load_case) holder = o["check"].toObject();
    }
  }
  return holder[Q(e.key)];
}

TEST(CantileverChecks, TheReportEntryStoresTheRowsOfItsOwnVerdictLines) {
  // The standard wall passes every check: both cases of the stability, then the stem, the toe
  // and the heel as the report lists them.
  const ExpectedRow si[] = {
      {CheckKind::Overturning, kN, "", "e", "0.148", "0.667", "m", true},
      {CheckKind::Overturning, kE, "", "eE", "0.350", "1.333", "m", true},
      {CheckKind::Sliding, kN, "", "Fs", "2.175", "1.5", "", true},
      {CheckKind::Sliding, kE, "", "FsE", "1.377", "1.2", "", true},
      {CheckKind::Bearing, kN, "", "q1", "123.583", "300", "kN/m2", true},
      {CheckKind::Bearing, kN, "", "q2", "78.799", "300", "kN/m2", true},
      {CheckKind::Bearing, kE, "", "q1E", "173.690", "450", "kN/m2", true},
      {CheckKind::Bearing, kE, "", "q2E", "54.070", "450", "kN/m2", true},
      {CheckKind::Stress, kN, "B-B′", "σc", "4.795", "8", "N/mm2", true},
      {CheckKind::Stress, kN, "B-B′", "σs", "92.103", "180", "N/mm2", true},
      {CheckKind::Stress, kN, "B-B′", "τ", "0.183", "0.39", "N/mm2", true},
      {CheckKind::Stress, kE, "B-B′", "σc", "6.708", "12", "N/mm2", true},
      {CheckKind::Stress, kE, "B-B′", "σs", "128.861", "270", "N/mm2", true},
      {CheckKind::Stress, kE, "B-B′", "τ", "0.263", "0.585", "N/mm2", true},
      {CheckKind::Stress, kN, "C-C′", "σc", "1.425", "8", "N/mm2", true},
      {CheckKind::Stress, kN, "C-C′", "σs", "31.980", "180", "N/mm2", true},
      {CheckKind::Stress, kN, "C-C′", "τ", "0.194", "0.39", "N/mm2", true},
      {CheckKind::Stress, kN, "D-D′", "σc", "3.694", "8", "N/mm2", true},
      {CheckKind::Stress, kN, "D-D′", "σs", "70.958", "180", "N/mm2", true},
      {CheckKind::Stress, kN, "D-D′", "τ", "0.212", "0.39", "N/mm2", true},
      {CheckKind::Stress, kE, "C-C′", "σc", "2.077", "12", "N/mm2", true},
      {CheckKind::Stress, kE, "C-C′", "σs", "46.594", "270", "N/mm2", true},
      {CheckKind::Stress, kE, "C-C′", "τ", "0.279", "0.585", "N/mm2", true},
      {CheckKind::Stress, kE, "D-D′", "σc", "6.746", "12", "N/mm2", true},
      {CheckKind::Stress, kE, "D-D′", "σs", "129.590", "270", "N/mm2", true},
      {CheckKind::Stress, kE, "D-D′", "τ", "0.329", "0.585", "N/mm2", true},
  };
  // Rows: 8 of the stability, 3 a designed section and case (A-A′ adds two).
  for (const auto& [fixture, aa, count] :
       {std::tuple{kStandardCantileverSI, false, 26}, std::tuple{kStandardCantileverCGS, false, 26},
        std::tuple{kSectionAaCantileverSI, true, 32}}) {
    SCOPED_TRACE(fixture);
    ReportWriter w;
    std::string json;
    const WallChecks checks = BuildWithChecks(w, fixture, aa, &json);
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "");
    // The panel, the summary and the JSON show the checks the calculation holds.
    const CantileverResults results =
        ComputeCantilever(ReadCantileverInputs(ProjectDatabase::Open(CopyOf(fixture)), aa));
    EXPECT_EQ(
        CompareWithChecks<CantileverResults>(kCantileverChecks, results, checks, json, JsonVerdict),
        "");
    EXPECT_EQ(checks.rows.size(), static_cast<size_t>(count));
    if (fixture != kStandardCantileverSI) continue;
    ExpectRows(checks, si);
  }
}

TEST(CantileverChecks, RowsAgreeWithTheReportForRandomWalls) {
  const CantileverInputs standard =
      ReadCantileverInputs(ProjectDatabase::Open(CopyOf(kStandardCantileverSI)), false);
  std::mt19937 rng(20240517);
  auto uni = [&](double lo, double hi) {
    return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(rng));
  };
  auto coin = [&] { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; };
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  VerdictTally tally;
  int walls = 0;
  for (int i = 0; i < 40; ++i) {
    const bool si = i % 2 == 0;
    const float force = si ? 9.80665f : 1.0f;
    const float stress = si ? 10.0f : 100.0f;
    CantileverInputs in = standard;
    in.is_si = si;
    in.gamma_c = si ? uni(23, 25) : uni(2.3, 2.5);
    in.sigma_ck = 24 * stress;
    in.sigma_ca = uni(1, 10) * stress;
    in.tau_a = uni(0.05, 0.5) * stress;
    in.ec = uni(20000, 30000) * stress;
    in.es = 200000 * stress;
    in.gamma = uni(1.6, 2.1) * force;
    in.phi = uni(25, 40);
    in.q = coin() ? 0 : uni(0, 2) * force;
    in.kh = uni(0.05, 0.3);
    in.tan_phi_b = uni(0.3, 0.8);
    in.qa = uni(5, 40) * force;
    in.qa_e = in.qa * 1.5f;
    in.bar_kind = pick(0, 1);
    in.bar_grade = pick(0, 1);
    in.sigma_sa = uni(60, 200) * stress;
    in.sigma_sa_t = uni(60, 200) * stress;
    const int sizes = static_cast<int>(BarSizes(in.bar_kind).size());
    for (int p = 0; p < 8; ++p) {
      in.bars[p].size = p % 2 == 1 && coin() ? -1 : pick(0, sizes - 1);
      in.bars[p].ctc = pick(100, 300);
    }
    const float t1 = coin() ? 0 : uni(0, 0.8), t2 = uni(0.25, 0.6);
    const float l2 = uni(t2 + 0.01, t1 + t2 + 0.5);
    const float h = uni(2, 10), d1 = uni(0.3, 1.0);
    const float l1 = pick(0, 3) == 0 ? 0 : uni(0.3, 2.5);
    const float l3 = pick(0, 3) == 0 ? 0 : uni(0.5, 4.0);
    const float theta = static_cast<float>(std::atan(in.kh) * 180 / 3.14159265358979);
    const float t02 = static_cast<float>(static_cast<double>(l2) - (static_cast<double>(t1) + t2));
    in.shape = {t1,
                t2,
                t02,
                l1,
                l3,
                l3,
                h,
                uni(0.1, std::min(1.5, h - d1 - 0.2)),
                d1,
                uni(0.2, d1),
                d1,
                uni(0.2, d1),
                coin() ? 0 : uni(0, in.phi - theta - 1)};
    in.design_section_aa = coin();
    in.h_aa = uni(0.1, h - d1);
    CantileverResults r;
    try {
      r = ComputeCantilever(in);
    } catch (const CalculationError&) {
      continue;
    }
    ++walls;
    ReportWriter w;
    w.PageSetup();
    w.BeginDocument();
    WriteCantileverChapters(w, in, r);
    w.EndDocument();
    const WallChecks checks = CantileverChecks(in, r);
    EXPECT_EQ(CompareWithReport(checks, ReportLines(w)), "") << "wall " << i;
    EXPECT_EQ(CompareWithChecks<CantileverResults>(kCantileverChecks, r, checks,
                                                   CantileverJson(in, r), JsonVerdict),
              "")
        << "wall " << i;
    const CantileverStability& st = r.stability;
    EXPECT_EQ(ReactionBalance(st.reaction, st.v, st.d), "") << "wall " << i;
    EXPECT_EQ(ReactionBalance(st.reaction_e, st.v_e, st.d_e), "") << "wall " << i;
    tally.Add(checks);
  }
  EXPECT_GT(walls, 30);
  // The walls pass and fail every kind of check.
  tally.ExpectEveryKindPassedAndFailed();
}

// An L-shaped wall (no toe) with a short heel: the resultant lies beyond the middle third, and
// the report's overturning line says so in words, as the row and the summary do.
TEST(CantileverChecks, AnLWallBeyondTheMiddleThirdPrintsNgInItsOverturningLine) {
  CantileverInputs in =
      ReadCantileverInputs(ProjectDatabase::Open(CopyOf(kStandardCantileverSI)), false);
  in.shape.l00 = 0;
  CantileverResults r;
  bool found = false;
  for (float heel = 2.0f; heel > 0.3f && !found; heel -= 0.1f) {
    in.shape.l01 = in.shape.l02 = heel;
    try {
      r = ComputeCantilever(in);
    } catch (const CalculationError&) {
      continue;
    }
    found = r.stability.e > r.stability.b6;
  }
  ASSERT_TRUE(found) << "no heel puts e beyond B/6";
  ASSERT_FALSE(r.has_toe);
  EXPECT_FALSE(r.stability.overturning.ok);
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  WriteCantileverChapters(w, in, r);
  w.EndDocument();
  const std::vector<std::string> lines = ReportLines(w);
  const std::string b6 = Fixed(r.stability.b6, 3);
  const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(b6 + " m ≦ e = ") != std::string::npos;
  });
  ASSERT_NE(line, lines.end());
  EXPECT_TRUE(line->ends_with(" m       ＮＧ")) << *line;
  const WallChecks checks = CantileverChecks(in, r);
  EXPECT_EQ(CompareWithReport(checks, lines), "");
  ASSERT_FALSE(checks.rows.empty());
  EXPECT_EQ(PanelTexts(checks.rows.front())[7], "ＮＧ");
  SummaryProject project;
  project.checks = checks.rows;
  EXPECT_FALSE(AllChecksPass(project));
}

TEST(CantileverChecks, AnLWallBeyondTheMiddleThirdPrintsTheTriangleItUses) {
  // The standard wall without its toe, heel 2.4 m: B = 3.0 m, e beyond B/6 in both cases, the
  // triangle from the toe ending 3·d short of the heel end.
  CantileverInputs in =
      ReadCantileverInputs(ProjectDatabase::Open(CopyOf(kStandardCantileverSI)), false);
  in.shape.l00 = 0;
  in.shape.l01 = in.shape.l02 = 2.4f;
  const CantileverResults r = ComputeCantilever(in);
  const CantileverStability& st = r.stability;
  ASSERT_TRUE(st.reaction.triangular && st.reaction_e.triangular);
  ReportWriter w;
  w.PageSetup();
  w.BeginDocument();
  WriteCantileverChapters(w, in, r);
  w.EndDocument();
  const std::vector<std::string> lines = ReportLines(w);
  auto has = [&](const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  };
  // Bearing: 2·ΣV/(3·d) at the toe, nothing at the heel, the values without the trapezoid's
  // formula.
  EXPECT_NEAR(st.q1, 2.0 * st.v / (3.0 * st.d), 1e-3);
  EXPECT_TRUE(has("2 × 380.509 / (3 × 0.938)、q2 = 0"));
  EXPECT_TRUE(has("q1, q2 = 270.398 kN/m2,　0.000 kN/m2 ＜ 300       ＯＫ"));
  // Heel section D-D′ at x = Tb = 0.6 m from the toe: qB on the triangle, loaded over
  // c = 3·d − x, Mq = qB·c²/6 and Sq = qB·c/2 about the section.
  const SlabCase& heel = r.heel[0];
  const double length = 3.0 * st.d, c = length - 0.6;
  EXPECT_NEAR(heel.q_section, st.q1 * (1 - 0.6 / length), 2e-3);
  EXPECT_NEAR(heel.mq, heel.q_section * c * c / 6, 2e-3);
  EXPECT_NEAR(heel.sq, heel.q_section * c / 2, 2e-3);
  EXPECT_TRUE(has("qB = q1・(1 − x / (3・d)) = 270.398 × (1 − 0.600 / 2.814) = 212.753 kN/m2"));
  EXPECT_TRUE(has("Ｍq = qB・c² / 6 = 212.753 × 2.214² / 6 = 173.880 kN･m"));
  EXPECT_TRUE(has("Ｓq = qB・c / 2 = 212.753 × 2.214 / 2 = 235.564 kN"));
}

}  // namespace
}  // namespace ktv
